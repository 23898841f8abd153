// Several handles, threads and processes changing one book: no change is lost, no id handed out twice.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "store_api.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
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
    Book first(path);
    Book second(path);
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
// each, so that the book is compacted now and then under the other process's feet.
[[noreturn]] void WorkInChild(const std::string& path, int child, int count) {
  Book book(path);
  ULONG scratch = book.NewPerson();
  bool ok = book.IsOpen() && scratch != STORE_NO_PERSON;
  for (int i = 0; ok && i < count; ++i) {
    ULONG id = Api().createContact(book.handle, &book.status);
    ok = id != STORE_NO_PERSON && book.Set(id, Named("child " + std::to_string(child) + " #" + std::to_string(i))) == 0;
    Records big;
    for (ULONG field = 0x210; field <= 0x214; ++field)
      big.Field(field, std::string(200, static_cast<char>('a' + (i + child) % 26)));
    ok = ok && book.Set(scratch, big) == 0;
  }
  _exit(ok ? 0 : 1);
}

TEST(StoreConcurrency, TwoProcessesChangingOneBookLoseNoChange) {
  TempFolder folder;
  std::string path = folder.Fresh();
  Book parent(path); // this process has the book parsed before the children start
  ASSERT_TRUE(parent.IsOpen());
  const int kPerChild = 120;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) WorkInChild(path, child, kPerChild);
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

#endif

} // namespace
