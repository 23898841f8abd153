// Writing benchmark books straight through the store library's exports: the library, and the packed
// field and member records its SetProps takes.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "host/provider_module.h"
#include "store/store_abi.h"

namespace bench {

struct Store {
  HMODULE module = LoadLibraryA((host::ProgramFolder() + "libbkconv.so").c_str());
  template <class T> T* Get(const char* name) {
    return reinterpret_cast<T*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }
};

inline void AddField(std::vector<BYTE>& packed, ULONG id, const std::string& text) {
  StoreFieldRecord record{};
  record.fieldId = id;
  strncpy(record.value, text.c_str(), sizeof record.value - 1);
  packed.insert(packed.end(), reinterpret_cast<BYTE*>(&record), reinterpret_cast<BYTE*>(&record) + sizeof record);
}

inline void AddMember(std::vector<BYTE>& packed, ULONG memberId, ULONG flags) {
  GroupMemberRecord member{};
  member.marker = STORE_MEMBER_MARKER;
  member.memberId = memberId;
  member.faxSelection = flags;
  packed.insert(packed.end(), reinterpret_cast<BYTE*>(&member), reinterpret_cast<BYTE*>(&member) + sizeof member);
}

} // namespace bench
