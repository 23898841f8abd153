// Crash safety: a write cut at any byte, or a crash at any step of a change, leaves the book as it was
// before the change or as it is after it; a full or failing disk fails the change and leaves the book be.
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

void RemoveBook(const std::string& path) {
  std::remove(path.c_str());
  std::remove((path + ".lock").c_str());
}

struct LastWrite {
  const char* name;
  std::function<void(Book&)> apply;
};

TEST(StoreDurability, AWriteCutOrZeroFilledAtAnyByteLeavesTheBookAsBeforeOrAfterIt) {
  TempFolder folder;
  const LastWrite writes[] = {
      {"create", [](Book& book) { book.NewGroup(); }},
      {"set", [](Book& book) { book.Set(0x80000001, Records().Field(0x8, "note").Member(1, 2).Member(2, 3)); }},
      {"delete", [](Book& book) { book.Delete(1); }},
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
    // A change is an append: every byte before it stays as it was.
    ASSERT_GT(afterBytes.size(), beforeBytes.size());
    ASSERT_TRUE(std::equal(beforeBytes.begin(), beforeBytes.end(), afterBytes.begin()));

    for (size_t cut = beforeBytes.size(); cut <= afterBytes.size(); ++cut) {
      // The file cut at that byte, and the file at full length with zeros from that byte on (the size
      // reached the disk, the last blocks did not).
      std::vector<BYTE> shortened(afterBytes.begin(), afterBytes.begin() + static_cast<ptrdiff_t>(cut));
      std::vector<BYTE> zeroed = afterBytes;
      std::fill(zeroed.begin() + static_cast<ptrdiff_t>(cut), zeroed.end(), 0);
      for (const std::vector<BYTE>* bytes : {&shortened, &zeroed}) {
        std::string torn = folder.Fresh("torn");
        WriteBytes(torn, *bytes);
        {
          Book book(torn);
          if (bytes == &zeroed && cut + 1 == afterBytes.size()) {
            // A lone zero in the last byte looks exactly like that byte damaged: it is reported as such.
            EXPECT_EQ(book.status, STORE_STATUS_FILE_ERROR);
          } else {
            ASSERT_TRUE(book.IsOpen()) << "at byte " << cut << ": status " << book.status;
            EXPECT_EQ(book.Read(), cut == afterBytes.size() ? after : before) << "at byte " << cut;
          }
        }
        // Readers leave a torn tail where it is.
        EXPECT_EQ(ReadBytes(torn), *bytes) << "at byte " << cut;
        RemoveBook(torn);
      }
    }

    // A writer that finds a torn tail rewrites the book before its own change.
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

TEST(StoreDurability, ACrashAtAnyStepOfAChangeLeavesTheBookAsBeforeOrAfterIt) {
  TempFolder folder;
  // Find how many rewrites of one entry bring a book to its compaction, so that the last one of them
  // runs every step a change has: append and flush, then the new file's write, flush, rename and folder
  // flush.
  std::string probe = folder.Fresh();
  int rewrites = 0;
  {
    Book book(probe);
    book.NewPerson(Big('a'));
    size_t largest = 0;
    for (size_t size = 0; rewrites < 500 && (size = ReadBytes(probe).size()) >= largest; ++rewrites) {
      largest = size;
      book.Set(1, Big(static_cast<char>('b' + rewrites % 20)));
    }
  }
  ASSERT_LT(rewrites, 500);

  std::string base = folder.Fresh();
  {
    Book book(base);
    book.NewPerson(Big('a'));
    book.NewGroup(Records().Field(0x1, "Team").Member(1, 3));
    for (int i = 0; i + 1 < rewrites; ++i)
      book.Set(1, Big(static_cast<char>('b' + i % 20)));
  }
  Snapshot before = Cold(base);
  Snapshot after = before;
  after[1] = Big('z').bytes;

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
      status = book.Set(1, Big('z'));
    }
    Snapshot seen = Cold(path);
    EXPECT_TRUE(seen == before || seen == after);
    // Whatever the crash left, the book takes the next change.
    {
      Book book(path);
      ASSERT_EQ(book.Set(0x80000001, Records().Field(0x1, "Renamed")), 0u);
    }
    seen[0x80000001] = Records().Field(0x1, "Renamed").bytes;
    EXPECT_EQ(Cold(path), seen);
    if (status == 0) break; // the change has fewer steps than this: it ran through
    EXPECT_EQ(status, STORE_STATUS_DISK_ERROR);
  }
  EXPECT_GT(step, 6u) << "the change did not run through a compaction";
}

TEST(StoreDurability, AFullOrFailingDiskFailsTheChangeAndLeavesTheBookAsItWas) {
  TempFolder folder;
  std::string path = MakeSessionBook(folder);
  std::vector<BYTE> bytes = ReadBytes(path);
  Snapshot before = Cold(path);
  Book book(path);
  {
    ScopedEnv fault("BKCONV_TEST_FAULT", "1:full");
    EXPECT_EQ(book.Set(1, Records().Field(0x1, "Alicia")), STORE_STATUS_DISK_FULL);
    ULONG status = 0;
    EXPECT_EQ(Api().createContact(book.handle, &status), STORE_NO_PERSON);
    EXPECT_EQ(status, STORE_STATUS_DISK_FULL);
  }
  EXPECT_EQ(ReadBytes(path), bytes);
  {
    // The frame is written, its flush fails: it is cut off again.
    ScopedEnv fault("BKCONV_TEST_FAULT", "2:io");
    EXPECT_EQ(book.Delete(1), STORE_STATUS_DISK_ERROR);
  }
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_EQ(book.Read(), before);
  EXPECT_EQ(Cold(path), before);
  // The failed creation handed nothing out.
  EXPECT_EQ(book.NewPerson(), 3u);
}

} // namespace
