// A session on a small book of its own, opened once per fuzz process through the provider's code linked
// in, with the book as first written kept beside it to put back whenever a run may have changed it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "host/host_allocators.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "platform/platform.h"

namespace abkfuzz {

// A new private folder for books: under $ABK_FUZZ_SCRATCH when set, else in memory (/dev/shm) when there
// is one, since every save flushes the book and a flush to disk would cost more than the rest of an input.
// libFuzzer ends a timed run without the exit handlers, so scripts/fuzz.sh removes the folders.
std::string NewScratchFolder(const char* name);

// The service identifier of the fuzz profile.
extern const BYTE kServiceUid[16];

struct FuzzBook {
  std::string folder;
  std::string path;     // the book the session uses
  std::string pristine; // the same book as first written
  std::string pristineBytes;
  std::vector<ULONG> persons;
  std::vector<ULONG> groups;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK session = nullptr;
  long liveBlocks = 0; // host blocks alive between inputs
  long badFrees = 0;
};

// Writes the book and opens the session on the first call; aborts when that fails.
FuzzBook& Book();
// Puts the book as first written back under the session (a rename: the store sees a new file).
void ResetBook(FuzzBook& book);
// Aborts when an input left host blocks alive or freed something it should not have: a finding.
void CheckHostBlocks(const FuzzBook& book);

// A 40-byte identifier as this provider writes it.
std::string MakeId(ULONG recordId, ULONG typeWord, ULONG parentId, ULONG parentType, const BYTE* uid = kServiceUid);
// An identifier chosen by the input: raw bytes of any length, or 40 bytes of this service (or another)
// naming a record of the book or a made-up one, with any type word, sometimes with bytes after.
std::string FuzzId(FuzzInput& in, const FuzzBook& book);

// Bytes in a heap block of exactly their size, so a read past the end is caught.
class ExactBytes {
public:
  explicit ExactBytes(const std::string& bytes);
  LPENTRYID Id() const { return reinterpret_cast<LPENTRYID>(data_.get()); }
  LPBYTE Data() const { return data_.get(); }
  ULONG Size() const { return size_; }

private:
  std::unique_ptr<BYTE[]> data_;
  ULONG size_;
};

// Opens an entry through the session; null when it cannot be opened.
LPUNKNOWN OpenThroughSession(const FuzzBook& book, const std::string& id, ULONG flags, ULONG* type = nullptr);

} // namespace abkfuzz
