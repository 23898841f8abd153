// Entry identifiers: the 40-byte identifier the host keeps for every object of the book, and the 8-byte
// key (record id, type word) inside it that names a record of the store.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace abk {

class AddressBookSession;

// Type words. The low four bits are the MAPI object type; 0x2000 marks a creation template.
constexpr ULONG kObjectTypeMask = 0xF;
constexpr ULONG kEntryTypeRoot = 4;
constexpr ULONG kEntryTypePerson = 6;
constexpr ULONG kEntryTypeGroup = 8;
constexpr ULONG kEntryTypeForeign = 0x1000; // classification of another service's identifier
constexpr ULONG kEntryTypeTemplateBit = 0x2000;
constexpr ULONG kEntryTypePersonTemplate = kEntryTypeTemplateBit | kEntryTypeForeign | kEntryTypePerson; // 0x3006
constexpr ULONG kEntryTypeGroupTemplate = kEntryTypeTemplateBit | kEntryTypeForeign | kEntryTypeGroup;   // 0x3008
// An object whose SaveChanges writes nothing (its type word carries this bit).
constexpr ULONG kEntryTypeNoSaveBit = 0x4000;

// The MAPI object type a type word carries.
inline ULONG ObjectTypeOf(ULONG typeWord) { return typeWord & kObjectTypeMask; }

constexpr ULONG kRootRecordId = 0xFFFFFFFF;
constexpr ULONG kPersonTemplateRecordId = 0;
constexpr ULONG kGroupTemplateRecordId = 0x80000000;

struct EntryKey {
  ULONG recordId;
  ULONG typeWord;
};

// The identifier as it crosses to the host; little-endian, fixed to the byte on every flavour.
struct ProviderEntryId {
  BYTE flags[4];
  MAPIUID serviceUid;
  ULONG reserved;
  EntryKey parent; // the container the entry was listed in; zero when none
  EntryKey self;
};
static_assert(sizeof(ProviderEntryId) == 40);
static_assert(offsetof(ProviderEntryId, serviceUid) == 4);
static_assert(offsetof(ProviderEntryId, parent) == 24);
static_assert(offsetof(ProviderEntryId, self) == 32);

constexpr ULONG kEntryIdSize = sizeof(ProviderEntryId);

// A new identifier in a block of its own from the host's AllocateBuffer. With a source identifier, the
// source's own key becomes the new identifier's parent pair.
HRESULT MakeEntryId(const AddressBookSession& session, ULONG flags, ULONG recordId, ULONG typeWord,
                    const void* sourceEntryId, LPENTRYID* result);

// True for an identifier of at least 40 readable bytes that carries this session's service identifier.
bool IsOwnEntryId(const AddressBookSession& session, ULONG size, const void* entryId);

// The identifier's type word: 4 for an empty identifier (the root container), 0x1000 for one that is
// not this service's (or too short to be anyone's), otherwise the type word it carries.
ULONG ClassifyEntryId(const AddressBookSession& session, ULONG size, const void* entryId);

// 1 when both identifiers name the same record of the same service, else 0. Flags, reserved word and
// parent pair take no part. Both must hold 40 bytes.
ULONG SameEntry(const void* entryId1, const void* entryId2);

// The keys inside an identifier of 40 readable bytes.
EntryKey EntryKeyOf(const void* entryId);
EntryKey ParentKeyOf(const void* entryId);

// The type word of a listed entry follows bit 31 of its record id.
inline ULONG TypeWordForRecordId(ULONG recordId) {
  return (recordId & 0x80000000) ? kEntryTypeGroup : kEntryTypePerson;
}

} // namespace abk
