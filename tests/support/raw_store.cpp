// Raw access to the store library through its exports.
#include "support/raw_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>

#include "host/provider_module.h"

namespace abktest {

static std::string StoreLibraryPath() {
#ifdef _WIN32
  // The copy in the spooler's driver directory: the very module the provider binds.
  char directory[MAX_PATH] = {};
  DWORD needed = 0;
  GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(directory), sizeof directory, &needed);
  return std::string(directory) + "\\BKCONV.DLL";
#else
  return host::ProgramFolder() + "libbkconv.so";
#endif
}

RawStore::RawStore() {
  module_ = LoadLibraryA(StoreLibraryPath().c_str());
  if (module_) store_ = storekit::BindExports(module_);
}

RawStore::~RawStore() {
  if (module_) FreeLibrary(module_);
}

// Opens the book for one call and closes it after, as the provider does.
class Handle {
public:
  Handle(const storekit::StoreExports& store, const std::string& book) : close_(store.close) {
    ULONG status = 0;
    handle_ = store.open(book.c_str(), &status);
    EXPECT_NE(handle_, STORE_BAD_HANDLE) << "status " << status;
  }
  ~Handle() {
    if (handle_ != STORE_BAD_HANDLE) close_(handle_);
  }
  operator ULONG() const { return handle_; }

private:
  STORE_CLOSEADDRESSBOOK* close_;
  ULONG handle_;
};

void RawStore::Write(const std::string& book, ULONG id, const std::vector<RawRecord>& records) {
  storekit::Records packed;
  for (const RawRecord& r : records) {
    if (r.member)
      packed.Member(r.id, r.flags);
    else
      packed.Field(r.id, r.text);
  }
  Handle handle(store_, book);
  ULONG status = 0;
  StoreRecordBlock block = packed.Block();
  EXPECT_NE(store_.setProps(handle, id, &status, &block), 0u) << "status " << status;
}

ULONG RawStore::NewPerson(const std::string& book, const std::vector<RawRecord>& records) {
  ULONG status = 0, id = 0;
  {
    Handle handle(store_, book);
    id = store_.createContact(handle, &status);
  }
  EXPECT_NE(id, STORE_NO_PERSON);
  Write(book, id, records);
  return id;
}

ULONG RawStore::NewGroup(const std::string& book, const std::vector<RawRecord>& records) {
  ULONG status = 0, id = 0;
  {
    Handle handle(store_, book);
    id = store_.createGroup(handle, &status);
  }
  EXPECT_NE(id, STORE_NO_GROUP);
  Write(book, id, records);
  return id;
}

void RawStore::NewBlankEntries(const std::string& book, int persons, int groups) {
  Handle handle(store_, book);
  ULONG status = 0;
  for (int i = 0; i < persons; ++i)
    ASSERT_NE(store_.createContact(handle, &status), STORE_NO_PERSON) << "status " << status;
  for (int i = 0; i < groups; ++i)
    ASSERT_NE(store_.createGroup(handle, &status), STORE_NO_GROUP) << "status " << status;
}

std::vector<RawRecord> RawStore::Read(const std::string& book, ULONG id) {
  Handle handle(store_, book);
  ULONG status = 0;
  ULONG count = store_.getProps(handle, id, &status, nullptr);
  EXPECT_NE(count, STORE_CALL_FAILED) << "record " << id << " status " << status;
  if (count == STORE_CALL_FAILED || count == 0) return {};
  std::vector<BYTE> buffer(count * STORE_FIELD_RECORD_SIZE);
  StoreRecordBlock block{count, buffer.data()};
  count = store_.getProps(handle, id, &status, &block);
  return storekit::Unpack(buffer.data(), count);
}

bool RawStore::Exists(const std::string& book, ULONG id) {
  Handle handle(store_, book);
  ULONG status = 0;
  return store_.getProps(handle, id, &status, nullptr) != STORE_CALL_FAILED;
}

void RawStore::Delete(const std::string& book, ULONG id) {
  Handle handle(store_, book);
  ULONG status = 0;
  EXPECT_NE(store_.deleteProps(handle, 0, &status, id), 0u);
}

std::vector<std::pair<ULONG, std::vector<RawRecord>>> RawStore::Dump(const std::string& book) {
  std::vector<ULONG> ids;
  {
    Handle handle(store_, book);
    ULONG status = 0;
    StoreIdList list{0, nullptr};
    ULONG answer = store_.getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list);
    EXPECT_NE(answer, STORE_CALL_FAILED) << "status " << status;
    if (answer == STORE_CALL_FAILED || list.count == 0) return {};
    ids.resize(list.count);
    list = StoreIdList{static_cast<ULONG>(ids.size()), ids.data()};
    store_.getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list);
    ids.resize(std::min<size_t>(ids.size(), list.count));
  }
  std::sort(ids.begin(), ids.end());
  std::vector<std::pair<ULONG, std::vector<RawRecord>>> entries;
  for (ULONG id : ids)
    entries.emplace_back(id, Read(book, id));
  return entries;
}

} // namespace abktest
