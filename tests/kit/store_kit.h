// The store library reached as the provider reaches it, for tests, benchmarks and fuzz programs: its
// exports bound by name, records packed with named field ids and their count computed, and packed records
// read back. No test framework: benchmarks and fuzz programs link it too.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/store_abi.h"

namespace storekit {

// The field ids of a person's and a group's values.
namespace field {
constexpr ULONG kDisplayName = 0x001;
constexpr ULONG kPrefix = 0x002;
constexpr ULONG kGivenName = 0x003;
constexpr ULONG kMiddleName = 0x004;
constexpr ULONG kSurname = 0x005;
constexpr ULONG kSuffix = 0x006;
constexpr ULONG kComment = 0x008;
constexpr ULONG kSecondaryFax = 0x110;
constexpr ULONG kSecondaryDescription = 0x111;
constexpr ULONG kSecondaryExtra1 = 0x112;
constexpr ULONG kCompany = 0x200;
constexpr ULONG kDepartment = 0x201;
constexpr ULONG kPrimaryFax = 0x210;
constexpr ULONG kPrimaryDescription = 0x211;
constexpr ULONG kPrimaryExtra1 = 0x212;
} // namespace field

struct StoreExports {
  STORE_OPENADDRESSBOOK* open = nullptr;
  STORE_CLOSEADDRESSBOOK* close = nullptr;
  STORE_GETRECORDID* getRecordId = nullptr;
  STORE_CREATECONTACTENTRY* createContact = nullptr;
  STORE_CREATEGROUPENTRY* createGroup = nullptr;
  STORE_GETPROPS* getProps = nullptr;
  STORE_SETPROPS* setProps = nullptr;
  STORE_DELETEPROPS* deleteProps = nullptr;
  STORE_CNVADDRESSBOOK* convert = nullptr;
  STORE_COMMITADDRESSBOOK* commit = nullptr;
  STORE_ROLLBACKADDRESSBOOK* rollback = nullptr;
  STORE_SALVAGEADDRESSBOOK* salvage = nullptr;
  std::vector<std::string> missing; // the exports the library lacks
};

// The store library beside the running program: BKCONV.DLL on Windows, libbkconv.so elsewhere.
std::string LibraryBesideProgram();
// Every export of a loaded library; a missing one stays null and is named in missing.
StoreExports BindExports(HMODULE module);

// Records packed back to back, as a record block carries them, with their count.
struct Records {
  std::vector<BYTE> bytes;
  ULONG count = 0;
  Records& Field(ULONG fieldId, const std::string& text); // cut to the 255 bytes a value holds
  Records& Member(ULONG memberId, ULONG flags);
  Records& Raw(const std::vector<BYTE>& record);
  StoreRecordBlock Block() { return {count, bytes.data()}; }
};

// One record read back: a field (id, text) or a member (id, flags).
struct Record {
  bool member;
  ULONG id; // field id or member record id
  std::string text;
  ULONG flags;
};
bool operator==(const Record& a, const Record& b);
std::ostream& operator<<(std::ostream& out, const Record& r);
inline Record FieldRecord(ULONG id, std::string text) { return {false, id, std::move(text), 0}; }
inline Record MemberRecord(ULONG id, ULONG flags) { return {true, id, {}, flags}; }

// The records of a block GetProps filled: count records, each of its own size.
std::vector<Record> Unpack(const BYTE* data, ULONG count);

} // namespace storekit
