// Entry identifiers: the 40-byte identifier the host keeps for every object of the book, and the 8-byte
// key (record id, type word) inside it that names a record of the store.
#pragma once

#include <cstddef>

#include "platform/platform.h"

class AddressBookSession;

// Type words. The low four bits are the MAPI object type; 0x2000 marks a creation template.
constexpr ULONG ENTRY_TYPE_ROOT = 4;
constexpr ULONG ENTRY_TYPE_PERSON = 6;
constexpr ULONG ENTRY_TYPE_GROUP = 8;
constexpr ULONG ENTRY_TYPE_PERSON_TEMPLATE = 0x3006;
constexpr ULONG ENTRY_TYPE_GROUP_TEMPLATE = 0x3008;
constexpr ULONG ENTRY_TYPE_FOREIGN = 0x1000; // classification of another service's identifier
constexpr ULONG ENTRY_TYPE_TEMPLATE_BIT = 0x2000;

constexpr ULONG RootRecordId = 0xFFFFFFFF;
constexpr ULONG PERSON_TEMPLATE_RECORD_ID = 0;
constexpr ULONG GROUP_TEMPLATE_RECORD_ID = 0x80000000;

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

constexpr ULONG ENTRYID_SIZE = sizeof(ProviderEntryId);

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
  return (recordId & 0x80000000) ? ENTRY_TYPE_GROUP : ENTRY_TYPE_PERSON;
}
