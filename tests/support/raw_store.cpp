// Raw access to the store library through its exports.
#include "support/raw_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>

#include "host/provider_module.h"

namespace abktest {

bool operator==(const RawRecord& a, const RawRecord& b) {
  return a.member == b.member && a.id == b.id && a.text == b.text && a.flags == b.flags;
}

std::ostream& operator<<(std::ostream& out, const RawRecord& r) {
  if (r.member) return out << "member(" << std::hex << r.id << ", flags " << r.flags << std::dec << ")";
  return out << "field(" << std::hex << r.id << std::dec << ", \"" << r.text << "\")";
}

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

template <class T> static void Resolve(HMODULE module, const char* name, T*& slot) {
  slot = reinterpret_cast<T*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

RawStore::RawStore() {
  module_ = LoadLibraryA(StoreLibraryPath().c_str());
  if (!module_) return;
  Resolve(module_, "OpenAddressBook", open_);
  Resolve(module_, "CloseAddressBook", close_);
  Resolve(module_, "CreateContactEntry", createPerson_);
  Resolve(module_, "CreateGroupEntry", createGroup_);
  Resolve(module_, "GetProps", getProps_);
  Resolve(module_, "SetProps", setProps_);
  Resolve(module_, "DeleteProps", deleteProps_);
  Resolve(module_, "GetRecordId", getRecordId_);
}

RawStore::~RawStore() {
  if (module_) FreeLibrary(module_);
}

// Opens the book for one call and closes it after, as the provider does.
class Handle {
public:
  Handle(STORE_OPENADDRESSBOOK* open, STORE_CLOSEADDRESSBOOK* close, const std::string& book) : close_(close) {
    ULONG status = 0;
    handle_ = open(book.c_str(), &status);
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
  std::vector<BYTE> packed;
  for (const RawRecord& r : records) {
    if (r.member) {
      GroupMemberRecord m{};
      m.marker = STORE_MEMBER_MARKER;
      m.memberId = r.id;
      m.faxSelection = r.flags;
      packed.insert(packed.end(), reinterpret_cast<BYTE*>(&m), reinterpret_cast<BYTE*>(&m) + sizeof m);
    } else {
      StoreFieldRecord f{};
      f.fieldId = r.id;
      strncpy(f.value, r.text.c_str(), sizeof f.value - 1);
      packed.insert(packed.end(), reinterpret_cast<BYTE*>(&f), reinterpret_cast<BYTE*>(&f) + sizeof f);
    }
  }
  Handle handle(open_, close_, book);
  ULONG status = 0;
  StoreRecordBlock block{static_cast<ULONG>(records.size()), packed.data()};
  EXPECT_NE(setProps_(handle, id, &status, &block), 0u) << "status " << status;
}

ULONG RawStore::NewPerson(const std::string& book, const std::vector<RawRecord>& records) {
  ULONG status = 0, id = 0;
  {
    Handle handle(open_, close_, book);
    id = createPerson_(handle, &status);
  }
  EXPECT_NE(id, STORE_NO_PERSON);
  Write(book, id, records);
  return id;
}

ULONG RawStore::NewGroup(const std::string& book, const std::vector<RawRecord>& records) {
  ULONG status = 0, id = 0;
  {
    Handle handle(open_, close_, book);
    id = createGroup_(handle, &status);
  }
  EXPECT_NE(id, STORE_NO_GROUP);
  Write(book, id, records);
  return id;
}

void RawStore::NewBlankEntries(const std::string& book, int persons, int groups) {
  Handle handle(open_, close_, book);
  ULONG status = 0;
  for (int i = 0; i < persons; ++i)
    ASSERT_NE(createPerson_(handle, &status), STORE_NO_PERSON) << "status " << status;
  for (int i = 0; i < groups; ++i)
    ASSERT_NE(createGroup_(handle, &status), STORE_NO_GROUP) << "status " << status;
}

std::vector<RawRecord> RawStore::Read(const std::string& book, ULONG id) {
  Handle handle(open_, close_, book);
  ULONG status = 0;
  ULONG count = getProps_(handle, id, &status, nullptr);
  EXPECT_NE(count, STORE_CALL_FAILED) << "record " << id << " status " << status;
  if (count == STORE_CALL_FAILED || count == 0) return {};
  std::vector<BYTE> buffer(count * STORE_FIELD_RECORD_SIZE);
  StoreRecordBlock block{count, buffer.data()};
  count = getProps_(handle, id, &status, &block);
  std::vector<RawRecord> records;
  const BYTE* p = buffer.data();
  for (ULONG i = 0; i < count; ++i) {
    if (StoreRecordSize(p) == STORE_MEMBER_RECORD_SIZE) {
      GroupMemberRecord m;
      memcpy(&m, p, sizeof m);
      records.push_back(Member(m.memberId, m.faxSelection));
    } else {
      StoreFieldRecord f;
      memcpy(&f, p, sizeof f);
      records.push_back(Field(f.fieldId, std::string(f.value, strnlen(f.value, sizeof f.value))));
    }
    p += StoreRecordSize(p);
  }
  return records;
}

bool RawStore::Exists(const std::string& book, ULONG id) {
  Handle handle(open_, close_, book);
  ULONG status = 0;
  return getProps_(handle, id, &status, nullptr) != STORE_CALL_FAILED;
}

void RawStore::Delete(const std::string& book, ULONG id) {
  Handle handle(open_, close_, book);
  ULONG status = 0;
  EXPECT_NE(deleteProps_(handle, 0, &status, id), 0u);
}

std::vector<std::pair<ULONG, std::vector<RawRecord>>> RawStore::Dump(const std::string& book) {
  std::vector<ULONG> ids;
  {
    Handle handle(open_, close_, book);
    ULONG status = 0;
    StoreIdList list{0, nullptr};
    ULONG answer = getRecordId_(handle, STORE_SELECT_ALL_ENTRIES, &status, &list);
    EXPECT_NE(answer, STORE_CALL_FAILED) << "status " << status;
    if (answer == STORE_CALL_FAILED || list.count == 0) return {};
    ids.resize(list.count);
    list = StoreIdList{static_cast<ULONG>(ids.size()), ids.data()};
    getRecordId_(handle, STORE_SELECT_ALL_ENTRIES, &status, &list);
    ids.resize(std::min<size_t>(ids.size(), list.count));
  }
  std::sort(ids.begin(), ids.end());
  std::vector<std::pair<ULONG, std::vector<RawRecord>>> entries;
  for (ULONG id : ids)
    entries.emplace_back(id, Read(book, id));
  return entries;
}

} // namespace abktest
