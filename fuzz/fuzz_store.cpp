// Fuzz target: the store library reading any file as a book: open it, list every entry, read every
// entry's records, close. The seed books make the mutated-book case.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bkconv/crc32.h"
#include "fuzz/fuzz_book.h"
#include "kit/store_kit.h"
#include "store/store_abi.h"

namespace {

// The library's exports, bound once, and a scratch folder for the books.
struct StoreCalls {
  storekit::StoreExports exports;
  std::string folder;

  StoreCalls() {
    HMODULE module = LoadLibraryA(storekit::LibraryBesideProgram().c_str());
    if (!module) {
      fprintf(stderr, "libbkconv.so did not load\n");
      abort();
    }
    exports = storekit::BindExports(module);
    folder = abkfuzz::NewScratchFolder("abk-fuzz-store");
  }
};

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<char>(value >> (8 * i));
}

uint32_t Get32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

// Makes the header's and every frame's checksum (and each length's complement) right, so that mutations
// reach the replay of operations instead of stopping at the first checksum. The last frame may run past
// the end: that is a torn tail, left as it is.
void FixChecksums(std::string& bytes) {
  if (bytes.size() < 32) return;
  Put32(bytes, 28, bkconv::Crc32(bytes.data(), 28));
  size_t at = 32;
  while (bytes.size() - at >= 16) {
    uint32_t length = Get32(bytes, at);
    Put32(bytes, at + 4, ~length);
    if (length > bytes.size() - at - 16) return;
    Put32(bytes, at + 8 + length, bkconv::Crc32(bytes.data() + at, 8 + length));
    at += 16 + length;
  }
}

StoreCalls& Calls() {
  static StoreCalls* calls = nullptr;
  if (calls) return *calls;
  calls = new StoreCalls;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Calls().folder, ignored);
  });
  return *calls;
}

// Reads an entry's records; with write, sets them again (what is stored: nothing to write) and then the
// same records less the last.
void ReadEntry(const StoreCalls& calls, ULONG handle, ULONG id, bool write = false) {
  ULONG status = 0;
  ULONG count = calls.exports.getProps(handle, id, &status, nullptr);
  if (count == STORE_CALL_FAILED || count == 0) return;
  std::vector<BYTE> buffer(count * STORE_FIELD_RECORD_SIZE);
  StoreRecordBlock block{count, buffer.data()};
  count = calls.exports.getProps(handle, id, &status, &block);
  if (!write || count == STORE_CALL_FAILED || count == 0) return;
  block.count = count;
  calls.exports.setProps(handle, id, &status, &block);
  block.count = count - 1;
  calls.exports.setProps(handle, id, &status, &block);
}

// The changes a writer makes to a book it found as it is, committed when the book is closed (after
// cutting off an unfinished transaction), or dropped again first (rollback).
void Change(const StoreCalls& calls, ULONG handle, const std::vector<ULONG>& ids, bool dropThem) {
  ULONG status = 0;
  calls.exports.createContact(handle, &status);
  calls.exports.createGroup(handle, &status);
  if (!ids.empty()) {
    ReadEntry(calls, handle, ids.back(), true);
    calls.exports.deleteProps(handle, 0, &status, ids.front());
  }
  if (dropThem) calls.exports.rollback(handle, &status);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StoreCalls* calls = &Calls();
  static unsigned long serial = 0;
  // A path of its own for every input: the library keeps what it read of a path, keyed by the file's
  // status, and two inputs written within one clock tick could look alike.
  std::string path = calls->folder + "/in-" + std::to_string(serial++) + ".adr";
  // The first byte chooses: the rest of the input as it is, or with its checksums made right (bit 0);
  // reading only, or changing the book after reading it (bit 1); keeping the changes or rolling them
  // back (bit 2).
  std::string bytes(reinterpret_cast<const char*>(data), size);
  bool change = false, dropChanges = false;
  if (!bytes.empty()) {
    bool fix = bytes[0] & 1;
    change = bytes[0] & 2;
    dropChanges = bytes[0] & 4;
    bytes.erase(0, 1);
    if (fix) FixChecksums(bytes);
  }
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) abort();
  if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) abort();
  fclose(file);

  ULONG status = 0;
  ULONG handle = calls->exports.open(path.c_str(), &status);
  if (handle != STORE_BAD_HANDLE) {
    StoreIdList list{0, nullptr};
    std::vector<ULONG> ids;
    if (calls->exports.getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list) != STORE_CALL_FAILED &&
        list.count) {
      ids.resize(list.count);
      list.ids = ids.data();
      if (calls->exports.getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list) == STORE_CALL_FAILED)
        ids.clear();
      if (list.count < ids.size()) ids.resize(list.count);
      for (ULONG id : ids)
        ReadEntry(*calls, handle, id);
    }
    // A made-up id and the person and group ids nobody has yet.
    ReadEntry(*calls, handle, 0x7FFFFFFF);
    ReadEntry(*calls, handle, 0xFFFFFFFE);
    if (change) Change(*calls, handle, ids, dropChanges);
    calls->exports.close(handle);
  }
  // Whatever the file holds, a check reads every transaction it can.
  StoreSalvageReport report{};
  report.size = sizeof report;
  calls->exports.salvage(path.c_str(), STORE_SALVAGE_CHECK, &report, &status);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return 0;
}
