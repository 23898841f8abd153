// Damage to committed data is reported as a disk error, never read as something else and never a crash;
// a book of a newer format version, or a file that is no book, is refused; readers write nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

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

bool IsDiskError(ULONG status) { return status == STORE_STATUS_DISK_ERROR || status == STORE_STATUS_FILE_ERROR; }

TEST(StoreCorruption, EveryDamagedByteOfACommittedBookIsReportedAsADiskError) {
  TempFolder folder;
  std::string path = folder.Fresh();
  {
    Book book(path);
    ULONG alice = book.NewPerson(Records().Field(0x1, "Alice").Field(0x210, "+33 1 40 00 00 01"));
    book.NewGroup(Records().Field(0x1, "Team").Member(alice, 3));
    book.Delete(book.NewPerson());
  }
  const std::vector<BYTE> good = ReadBytes(path);
  for (size_t i = 0; i < good.size(); ++i) {
    for (BYTE flip : {0x01, 0x80, 0xFF}) {
      std::vector<BYTE> bytes = good;
      bytes[i] ^= flip;
      std::string damaged = folder.Fresh("damaged");
      WriteBytes(damaged, bytes);
      {
        Book book(damaged);
        EXPECT_FALSE(book.IsOpen()) << "byte " << i << " ^ " << int(flip);
        EXPECT_TRUE(IsDiskError(book.status)) << "byte " << i << ": status " << book.status;
      }
      EXPECT_EQ(ReadBytes(damaged), bytes);
      std::remove(damaged.c_str());
      std::remove((damaged + ".lock").c_str());
    }
  }
}

TEST(StoreCorruption, WhatAnotherWriterAppendedIsCaughtUpWithAndDamageInItFound) {
  TempFolder folder;
  std::string path = folder.Fresh();
  ULONG alice = 0;
  {
    Book book(path);
    alice = book.NewPerson(Records().Field(0x1, "Alice"));
  }
  Book earlier(path);
  ASSERT_TRUE(earlier.IsOpen());

  // The frames another process would append, taken from a copy that makes the same changes.
  std::string copy = folder.Fresh();
  CopyBook(path, copy);
  size_t size = ReadBytes(copy).size();
  {
    Book book(copy);
    book.Set(alice, Records().Field(0x1, "Alicia"));
  }
  std::vector<BYTE> first = ReadBytes(copy);
  first.erase(first.begin(), first.begin() + static_cast<ptrdiff_t>(size));
  size += first.size();
  {
    Book book(copy);
    book.Set(alice, Records().Field(0x1, "Alix"));
  }
  std::vector<BYTE> second = ReadBytes(copy);
  second.erase(second.begin(), second.begin() + static_cast<ptrdiff_t>(size));

  Append(path, first);
  {
    Book book(path);
    ASSERT_TRUE(book.IsOpen()) << book.status;
    EXPECT_EQ(book.Get(alice), Records().Field(0x1, "Alicia").bytes);
  }
  second[second.size() / 2] ^= 0x40;
  Append(path, second);
  Book book(path);
  EXPECT_FALSE(book.IsOpen());
  EXPECT_EQ(book.status, STORE_STATUS_FILE_ERROR);
  // A writer catches up before it writes, finds the damage and writes nothing.
  std::vector<BYTE> bytes = ReadBytes(path);
  EXPECT_EQ(earlier.Set(alice, Records().Field(0x1, "Al")), STORE_STATUS_FILE_ERROR);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(StoreCorruption, ANewerFormatVersionOrAFileThatIsNoBookIsRefusedAndLeftAlone) {
  TempFolder folder;
  std::string path = folder.Fresh();
  {
    Book book(path);
    book.NewPerson(Records().Field(0x1, "Alice"));
  }
  // Version 2 in a header that is otherwise well formed: the version is at byte 8, the header's
  // checksum at byte 28.
  std::vector<BYTE> newer = ReadBytes(path);
  newer[8] = 2;
  uint32_t crc = Crc32(newer.data(), 28);
  for (int i = 0; i < 4; ++i)
    newer[28 + i] = static_cast<BYTE>(crc >> (8 * i));
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

} // namespace
