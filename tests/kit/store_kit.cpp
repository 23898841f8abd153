// Binding the store library and packing its records.
#include "kit/store_kit.h"

#include <cstring>
#include <ostream>

#include "host/provider_module.h"

namespace storekit {

namespace {

template <class T> void Bind(HMODULE module, const char* name, T*& slot, std::vector<std::string>& missing) {
  slot = reinterpret_cast<T*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  if (!slot) missing.push_back(name);
}

void Append(std::vector<BYTE>& bytes, const void* record, size_t size) {
  const BYTE* p = static_cast<const BYTE*>(record);
  bytes.insert(bytes.end(), p, p + size);
}

} // namespace

std::string LibraryBesideProgram() {
#ifdef _WIN32
  return host::ProgramFolder() + "BKCONV.DLL";
#else
  return host::ProgramFolder() + "libbkconv.so";
#endif
}

StoreExports BindExports(HMODULE module) {
  StoreExports exports;
  if (!module) {
    exports.missing.push_back("(the library itself)");
    return exports;
  }
  Bind(module, "OpenAddressBook", exports.open, exports.missing);
  Bind(module, "CloseAddressBook", exports.close, exports.missing);
  Bind(module, "GetRecordId", exports.getRecordId, exports.missing);
  Bind(module, "CreateContactEntry", exports.createContact, exports.missing);
  Bind(module, "CreateGroupEntry", exports.createGroup, exports.missing);
  Bind(module, "GetProps", exports.getProps, exports.missing);
  Bind(module, "SetProps", exports.setProps, exports.missing);
  Bind(module, "DeleteProps", exports.deleteProps, exports.missing);
  Bind(module, "CnvAddressBook", exports.convert, exports.missing);
  Bind(module, "CommitAddressBook", exports.commit, exports.missing);
  Bind(module, "RollbackAddressBook", exports.rollback, exports.missing);
  Bind(module, "SalvageAddressBook", exports.salvage, exports.missing);
  return exports;
}

Records& Records::Field(ULONG fieldId, const std::string& text) {
  StoreFieldRecord record = {};
  record.fieldId = fieldId;
  memcpy(record.value, text.data(), text.size() < sizeof record.value - 1 ? text.size() : sizeof record.value - 1);
  Append(bytes, &record, sizeof record);
  ++count;
  return *this;
}

Records& Records::Member(ULONG memberId, ULONG flags) {
  GroupMemberRecord record = {};
  record.marker = STORE_MEMBER_MARKER;
  record.memberId = memberId;
  record.faxSelection = flags;
  Append(bytes, &record, sizeof record);
  ++count;
  return *this;
}

Records& Records::Raw(const std::vector<BYTE>& record) {
  bytes.insert(bytes.end(), record.begin(), record.end());
  ++count;
  return *this;
}

bool operator==(const Record& a, const Record& b) {
  return a.member == b.member && a.id == b.id && a.text == b.text && a.flags == b.flags;
}

std::ostream& operator<<(std::ostream& out, const Record& r) {
  if (r.member) return out << "member(" << std::hex << r.id << ", flags " << r.flags << std::dec << ")";
  return out << "field(" << std::hex << r.id << std::dec << ", \"" << r.text << "\")";
}

std::vector<Record> Unpack(const BYTE* data, ULONG count) {
  std::vector<Record> records;
  const BYTE* p = data;
  for (ULONG i = 0; i < count; ++i) {
    if (StoreRecordSize(p) == STORE_MEMBER_RECORD_SIZE) {
      GroupMemberRecord member;
      memcpy(&member, p, sizeof member);
      records.push_back(MemberRecord(member.memberId, member.faxSelection));
    } else {
      StoreFieldRecord field;
      memcpy(&field, p, sizeof field);
      records.push_back(FieldRecord(field.fieldId, std::string(field.value, strnlen(field.value, sizeof field.value))));
    }
    p += StoreRecordSize(p);
  }
  return records;
}

} // namespace storekit
