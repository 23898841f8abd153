// The store library loaded by file name and called through its exports, as the provider calls it, with
// the temporary folders, record builders and file helpers the store tests share.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "kit/store_kit.h"
#include "platform/platform.h"
#include "store/store_abi.h"

namespace storetest {

// The exports, resolved once per program; a missing one fails the test that first asks.
const storekit::StoreExports& Api();

using storekit::Records;

// Everything a book holds, read through the exports: each id with its packed records.
using Snapshot = std::map<ULONG, std::vector<BYTE>>;

// One handle on a book, closed at the end (which commits what it changed).
class Book {
public:
  explicit Book(const std::string& path);
  Book(const Book&) = delete;
  Book& operator=(const Book&) = delete;
  ~Book();
  bool IsOpen() const { return handle != STORE_BAD_HANDLE; }

  ULONG NewPerson(const Records& records = Records());
  ULONG NewGroup(const Records& records = Records());
  ULONG Set(ULONG id, const Records& records); // 0, or the status word of the failure
  ULONG Delete(ULONG id);                      // 0, or the status word of the failure
  ULONG Commit();                              // 0, or the status word of the failure
  ULONG Rollback();                            // 0, or the status word of the failure
  ULONG Close();                               // 0 when the close (and its commit) worked
  std::vector<BYTE> Get(ULONG id);             // the packed records; status holds the failure, if any
  std::vector<ULONG> Ids();
  Snapshot Read();

  ULONG handle = STORE_BAD_HANDLE;
  ULONG status = 0;
};

// A cold read of a book: the file copied to a path this process never opened before, so nothing it
// parsed earlier can stand in for the file's content. status receives the open's failure, if any.
Snapshot ReadCold(const std::string& path, ULONG* status);

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  // A path in the folder that no test of this program has used before.
  std::string Fresh(const std::string& stem = "book");
  std::string Path(const std::string& name) const;
  const std::string& Root() const { return root_; }

private:
  std::string root_;
};

std::vector<BYTE> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
void CopyBook(const std::string& from, const std::string& to);
bool Exists(const std::string& path);

// An environment variable set for the life of the object, as the library reads it.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

} // namespace storetest
