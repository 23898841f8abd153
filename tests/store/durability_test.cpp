// Crash safety: a transaction's write cut at any byte or missing any of its sectors, or a crash at any step
// of a commit, leaves the book as it was before the transaction or as it is after it; a full or failing
// disk fails the commit and leaves the book be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "store_api.h"

using namespace storetest;

namespace {

Records Big(char fill) {
  Records records;
  for (ULONG field = 0x210; field <= 0x214; ++field)
    records.Field(field, std::string(200, fill));
  return records;
}

// A short session: two persons, a group of both, one person renamed.
std::string MakeSessionBook(TempFolder& folder) {
  std::string path = folder.Fresh();
  Book book(path);
  ULONG alice = book.NewPerson(Records().Field(0x1, "Alice").Field(0x210, "+33 1 40 00 00 01"));
  ULONG bob = book.NewPerson(Records().Field(0x1, "Bob").Field(0x110, "+33 1 40 00 00 02"));
  book.NewGroup(Records().Field(0x1, "Team").Member(alice, 3).Member(bob, 1));
  book.Set(bob, Records().Field(0x1, "Robert").Field(0x110, "+33 1 40 00 00 02"));
  return path;
}

Snapshot Cold(const std::string& path) {
  ULONG status = 0;
  Snapshot snapshot = ReadCold(path, &status);
  EXPECT_EQ(status, 0u) << path;
  return snapshot;
}

struct LastWrite {
  const char* name;
  std::function<void(Book&)> apply;
};

// The image of a file after a crash in the middle of one transaction's write: the bytes before it as they
// were, and of the transaction's 512-byte sectors only those in `kept` (bit i: the i-th sector); the others
// read as zeros (the file's size reached the disk, their data did not).
std::vector<BYTE> CrashImage(const std::vector<BYTE>& before, const std::vector<BYTE>& after, unsigned kept) {
  std::vector<BYTE> image = after;
  size_t first = before.size() / 512;
  for (size_t at = before.size(); at < after.size(); ++at)
    if (!(kept >> (at / 512 - first) & 1)) image[at] = 0;
  return image;
}

TEST(StoreDurability, ATransactionCutAtAnyByteOrMissingAnyOfItsSectorsLeavesTheBookAsBefore) {
  TempFolder folder;
  const LastWrite writes[] = {
      {"create", [](Book& book) { book.NewGroup(); }},
      {"several",
       [](Book& book) {
         // A transaction of many frames across several sectors: a new group, a record set, a deletion.
         ULONG group = book.NewGroup(Big('g').Field(0x1, "Night shift"));
         book.Set(0x80000001, Big('t').Member(2, 3).Member(group, 0));
         book.Delete(1);
         book.Set(2, Big('r'));
       }},
  };
  for (const LastWrite& write : writes) {
    SCOPED_TRACE(write.name);
    std::string path = MakeSessionBook(folder);
    Snapshot before = Cold(path);
    std::vector<BYTE> beforeBytes = ReadBytes(path);
    {
      Book book(path);
      write.apply(book);
    }
    Snapshot after = Cold(path);
    std::vector<BYTE> afterBytes = ReadBytes(path);
    ASSERT_NE(before, after);
    // A transaction is an append: every byte before it stays as it was.
    ASSERT_GT(afterBytes.size(), beforeBytes.size());
    ASSERT_TRUE(std::equal(beforeBytes.begin(), beforeBytes.end(), afterBytes.begin()));

    std::vector<std::vector<BYTE>> images;
    for (size_t cut = beforeBytes.size(); cut < afterBytes.size(); ++cut)
      images.emplace_back(afterBytes.begin(), afterBytes.begin() + static_cast<ptrdiff_t>(cut));
    unsigned sectors = static_cast<unsigned>((afterBytes.size() - 1) / 512 - beforeBytes.size() / 512 + 1);
    ASSERT_LE(sectors, 12u);
    for (unsigned kept = 0; kept + 1 < (1u << sectors); ++kept)
      images.push_back(CrashImage(beforeBytes, afterBytes, kept));
    if (std::string(write.name) == "several") {
      EXPECT_GE(sectors, 4u);
    }

    for (size_t i = 0; i < images.size(); ++i) {
      std::string torn = folder.Fresh("torn");
      WriteBytes(torn, images[i]);
      {
        Book book(torn);
        ASSERT_TRUE(book.IsOpen()) << "image " << i << ": status " << book.status;
        ASSERT_EQ(book.Read(), before) << "image " << i;
      }
      // A reader leaves the unfinished transaction where it is.
      EXPECT_EQ(ReadBytes(torn), images[i]) << "image " << i;
      std::remove(torn.c_str());
    }

    // The next writer cuts the unfinished transaction off before its own.
    std::string torn = folder.Fresh("torn");
    WriteBytes(torn, std::vector<BYTE>(afterBytes.begin(), afterBytes.end() - 3));
    ULONG added = 0;
    {
      Book book(torn);
      added = book.NewPerson(Records().Field(0x1, "After the crash"));
      ASSERT_NE(added, STORE_NO_PERSON) << book.status;
    }
    Snapshot repaired = before;
    repaired[added] = Records().Field(0x1, "After the crash").bytes;
    EXPECT_EQ(Cold(torn), repaired);
  }
}

TEST(StoreDurability, ACrashAtAnyStepOfATransactionLeavesTheBookAsBeforeOrAfterIt) {
  TempFolder folder;
  // Find how many rewrites of one entry bring a book to its compaction, so that the last one of them
  // runs every step a commit has: append and flush, then the new file's write, flush, rename and folder
  // flush.
  std::string probe = folder.Fresh();
  Book(probe).NewPerson(Big('a'));
  int rewrites = 0;
  size_t largest = 0;
  for (size_t size = 0; rewrites < 500 && (size = ReadBytes(probe).size()) >= largest; ++rewrites) {
    largest = size;
    Book(probe).Set(1, Big(static_cast<char>('b' + rewrites % 20)));
  }
  ASSERT_LT(rewrites, 500);

  std::string base = folder.Fresh();
  {
    Book book(base);
    book.NewPerson(Big('a'));
    book.NewGroup(Records().Field(0x1, "Team").Member(1, 3));
  }
  for (int i = 0; i + 1 < rewrites; ++i)
    Book(base).Set(1, Big(static_cast<char>('b' + i % 20)));
  Snapshot before = Cold(base);
  // The transaction: the person rewritten, a new one, the group emptied.
  Snapshot after = before;
  after[1] = Big('z').bytes;
  after[2] = Records().Field(0x1, "New").bytes;
  after[0x80000001] = {};

  unsigned step = 1;
  for (;; ++step) {
    SCOPED_TRACE("crash at step " + std::to_string(step));
    ASSERT_LT(step, 20u);
    std::string path = folder.Fresh();
    CopyBook(base, path);
    ULONG status = 0;
    {
      ScopedEnv fault("BKCONV_TEST_FAULT", (std::to_string(step) + ":crash").c_str());
      Book book(path);
      ASSERT_EQ(book.Set(1, Big('z')), 0u);
      ASSERT_EQ(book.NewPerson(Records().Field(0x1, "New")), 2u);
      ASSERT_EQ(book.Set(0x80000001, Records()), 0u);
      status = book.Close();
    }
    Snapshot seen = Cold(path);
    EXPECT_TRUE(seen == before || seen == after);
    // Whatever the crash left, the book takes the next change.
    ASSERT_EQ(Book(path).Set(0x80000001, Records().Field(0x1, "Renamed")), 0u);
    seen[0x80000001] = Records().Field(0x1, "Renamed").bytes;
    EXPECT_EQ(Cold(path), seen);
    if (status == 0) break; // the commit has fewer steps than this: it ran through
  }
  EXPECT_GT(step, 5u) << "the commit did not run through a compaction";
}

TEST(StoreDurability, AFullOrFailingDiskFailsTheCommitAndLeavesTheBookAsItWas) {
  TempFolder folder;
  std::string path = MakeSessionBook(folder);
  std::vector<BYTE> bytes = ReadBytes(path);
  Snapshot before = Cold(path);
  Book book(path);
  ASSERT_EQ(book.Set(1, Records().Field(0x1, "Alicia")), 0u);
  ASSERT_EQ(book.NewPerson(), 3u);
  {
    ScopedEnv fault("BKCONV_TEST_FAULT", "1:full");
    EXPECT_EQ(book.Commit(), STORE_STATUS_DISK_FULL);
  }
  EXPECT_EQ(ReadBytes(path), bytes);
  // The whole transaction is gone, the new person's id too.
  EXPECT_EQ(book.Read(), before);
  ASSERT_EQ(book.Delete(1), 0u);
  {
    // The transaction is written, its flush fails: it is cut off again.
    ScopedEnv fault("BKCONV_TEST_FAULT", "2:io");
    EXPECT_EQ(book.Commit(), STORE_STATUS_DISK_ERROR);
  }
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_EQ(book.Read(), before);
  EXPECT_EQ(book.NewPerson(), 3u);
  EXPECT_EQ(book.Close(), 0u);
  before[3] = {};
  EXPECT_EQ(Cold(path), before);
}

} // namespace
