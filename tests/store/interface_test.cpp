// The call interface as the provider uses it: count then fill, records back in order and byte for byte,
// person and group ids, ids of deleted entries, openings as transactions, the default book, and bad
// arguments and paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store_api.h"

using namespace storetest;

namespace {

const ULONG kPersonIds[] = {1, 2, 3};
const ULONG kGroupIds[] = {0x80000001, 0x80000002};

TEST(StoreInterface, EntriesAreListedCountThenFillWithGroupsMarkedByBit31) {
  TempFolder folder;
  Book book(folder.Fresh());
  ASSERT_TRUE(book.IsOpen()) << book.status;
  // Made interleaved, listed persons first, each kind in the order made.
  EXPECT_EQ(book.NewPerson(), kPersonIds[0]);
  EXPECT_EQ(book.NewGroup(), kGroupIds[0]);
  EXPECT_EQ(book.NewPerson(), kPersonIds[1]);
  EXPECT_EQ(book.NewGroup(), kGroupIds[1]);
  EXPECT_EQ(book.NewPerson(), kPersonIds[2]);

  StoreIdList list = {0, nullptr};
  ULONG status = 0;
  EXPECT_EQ(Api().getRecordId(book.handle, STORE_SELECT_ALL_ENTRIES, &status, &list), 5u);
  EXPECT_EQ(list.count, 5u);
  std::vector<ULONG> ids(5);
  list.ids = ids.data();
  EXPECT_NE(Api().getRecordId(book.handle, STORE_SELECT_ALL_ENTRIES, &status, &list), STORE_CALL_FAILED);
  EXPECT_EQ(ids, (std::vector<ULONG>{1, 2, 3, 0x80000001, 0x80000002}));

  // Too small a list is refused, and the count tells how many there are.
  std::vector<ULONG> small(3);
  list = {3, small.data()};
  EXPECT_EQ(Api().getRecordId(book.handle, STORE_SELECT_ALL_ENTRIES, &status, &list), STORE_CALL_FAILED);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);
  EXPECT_EQ(list.count, 5u);

  status = 0;
  list = {0, nullptr};
  EXPECT_EQ(Api().getRecordId(book.handle, 2, &status, &list), STORE_CALL_FAILED);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);
  status = 0;
  EXPECT_EQ(Api().getRecordId(book.handle, STORE_SELECT_ALL_ENTRIES, &status, nullptr), STORE_CALL_FAILED);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);

  // A new entry holds no records: the count is 0, a success.
  status = 0;
  EXPECT_EQ(Api().getProps(book.handle, kGroupIds[1], &status, nullptr), 0u);
  StoreRecordBlock empty = {0, nullptr};
  EXPECT_EQ(Api().getProps(book.handle, kGroupIds[1], &status, &empty), 0u);
  EXPECT_EQ(status, 0u);
}

TEST(StoreInterface, RecordsComeBackByteForByteInTheOrderLastSet) {
  TempFolder folder;
  std::string path = folder.Fresh();
  Book book(path);
  ULONG person = book.NewPerson();
  ULONG group = book.NewGroup();

  // What follows a value's zero and the member records' reserved bytes are kept too.
  std::vector<BYTE> untidy(STORE_FIELD_RECORD_SIZE, 0);
  untidy[0] = 0x08;
  memcpy(&untidy[4], "note\0left-over", 14);
  std::vector<BYTE> memberWithReserved(STORE_MEMBER_RECORD_SIZE, 0);
  ULONG words[3] = {STORE_MEMBER_MARKER, person, 0x12345678};
  memcpy(memberWithReserved.data(), words, sizeof words);
  memberWithReserved[139] = 0xAB;

  Records records;
  records.Field(0x1, "Direction").Member(person, 3).Raw(untidy).Member(group, 0).Raw(memberWithReserved);
  records.Field(0x7, "unknown field");
  ASSERT_EQ(book.Set(group, records), 0u);

  // The provider's buffer is count × 260 bytes: nothing past the packed records is touched.
  ULONG status = 0;
  ULONG count = Api().getProps(book.handle, group, &status, nullptr);
  ASSERT_EQ(count, 6u);
  std::vector<BYTE> buffer(count * STORE_FIELD_RECORD_SIZE, 0xCD);
  StoreRecordBlock block = {count, buffer.data()};
  EXPECT_EQ(Api().getProps(book.handle, group, &status, &block), 6u);
  EXPECT_TRUE(std::equal(records.bytes.begin(), records.bytes.end(), buffer.begin()));
  EXPECT_EQ(buffer[records.bytes.size()], 0xCD);

  StoreRecordBlock tooSmall = {5, buffer.data()};
  EXPECT_EQ(Api().getProps(book.handle, group, &status, &tooSmall), STORE_CALL_FAILED);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);

  // A later set replaces the whole set, in its own order; and through another handle, the same.
  Records reordered;
  reordered.Member(group, 0).Field(0x1, "Direction");
  ASSERT_EQ(book.Set(group, reordered), 0u);
  EXPECT_EQ(Book(path).Get(group), reordered.bytes);
  ASSERT_EQ(book.Set(group, Records()), 0u);
  EXPECT_EQ(Api().getProps(book.handle, group, &status, nullptr), 0u);

  ASSERT_EQ(book.Commit(), 0u);
  ULONG cold = 0;
  Snapshot snapshot = ReadCold(path, &cold);
  ASSERT_EQ(cold, 0u);
  EXPECT_EQ(snapshot, (Snapshot{{person, {}}, {group, {}}}));
}

TEST(StoreInterface, DeletedAndUnknownIdsAreNotFound) {
  TempFolder folder;
  Book book(folder.Fresh());
  ULONG first = book.NewPerson(Records().Field(0x1, "Alice"));
  ULONG second = book.NewPerson(Records().Field(0x1, "Bob"));
  ULONG group = book.NewGroup(Records().Member(second, 3));

  // The second argument is reserved and ignored.
  ULONG status = 0;
  EXPECT_NE(Api().deleteProps(book.handle, 7, &status, second), 0u);
  EXPECT_EQ(book.Ids(), (std::vector<ULONG>{first, group}));
  book.Get(second);
  EXPECT_EQ(book.status, STORE_STATUS_NO_RECORD);
  EXPECT_EQ(book.Delete(second), STORE_STATUS_NO_RECORD);
  EXPECT_EQ(book.Set(second, Records().Field(0x1, "Bob again")), STORE_STATUS_NO_RECORD);

  for (ULONG unknown : {0u, 99u, 0x80000000u, 0x80000005u, 0xFFFFFFFFu}) {
    book.Get(unknown);
    EXPECT_EQ(book.status, STORE_STATUS_NOT_FOUND) << std::hex << unknown;
    EXPECT_EQ(book.Delete(unknown), STORE_STATUS_NOT_FOUND);
  }
  // A group's member records are its own: deleting a member leaves them as they were.
  EXPECT_EQ(book.Get(group), Records().Member(second, 3).bytes);
}

TEST(StoreInterface, IdsAreNeverHandedOutAgainAcrossReopeningAndCompaction) {
  TempFolder folder;
  std::string path = folder.Fresh();
  {
    Book book(path);
    book.NewPerson(Records().Field(0x1, "kept"));
    book.NewGroup();
    ULONG lastPerson = book.NewPerson();
    ULONG lastGroup = book.NewGroup();
    EXPECT_EQ(book.Delete(lastPerson), 0u);
    EXPECT_EQ(book.Delete(lastGroup), 0u);
  }
  std::string copy = folder.Fresh();
  CopyBook(path, copy);
  {
    Book book(copy);
    EXPECT_EQ(book.NewPerson(), 3u);
    EXPECT_EQ(book.NewGroup(), 0x80000003u);
    ASSERT_EQ(book.Delete(3), 0u);
    ASSERT_EQ(book.Delete(0x80000003), 0u);
  }

  // Rewrite one entry, an opening at a time, until the dead bytes outweigh the rest and the book is
  // compacted at the end of an opening.
  Records big;
  for (ULONG field = 0x210; field <= 0x214; ++field)
    big.Field(field, std::string(200, static_cast<char>('a' + field % 26)));
  size_t largest = 0;
  size_t size = 0;
  for (int round = 0; round < 200 && (size = ReadBytes(copy).size()) >= largest; ++round) {
    largest = size;
    big.bytes[4] = static_cast<BYTE>('A' + round % 26);
    ASSERT_EQ(Book(copy).Set(1, big), 0u);
  }
  ASSERT_LT(size, largest) << "the book was never compacted";

  ULONG status = 0;
  Snapshot compacted = ReadCold(copy, &status);
  ASSERT_EQ(status, 0u);
  EXPECT_EQ(compacted, (Snapshot{{1, big.bytes}, {0x80000001, {}}}));
  Book again(copy);
  EXPECT_EQ(again.NewPerson(), 4u);
  EXPECT_EQ(again.NewGroup(), 0x80000004u);
}

TEST(StoreInterface, AnOpeningIsOneTransactionThatNestedOpeningsJoin) {
  TempFolder folder;
  std::string path = folder.Fresh();
  Snapshot committed;
  {
    Book outer(path);
    ULONG alice = outer.NewPerson(Records().Field(0x1, "Alice"));
    {
      // Joined: it reads what the outer opening changed, and its changes wait for the outer one's end.
      Book inner(path);
      EXPECT_EQ(inner.Get(alice), Records().Field(0x1, "Alice").bytes);
      inner.NewGroup(Records().Member(alice, 3));
      EXPECT_EQ(inner.Commit(), 0u);
    }
    ULONG status = 0;
    EXPECT_TRUE(ReadCold(path, &status).empty()) << "written before the outermost opening ended";
    EXPECT_EQ(outer.Commit(), 0u);
    committed = ReadCold(path, &status);
    EXPECT_EQ(committed.size(), 2u);

    // A rollback through a handle that changed nothing drops nothing.
    outer.Set(alice, Records().Field(0x1, "Alicia"));
    {
      Book reader(path);
      reader.Read();
      EXPECT_EQ(reader.Rollback(), 0u);
    }
    EXPECT_EQ(outer.Get(alice), Records().Field(0x1, "Alicia").bytes);
    // Through the outermost handle it drops the whole transaction, the ids it handed out included.
    outer.NewPerson();
    EXPECT_EQ(outer.Rollback(), 0u);
    EXPECT_EQ(outer.Read(), committed);
    EXPECT_EQ(outer.NewPerson(), 2u);
    EXPECT_EQ(outer.Rollback(), 0u);

    // Through a nested handle that changed something, it spoils the transaction: nothing more counts.
    {
      Book inner(path);
      inner.Delete(alice);
      EXPECT_EQ(inner.Rollback(), 0u);
      EXPECT_EQ(inner.Set(alice, Records()), STORE_STATUS_INVALID_ARGUMENT);
      EXPECT_EQ(inner.Commit(), STORE_STATUS_INVALID_ARGUMENT);
    }
    EXPECT_EQ(outer.Read(), committed);
    EXPECT_EQ(outer.Close(), 1u);
  }
  {
    // The next opening starts afresh.
    Book book(path);
    EXPECT_EQ(book.Read(), committed);
    book.Set(1, Records().Field(0x1, "Alix"));
  }
  committed[1] = Records().Field(0x1, "Alix").bytes;
  ULONG status = 0;
  EXPECT_EQ(ReadCold(path, &status), committed);
}

TEST(StoreInterface, AnotherThreadWaitsForTheOpeningAndCannotUseItsHandle) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ScopedEnv wait("BKCONV_LOCK_WAIT_MS", "200");
  Book book(path);
  ULONG person = book.NewPerson(Records().Field(0x1, "Alice"));
  ULONG foreign = 0, busy = 0, waited = 0;
  std::atomic<ULONG> later{STORE_BAD_HANDLE};
  std::atomic<bool> opened{false}, checked{false};
  ULONG mine = book.handle;
  std::thread other([&] {
    EXPECT_EQ(Api().getProps(mine, person, &foreign, nullptr), STORE_CALL_FAILED);
    EXPECT_EQ(Api().open(path.c_str(), &busy), STORE_BAD_HANDLE);
    later = Api().open(path.c_str(), &waited);
    opened = true;
    while (!checked)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_NE(Api().close(later), 0u);
  });
  // The first open gives up after 200 ms; the second one gets the book when this thread lets it go.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  book.Close();
  while (!opened)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // The other thread's handle is its own: this thread cannot close it.
  EXPECT_EQ(Api().close(later), 0u);
  checked = true;
  other.join();
  EXPECT_EQ(foreign, STORE_STATUS_INVALID_ARGUMENT);
  EXPECT_EQ(busy, STORE_STATUS_BUSY);
  EXPECT_NE(later.load(), STORE_BAD_HANDLE) << waited;
}

#ifndef _WIN32
TEST(StoreInterface, PathsThatAreNoBookAreRefusedAtOnceAndLongNamesWork) {
  TempFolder folder;
  // A pipe never holds the caller; a folder and an oversized file are refused without being read.
  std::string pipe = folder.Path("pipe.adr");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string huge = folder.Fresh();
  ASSERT_TRUE(Book(huge).IsOpen());
  ASSERT_EQ(truncate(huge.c_str(), 300ll << 20), 0);
  auto start = std::chrono::steady_clock::now();
  for (const std::string& path : {pipe, folder.Root(), huge}) {
    Book book(path);
    EXPECT_FALSE(book.IsOpen()) << path;
    EXPECT_EQ(book.status, STORE_STATUS_FILE_ERROR) << path;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // A name of 255 bytes, the longest a file may have: made, changed and compacted like any other.
  std::string path = folder.Path(std::string(251, 'b') + ".adr");
  Records big;
  for (ULONG field = 0x210; field <= 0x214; ++field)
    big.Field(field, std::string(200, 'x'));
  ULONG id = Book(path).NewPerson(big);
  ASSERT_NE(id, STORE_NO_PERSON);
  struct stat first;
  ASSERT_EQ(stat(path.c_str(), &first), 0);
  struct stat now = first;
  for (int round = 0; round < 300 && now.st_ino == first.st_ino; ++round) {
    big.bytes[4] = static_cast<BYTE>('A' + round % 26);
    ASSERT_EQ(Book(path).Set(id, big), 0u);
    ASSERT_EQ(stat(path.c_str(), &now), 0);
  }
  EXPECT_NE(now.st_ino, first.st_ino) << "never compacted";
  EXPECT_EQ(Book(path).Get(id), big.bytes);
}
#endif

TEST(StoreInterface, BadHandlesAndMalformedBlocksAreStatusOne) {
  TempFolder folder;
  Book book(folder.Fresh());
  ULONG person = book.NewPerson(Records().Field(0x1, "Alice"));
  ULONG closed = Book(folder.Fresh()).handle;

  for (ULONG handle : std::initializer_list<ULONG>{0, 0x1234, 0xFFFFFFFF, closed}) {
    ULONG status = 0;
    StoreIdList list = {0, nullptr};
    StoreRecordBlock block = {0, nullptr};
    EXPECT_EQ(Api().getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list), STORE_CALL_FAILED);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(Api().createContact(handle, &status), STORE_NO_PERSON);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(Api().createGroup(handle, &status), STORE_NO_GROUP);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(Api().getProps(handle, person, &status, nullptr), STORE_CALL_FAILED);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(Api().setProps(handle, person, &status, &block), 0u);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
    EXPECT_EQ(Api().deleteProps(handle, 0, &status, person), 0u);
    EXPECT_EQ(std::exchange(status, 0), STORE_STATUS_INVALID_ARGUMENT);
  }

  std::vector<BYTE> unterminated(STORE_FIELD_RECORD_SIZE, 'x');
  unterminated[0] = 1;
  unterminated[1] = unterminated[2] = unterminated[3] = 0;
  const Records malformed[] = {
      Records().Field(0x1, "fine").Raw(unterminated),
      Records().Member(0, 3),
      Records().Member(0x80000000, 0),
      Records().Member(0xFFFFFFFF, 0),
  };
  for (const Records& records : malformed)
    EXPECT_EQ(book.Set(person, records), STORE_STATUS_INVALID_ARGUMENT);
  ULONG status = 0;
  EXPECT_EQ(Api().setProps(book.handle, person, &status, nullptr), 0u);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);
  StoreRecordBlock noRecords = {1, nullptr};
  EXPECT_EQ(Api().setProps(book.handle, person, &status, &noRecords), 0u);
  EXPECT_EQ(book.Get(person), Records().Field(0x1, "Alice").bytes);
}

TEST(StoreInterface, APathOpensItsBookOrMakesOneAndNoPathMeansTheDefaultBook) {
  TempFolder folder;
  std::string path = folder.Path("new.adr");
  {
    Book book(path);
    ASSERT_TRUE(book.IsOpen()) << book.status;
    EXPECT_TRUE(book.Ids().empty());
  }
  EXPECT_TRUE(Exists(path));

  Book nowhere(folder.Path("missing-folder/book.adr"));
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_EQ(nowhere.status, STORE_STATUS_DISK_ERROR);
  EXPECT_FALSE(Exists(folder.Path("missing-folder")));

#ifdef _WIN32
  ScopedEnv data("APPDATA", folder.Path("appdata").c_str());
  std::string expected = folder.Path("appdata") + "\\abk\\default.adr";
#else
  ScopedEnv data("XDG_DATA_HOME", folder.Path("data").c_str());
  std::string expected = folder.Path("data") + "/abk/default.adr";
#endif
  ULONG person = 0;
  {
    Book byNull(std::string{});
    ASSERT_TRUE(byNull.IsOpen()) << byNull.status;
    person = byNull.NewPerson(Records().Field(0x1, "Default"));
  }
  ULONG status = 0;
  ULONG handle = Api().open(nullptr, &status);
  ASSERT_NE(handle, STORE_BAD_HANDLE) << status;
  Api().close(handle);
  EXPECT_EQ(Book(expected).Get(person), Records().Field(0x1, "Default").bytes);

#ifndef _WIN32
  // Without XDG_DATA_HOME, the XDG default under the home folder.
  ScopedEnv noData("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", folder.Path("home").c_str());
  EXPECT_TRUE(Book(std::string{}).IsOpen());
  EXPECT_TRUE(Exists(folder.Path("home/.local/share/abk/default.adr")));
#endif
}

} // namespace
