// Loading the store library by name, and the helpers around it.
#include "store_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace storetest {
namespace {

storekit::StoreExports LoadApi() {
  std::string path = storekit::LibraryBesideProgram();
  storekit::StoreExports api = storekit::BindExports(LoadLibraryA(path.c_str()));
  for (const std::string& name : api.missing)
    ADD_FAILURE() << path << ": export missing: " << name;
  return api;
}

int uniqueCounter = 0;

} // namespace

const storekit::StoreExports& Api() {
  static const storekit::StoreExports api = LoadApi();
  return api;
}

Book::Book(const std::string& path) { handle = Api().open(path.c_str(), &status); }

Book::~Book() {
  if (IsOpen()) Api().close(handle);
}

ULONG Book::NewPerson(const Records& records) {
  ULONG id = Api().createContact(handle, &status);
  if (id != STORE_NO_PERSON && records.count) {
    EXPECT_EQ(Set(id, records), 0u);
  }
  return id;
}

ULONG Book::NewGroup(const Records& records) {
  ULONG id = Api().createGroup(handle, &status);
  if (id != STORE_NO_GROUP && records.count) {
    EXPECT_EQ(Set(id, records), 0u);
  }
  return id;
}

ULONG Book::Set(ULONG id, const Records& records) {
  StoreRecordBlock block = {records.count, const_cast<BYTE*>(records.bytes.data())};
  ULONG word = 0;
  return Api().setProps(handle, id, &word, &block) ? 0 : word;
}

ULONG Book::Commit() {
  ULONG word = 0;
  return Api().commit(handle, &word) ? 0 : word;
}

ULONG Book::Rollback() {
  ULONG word = 0;
  return Api().rollback(handle, &word) ? 0 : word;
}

ULONG Book::Close() {
  ULONG closed = Api().close(handle);
  handle = STORE_BAD_HANDLE;
  return closed ? 0 : 1;
}

ULONG Book::Delete(ULONG id) {
  ULONG word = 0;
  return Api().deleteProps(handle, 0, &word, id) ? 0 : word;
}

std::vector<BYTE> Book::Get(ULONG id) {
  status = 0;
  ULONG count = Api().getProps(handle, id, &status, nullptr);
  if (count == STORE_CALL_FAILED) return {};
  // As the provider does: count × 260 bytes, then fill.
  std::vector<BYTE> buffer(count * STORE_FIELD_RECORD_SIZE);
  StoreRecordBlock block = {count, buffer.data()};
  ULONG copied = Api().getProps(handle, id, &status, &block);
  if (copied == STORE_CALL_FAILED) return {};
  size_t length = 0;
  for (ULONG i = 0; i < copied; ++i)
    length += StoreRecordSize(buffer.data() + length);
  buffer.resize(length);
  return buffer;
}

std::vector<ULONG> Book::Ids() {
  StoreIdList list = {0, nullptr};
  if (Api().getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list) == STORE_CALL_FAILED) return {};
  std::vector<ULONG> ids(list.count);
  list.ids = ids.data();
  if (Api().getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list) == STORE_CALL_FAILED) return {};
  ids.resize(list.count);
  return ids;
}

Snapshot Book::Read() {
  Snapshot snapshot;
  for (ULONG id : Ids())
    snapshot[id] = Get(id);
  return snapshot;
}

Snapshot ReadCold(const std::string& path, ULONG* status) {
  static TempFolder cold;
  std::string copy = cold.Fresh("cold");
  CopyBook(path, copy);
  Snapshot snapshot;
  {
    Book book(copy);
    *status = book.IsOpen() ? 0 : book.status;
    if (book.IsOpen()) snapshot = book.Read();
  }
  std::error_code ignored;
  fs::remove(copy, ignored);
  fs::remove(copy + ".lock", ignored);
  return snapshot;
}

TempFolder::TempFolder() {
  for (;;) {
    fs::path candidate = fs::temp_directory_path() /
                         ("abk-store-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++uniqueCounter));
    if (fs::create_directory(candidate)) {
      root_ = candidate.string();
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string TempFolder::Fresh(const std::string& stem) {
  return Path(stem + "-" + std::to_string(++uniqueCounter) + ".adr");
}

std::string TempFolder::Path(const std::string& name) const { return (fs::path(root_) / name).string(); }

std::vector<BYTE> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void CopyBook(const std::string& from, const std::string& to) { WriteBytes(to, ReadBytes(from)); }

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
#ifdef _WIN32
  char old[1024];
  DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
  had_ = length > 0 && length < sizeof old;
  if (had_) old_.assign(old, length);
  SetEnvironmentVariableA(name, value);
#else
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

ScopedEnv::~ScopedEnv() {
#ifdef _WIN32
  SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
#else
  if (had_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
#endif
}

} // namespace storetest
