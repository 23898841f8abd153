// Several handles, threads and processes changing one book: no change is lost, no id handed out twice.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "store_api.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#endif

using namespace storetest;

namespace {

Records Named(const std::string& name) { return Records().Field(0x1, name); }

// Makes count persons through its own handle, noting what each holds.
void MakePersons(const std::string& path, const std::string& prefix, int count, Snapshot* made) {
  Book book(path);
  for (int i = 0; i < count; ++i) {
    Records records = Named(prefix + std::to_string(i));
    ULONG id = Api().createContact(book.handle, &book.status);
    if (id == STORE_NO_PERSON || book.Set(id, records) != 0) return;
    (*made)[id] = records.bytes;
  }
}

TEST(StoreConcurrency, HandlesAndThreadsOfOneProcessLoseNoChange) {
  TempFolder folder;
  std::string path = folder.Fresh();
  Snapshot expected;
  {
    // Two openings in one thread, by two spellings of the path: one transaction, one view.
    Book first(path);
    Book second(folder.Root() + "/./" + path.substr(folder.Root().size() + 1));
    for (int i = 0; i < 10; ++i) {
      ULONG a = first.NewPerson(Named("first " + std::to_string(i)));
      ULONG b = second.NewPerson(Named("second " + std::to_string(i)));
      expected[a] = Named("first " + std::to_string(i)).bytes;
      expected[b] = Named("second " + std::to_string(i)).bytes;
      // Each handle sees what the other just wrote.
      EXPECT_EQ(first.Get(b), expected[b]);
    }
  }
  Snapshot made[2];
  std::thread one(MakePersons, path, "one ", 50, &made[0]);
  std::thread two(MakePersons, path, "two ", 50, &made[1]);
  one.join();
  two.join();
  for (const Snapshot& part : made) {
    EXPECT_EQ(part.size(), 50u);
    for (const auto& [id, records] : part)
      EXPECT_TRUE(expected.emplace(id, records).second) << "id " << id << " handed out twice";
  }
  ULONG status = 0;
  EXPECT_EQ(ReadCold(path, &status), expected);
  EXPECT_EQ(Book(path).Read(), expected);
}

TEST(StoreConcurrency, ABookRewrittenInPlaceUnderItsOldIdentityIsReadAfresh) {
  TempFolder folder;
  std::string path = folder.Fresh();
  {
    Book book(path);
    book.NewPerson(Named("old"));
  }
  // Another book, longer, written over the first in place: same file, same identity, larger size. Only
  // the header's stamp shows that its frames do not follow on from the ones read before.
  std::string other = folder.Fresh();
  {
    Book book(other);
    book.NewGroup(Named("new group"));
    book.NewPerson(Named("new person with a longer name"));
  }
  Snapshot expected = Book(other).Read();
  WriteBytes(path, ReadBytes(other));
  Book book(path);
  ASSERT_TRUE(book.IsOpen()) << book.status;
  EXPECT_EQ(book.Read(), expected);
}

#ifndef _WIN32

// A child process's share: persons of its own, and a scratch entry rewritten with large records after
// each, so that the book is compacted now and then under the other process's feet. Each change is an
// opening of its own: a read and the write that follows it, committed at the close.
[[noreturn]] void WorkInChild(const std::string& path, int child, int count) {
  ULONG scratch = STORE_NO_PERSON;
  {
    Book book(path);
    scratch = book.NewPerson();
    if (book.Close() != 0 || scratch == STORE_NO_PERSON) _exit(1);
  }
  for (int i = 0; i < count; ++i) {
    Book book(path);
    ULONG id = Api().createContact(book.handle, &book.status);
    bool ok =
        id != STORE_NO_PERSON && book.Set(id, Named("child " + std::to_string(child) + " #" + std::to_string(i))) == 0;
    Records big;
    for (ULONG field = 0x210; field <= 0x214; ++field)
      big.Field(field, std::string(200, static_cast<char>('a' + (i + child) % 26)));
    ok = ok && book.Set(scratch, big) == 0;
    if (!ok || book.Close() != 0) _exit(1);
  }
  _exit(0);
}

// Two processes reach one book through two names (the book's own and a link) and change it in turns,
// each opening its own transaction; the book holds every change of both.
void ChangeThroughTwoNames(const std::string& path, const std::string& other) {
  ASSERT_TRUE(Book(path).IsOpen()); // this process has the book parsed before the children start
  const int kPerChild = 120;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) WorkInChild(child == 0 ? path : other, child, kPerChild);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  Book book(path);
  ASSERT_TRUE(book.IsOpen()) << book.status;
  Snapshot seen = book.Read();
  std::map<std::string, int> names;
  for (const auto& [id, records] : seen)
    if (!records.empty()) ++names[reinterpret_cast<const char*>(records.data() + 4)];
  for (int child = 0; child < 2; ++child)
    for (int i = 0; i < kPerChild; ++i)
      EXPECT_EQ(names["child " + std::to_string(child) + " #" + std::to_string(i)], 1) << child << " " << i;
  EXPECT_EQ(seen.size(), 2u * kPerChild + 2);
  // What this process caught up with is what a fresh reader finds.
  ULONG status = 0;
  EXPECT_EQ(ReadCold(path, &status), seen);
}

TEST(StoreConcurrency, TwoProcessesChangingOneBookLoseNoChange) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ChangeThroughTwoNames(path, path);
}

TEST(StoreConcurrency, ABookReachedThroughAHardLinkOrASymbolicLinkIsOneBook) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ASSERT_TRUE(Book(path).IsOpen());
  std::string hard = folder.Fresh("hard");
  ASSERT_EQ(link(path.c_str(), hard.c_str()), 0);
  ChangeThroughTwoNames(path, hard);
  // A book with two names is never compacted by a rename: both names still name it.
  struct stat a, b;
  ASSERT_EQ(stat(path.c_str(), &a), 0);
  ASSERT_EQ(stat(hard.c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);

  std::string target = folder.Fresh();
  ASSERT_TRUE(Book(target).IsOpen());
  std::string symbolic = folder.Fresh("symbolic");
  ASSERT_EQ(symlink(target.c_str(), symbolic.c_str()), 0);
  ChangeThroughTwoNames(target, symbolic);
  struct stat seen;
  ASSERT_EQ(lstat(symbolic.c_str(), &seen), 0);
  EXPECT_TRUE(S_ISLNK(seen.st_mode));
}

TEST(StoreConcurrency, AnOpeningHeldElsewhereGivesBusyInBoundedTimeAndAForkedChildHoldsNothing) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ASSERT_TRUE(Book(path).IsOpen());
  ScopedEnv wait("BKCONV_LOCK_WAIT_MS", "300");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    Book book(path); // held until the process ends
    char done = 1;
    if (write(ready[1], &done, 1) != 1 || !book.IsOpen()) _exit(1);
    sleep(3);
    _exit(0);
  }
  char done = 0;
  ASSERT_EQ(read(ready[0], &done, 1), 1);
  auto start = std::chrono::steady_clock::now();
  Book refused(path);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(refused.IsOpen());
  EXPECT_EQ(refused.status, STORE_STATUS_BUSY);
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(2));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);

  // A child forked while this process holds the book holds nothing of it once this process lets go.
  pid_t child = 0;
  {
    Book book(path);
    ASSERT_TRUE(book.IsOpen());
    book.NewPerson(Named("before the fork"));
    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      sleep(5);
      _exit(0);
    }
  }
  pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    Book book(path);
    bool made = book.IsOpen() && book.NewPerson(Named("while the child lives")) != STORE_NO_PERSON;
    _exit(made && book.Close() == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(other, &status, 0), other);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(Book(path).Ids().size(), 2u);
}

TEST(StoreConcurrency, ASymbolicallyLinkedPrivateBookStaysSoThroughCompactions) {
  TempFolder folder;
  std::string target = folder.Fresh("target");
  ASSERT_TRUE(Book(target).IsOpen());
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  std::string name = folder.Fresh("name");
  ASSERT_EQ(symlink(target.c_str(), name.c_str()), 0);
  // Something unrelated that happens to be called like a temporary file of the book stays as it is.
  std::string bystander = name + ".new";
  WriteBytes(bystander, {'k', 'e', 'e', 'p'});

  Records big;
  for (ULONG field = 0x210; field <= 0x214; ++field)
    big.Field(field, std::string(200, 'x'));
  ULONG id = Book(name).NewPerson(big);
  struct stat before;
  ASSERT_EQ(stat(target.c_str(), &before), 0);
  bool compacted = false;
  for (int round = 0; round < 300 && !compacted; ++round) {
    big.bytes[4] = static_cast<BYTE>('A' + round % 26);
    ASSERT_EQ(Book(name).Set(id, big), 0u);
    struct stat now;
    ASSERT_EQ(stat(target.c_str(), &now), 0);
    compacted = now.st_ino != before.st_ino;
  }
  ASSERT_TRUE(compacted);
  struct stat link, real;
  ASSERT_EQ(lstat(name.c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  ASSERT_EQ(stat(target.c_str(), &real), 0);
  EXPECT_EQ(real.st_mode & 0777, 0600u);
  ULONG status = 0;
  EXPECT_EQ(ReadCold(target, &status), (Snapshot{{id, big.bytes}}));
  EXPECT_EQ(ReadBytes(bystander), (std::vector<BYTE>{'k', 'e', 'e', 'p'}));
  // Nothing of the rewrites is left beside the book.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Root())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 3u);
}

#endif

} // namespace
