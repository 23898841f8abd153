// Damage to committed data is reported with its own status, never read as something else and never a
// crash; a book of a newer format version, or a file that is no book, is refused; readers write nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "store_api.h"

using namespace storetest;

namespace {

// CRC-32 the slow way, to write a header the library must accept as well formed.
uint32_t Crc32(const BYTE* p, size_t length) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < length; ++i) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

void Append(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Four openings, each its own transaction; the sizes of the file after each.
std::vector<size_t> MakeFourTransactions(const std::string& path, ULONG* alice) {
  std::vector<size_t> ends;
  {
    Book book(path);
    *alice = book.NewPerson(Records().Field(0x1, "Alice").Field(0x210, "+33 1 40 00 00 01"));
  }
  ends.push_back(ReadBytes(path).size());
  Book(path).NewGroup(Records().Field(0x1, "Team").Member(*alice, 3));
  ends.push_back(ReadBytes(path).size());
  {
    Book book(path);
    book.Delete(book.NewPerson());
  }
  ends.push_back(ReadBytes(path).size());
  Book(path).Set(*alice, Records().Field(0x1, "Alicia"));
  ends.push_back(ReadBytes(path).size());
  return ends;
}

TEST(StoreCorruption, DamageToCommittedDataIsReportedAndDamageToTheLastTransactionDropsIt) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ULONG alice = 0;
  std::vector<size_t> ends = MakeFourTransactions(path, &alice);
  const std::vector<BYTE> good = ReadBytes(path);
  ASSERT_EQ(good.size(), ends.back());
  // The book without its last transaction.
  std::string shorter = folder.Fresh();
  WriteBytes(shorter, std::vector<BYTE>(good.begin(), good.begin() + static_cast<ptrdiff_t>(ends[2])));
  const Snapshot withoutLast = Book(shorter).Read();

  for (size_t i = 0; i < good.size(); ++i) {
    for (BYTE flip : {0x01, 0x80, 0xFF}) {
      std::vector<BYTE> bytes = good;
      bytes[i] ^= flip;
      std::string damaged = folder.Fresh("damaged");
      WriteBytes(damaged, bytes);
      {
        Book book(damaged);
        if (i < 8) {
          // The magic number: not a book at all.
          EXPECT_EQ(book.status, STORE_STATUS_FILE_ERROR) << "byte " << i;
        } else if (i < ends[2]) {
          EXPECT_FALSE(book.IsOpen()) << "byte " << i << " ^ " << int(flip);
          EXPECT_EQ(book.status, STORE_STATUS_DAMAGED) << "byte " << i;
        } else {
          // Nothing follows the last transaction to show that it was committed: it reads as a write that
          // never finished.
          ASSERT_TRUE(book.IsOpen()) << "byte " << i << ": status " << book.status;
          EXPECT_EQ(book.Read(), withoutLast) << "byte " << i;
        }
      }
      EXPECT_EQ(ReadBytes(damaged), bytes);
      std::remove(damaged.c_str());
    }
  }
}

TEST(StoreCorruption, ASalvageKeepsEveryTransactionButTheDamagedOneAndTheDamagedFileAside) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ASSERT_TRUE(Book(path).IsOpen());
  std::vector<size_t> ends{ReadBytes(path).size()};
  std::vector<ULONG> ids;
  for (int i = 0; i < 6; ++i) {
    ids.push_back(Book(path).NewPerson(Records().Field(0x1, "Person " + std::to_string(i))));
    ends.push_back(ReadBytes(path).size());
  }
  std::vector<BYTE> bytes = ReadBytes(path);
  size_t hit = (ends[3] + ends[4]) / 2; // inside the transaction that made the fourth person
  bytes[hit] ^= 0x10;
  path = folder.Fresh("damaged"); // a file this process never read
  WriteBytes(path, bytes);
  EXPECT_EQ(Book(path).status, STORE_STATUS_DAMAGED);

  StoreSalvageReport report = {};
  report.size = sizeof report;
  ULONG status = 0;
  ASSERT_NE(Api().salvage(path.c_str(), STORE_SALVAGE_CHECK, &report, &status), 0u) << status;
  EXPECT_EQ(report.damaged, 1u);
  EXPECT_GE(report.firstDamage, ends[3]);
  EXPECT_LE(report.firstDamage, hit);
  EXPECT_EQ(report.transactionsLost, 1u);
  EXPECT_EQ(report.transactionsKept, 6u); // the book's first transaction and five of the six openings
  EXPECT_EQ(report.entriesKept, 5u);
  EXPECT_EQ(ReadBytes(path), bytes) << "a check changed the file";

  ASSERT_NE(Api().salvage(path.c_str(), STORE_SALVAGE_REPAIR, &report, &status), 0u) << status;
  EXPECT_EQ(ReadBytes(report.damagedCopy), bytes);
  Book book(path);
  ASSERT_TRUE(book.IsOpen()) << book.status;
  std::vector<ULONG> kept = ids;
  kept.erase(kept.begin() + 3);
  EXPECT_EQ(book.Ids(), kept);
  // The lost transaction's id is never handed out again.
  EXPECT_EQ(book.NewPerson(), ids.back() + 1);
  book.Close();

  // A sound book needs nothing; a file that is no book is refused; a short report is status 1.
  ASSERT_NE(Api().salvage(path.c_str(), STORE_SALVAGE_REPAIR, &report, &status), 0u);
  EXPECT_EQ(report.damaged, 0u);
  EXPECT_EQ(report.damagedCopy[0], '\0');
  std::string text = folder.Fresh();
  WriteBytes(text, {'a', ',', 'b'});
  EXPECT_EQ(Api().salvage(text.c_str(), STORE_SALVAGE_CHECK, &report, &status), 0u);
  EXPECT_EQ(status, STORE_STATUS_FILE_ERROR);
  report.size = 8;
  EXPECT_EQ(Api().salvage(path.c_str(), STORE_SALVAGE_CHECK, &report, &status), 0u);
  EXPECT_EQ(status, STORE_STATUS_INVALID_ARGUMENT);
}

TEST(StoreCorruption, WhatAnotherWriterAppendedIsCaughtUpWithAndDamageInItFound) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ULONG alice = 0;
  {
    Book book(path);
    alice = book.NewPerson(Records().Field(0x1, "Alice"));
  }
  ASSERT_TRUE(Book(path).IsOpen()); // parsed and cached by this process

  // The transactions another process would append, taken from a copy that makes the same changes.
  std::string copy = folder.Fresh();
  CopyBook(path, copy);
  std::vector<std::vector<BYTE>> appended;
  for (const char* name : {"Alicia", "Alix", "Al"}) {
    size_t size = ReadBytes(copy).size();
    Book(copy).Set(alice, Records().Field(0x1, name));
    std::vector<BYTE> bytes = ReadBytes(copy);
    appended.emplace_back(bytes.begin() + static_cast<ptrdiff_t>(size), bytes.end());
  }

  Append(path, appended[0]);
  EXPECT_EQ(Book(path).Get(alice), Records().Field(0x1, "Alicia").bytes);
  appended[1][appended[1].size() / 2] ^= 0x40;
  Append(path, appended[1]);
  Append(path, appended[2]);
  // Damage with a whole transaction after it: refused, by this process's cached copy as by a cold reader,
  // and nobody writes.
  std::vector<BYTE> bytes = ReadBytes(path);
  Book book(path);
  EXPECT_FALSE(book.IsOpen());
  EXPECT_EQ(book.status, STORE_STATUS_DAMAGED);
  ULONG status = 0;
  ReadCold(path, &status);
  EXPECT_EQ(status, STORE_STATUS_DAMAGED);
  EXPECT_EQ(ReadBytes(path), bytes);
}

// A frame as a writer of the first format wrote it: length, its complement, payload, checksum, marker.
void PutFrame(std::vector<BYTE>& out, const std::vector<uint32_t>& payload) {
  std::vector<BYTE> frame;
  auto put = [&frame](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      frame.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  put(static_cast<uint32_t>(payload.size() * 4));
  put(~static_cast<uint32_t>(payload.size() * 4));
  for (uint32_t word : payload)
    put(word);
  put(Crc32(frame.data(), frame.size()));
  put(0x214B4241);
  out.insert(out.end(), frame.begin(), frame.end());
}

void SetHeader(std::vector<BYTE>& bytes, uint32_t version) {
  bytes[8] = static_cast<BYTE>(version);
  uint32_t crc = Crc32(bytes.data(), 28);
  for (int i = 0; i < 4; ++i)
    bytes[28 + i] = static_cast<BYTE>(crc >> (8 * i));
}

TEST(StoreCorruption, ANewerFormatVersionOrAFileThatIsNoBookIsRefusedAndLeftAlone) {
  TempFolder folder;
  std::string path = folder.Fresh();
  {
    Book book(path);
    book.NewPerson(Records().Field(0x1, "Alice"));
  }
  // Version 3 in a header that is otherwise well formed: the version is at byte 8, the header's
  // checksum at byte 28.
  std::vector<BYTE> newer = ReadBytes(path);
  SetHeader(newer, 3);
  std::string text = "Name,Fax\nAlice,+33 1 40 00 00 01\n";
  const std::vector<BYTE> refused[] = {newer, std::vector<BYTE>(text.begin(), text.end())};
  for (const std::vector<BYTE>& bytes : refused) {
    std::string other = folder.Fresh();
    WriteBytes(other, bytes);
    Book book(other);
    EXPECT_FALSE(book.IsOpen());
    EXPECT_EQ(book.status, STORE_STATUS_FILE_ERROR);
    EXPECT_EQ(ReadBytes(other), bytes);
  }

  // An empty file holds nothing to lose: it becomes an empty book.
  std::string empty = folder.Fresh();
  WriteBytes(empty, {});
  Book book(empty);
  ASSERT_TRUE(book.IsOpen()) << book.status;
  EXPECT_TRUE(book.Ids().empty());
}

TEST(StoreCorruption, ABookOfTheFirstFormatIsReadAndRewrittenAsTheCurrentOne) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ASSERT_TRUE(Book(path).IsOpen());
  std::vector<BYTE> bytes = ReadBytes(path);
  bytes.resize(32);
  SetHeader(bytes, 1);
  // Every frame its own change: counters, a person made and named, a second person made and deleted.
  PutFrame(bytes, {4, 1, 0x80000001});
  PutFrame(bytes, {1, 1});
  PutFrame(bytes, {2, 1, 1, 1, 0x6C410002}); // Set person 1: one record, field 1, the 2 bytes "Al"
  PutFrame(bytes, {1, 2});
  PutFrame(bytes, {3, 2});
  std::string old = folder.Fresh();
  WriteBytes(old, bytes);
  {
    Book book(old);
    ASSERT_TRUE(book.IsOpen()) << book.status;
    EXPECT_EQ(book.Ids(), std::vector<ULONG>{1});
    EXPECT_EQ(book.NewPerson(), 3u);
  }
  std::vector<BYTE> now = ReadBytes(old);
  EXPECT_EQ(now[8], 2);
  ULONG status = 0;
  EXPECT_EQ(ReadCold(old, &status).size(), 2u);
  EXPECT_EQ(status, 0u);

#ifndef _WIN32
  // With a second name it cannot be renamed over: it stays at version 1 and takes changes all the same.
  std::string linked = folder.Fresh();
  WriteBytes(linked, bytes);
  ASSERT_EQ(link(linked.c_str(), folder.Fresh("other-name").c_str()), 0);
  EXPECT_EQ(Book(linked).NewPerson(Records().Field(0x1, "Bea")), 3u);
  EXPECT_EQ(ReadBytes(linked)[8], 1);
  EXPECT_EQ(ReadCold(linked, &status).size(), 2u);
  EXPECT_EQ(status, 0u);
#endif
}

} // namespace
