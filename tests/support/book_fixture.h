// A session on a book file of its own, opened through the provider's code linked into the test, with
// direct access to the same book through the store library's exports for arranging and checking records.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "provider/session.h"
#include "store/store_abi.h"
#include "support/provider_fixture.h"

extern "C" HRESULT __cdecl ABProviderOpen(HINSTANCE, LPABHOSTSUPPORT, LPMAPIPROP, ULONG, ULONG, ULONG, ULONG,
                                          LPFREEBUFFER, LPADRBOOK*);

namespace abktest {

// One record as the store keeps it: a field (id, text) or a member (id, flags).
struct RawRecord {
  bool member;
  ULONG id; // field id or member record id
  std::string text;
  ULONG flags;
};
inline RawRecord Field(ULONG id, std::string text) { return {false, id, std::move(text), 0}; }
inline RawRecord Member(ULONG id, ULONG flags) { return {true, id, {}, flags}; }
bool operator==(const RawRecord& a, const RawRecord& b);
std::ostream& operator<<(std::ostream& out, const RawRecord& r);

// The store library the session uses, reached through its exports.
class RawStore {
public:
  RawStore();
  ~RawStore();
  bool Loaded() const { return module_ != nullptr; }

  ULONG NewPerson(const std::string& book, const std::vector<RawRecord>& records);
  ULONG NewGroup(const std::string& book, const std::vector<RawRecord>& records);
  void Write(const std::string& book, ULONG id, const std::vector<RawRecord>& records);
  std::vector<RawRecord> Read(const std::string& book, ULONG id);
  bool Exists(const std::string& book, ULONG id);
  void Delete(const std::string& book, ULONG id);

private:
  HMODULE module_ = nullptr;
  STORE_OPENADDRESSBOOK* open_ = nullptr;
  STORE_CLOSEADDRESSBOOK* close_ = nullptr;
  STORE_CREATECONTACTENTRY* createPerson_ = nullptr;
  STORE_CREATEGROUPENTRY* createGroup_ = nullptr;
  STORE_GETPROPS* getProps_ = nullptr;
  STORE_SETPROPS* setProps_ = nullptr;
  STORE_DELETEPROPS* deleteProps_ = nullptr;
};

class BookTest : public HostTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The identifier of an entry as it is listed in the root container or in a group.
  static std::string IdInRoot(ULONG recordId) { return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, 0xFFFFFFFF, 4); }
  static std::string IdInGroup(ULONG recordId, ULONG groupId) {
    return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, groupId, 8);
  }

  std::string book;
  RawStore store;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK addrBook = nullptr;
  AddressBookSession* session = nullptr;
};

// A string property read back from an object, "(missing)" when it is not there.
std::string ReadString(IMAPIProp* object, ULONG tag);
// Sets string properties on an object.
HRESULT SetStrings(IMAPIProp* object, const std::vector<std::pair<ULONG, std::string>>& values);

} // namespace abktest
