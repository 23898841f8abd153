// The store library's call interface: export shapes, the structures passed across it and the status
// words. This is a wire format shared with the library, fixed to the byte on every flavour.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/platform.h"

// Status words the library leaves behind a failing call.
enum StoreStatusWord : ULONG {
  STORE_STATUS_INVALID_ARGUMENT = 1,
  STORE_STATUS_DISK_ERROR = 2,
  STORE_STATUS_FILE_ERROR = 3,
  STORE_STATUS_NOT_FOUND = 4,
  STORE_STATUS_NO_RECORD = 5,
  STORE_STATUS_DISK_FULL = 6,
  // Words of this library beside the six every store library sends: other libraries never send them.
  STORE_STATUS_DAMAGED = 7, // the book's committed data is damaged (SalvageAddressBook can keep the rest)
  STORE_STATUS_BUSY = 8,    // another process or thread held the book longer than the wait allows
};

// Failure values returned by the exports.
constexpr ULONG STORE_BAD_HANDLE = 0xFFFFFFFF;  // OpenAddressBook
constexpr ULONG STORE_CALL_FAILED = 0xFFFFFFFF; // GetRecordId, GetProps
constexpr ULONG STORE_NO_PERSON = 0;            // CreateContactEntry
constexpr ULONG STORE_NO_GROUP = 0x80000000;    // CreateGroupEntry

constexpr ULONG STORE_SELECT_ALL_ENTRIES = 3; // GetRecordId: every person and group
constexpr ULONG STORE_GROUP_BIT = 0x80000000; // set in every group's record id

constexpr size_t STORE_FIELD_RECORD_SIZE = 260;
constexpr size_t STORE_MEMBER_RECORD_SIZE = 140;
constexpr ULONG STORE_MEMBER_MARKER = 0x30; // first word of a group-member record
constexpr size_t STORE_FIELD_VALUE_SIZE = 256;

// One field of an entry: its id and a zero-terminated value of at most 255 characters.
struct StoreFieldRecord {
  ULONG fieldId;
  char value[STORE_FIELD_VALUE_SIZE];
};
static_assert(sizeof(StoreFieldRecord) == STORE_FIELD_RECORD_SIZE);

// One member of a group, kept among the group's records.
struct GroupMemberRecord {
  ULONG marker;       // STORE_MEMBER_MARKER
  ULONG memberId;     // bit 31 set: the member is a group
  ULONG faxSelection; // bit 0 primary number used, bit 1 secondary
  BYTE reserved[128];
};
static_assert(sizeof(GroupMemberRecord) == STORE_MEMBER_RECORD_SIZE);
static_assert(offsetof(GroupMemberRecord, faxSelection) == 8);

// Records packed back to back; a reader steps by 140 bytes after a member record, 260 otherwise.
struct StoreRecordBlock {
  ULONG count;
  BYTE* records;
};

struct StoreIdList {
  ULONG count;
  ULONG* ids;
};

// Size of the record that starts at p.
inline size_t StoreRecordSize(const BYTE* p) {
  ULONG first;
  memcpy(&first, p, sizeof first);
  return first == STORE_MEMBER_MARKER ? STORE_MEMBER_RECORD_SIZE : STORE_FIELD_RECORD_SIZE;
}

// The exports: standard calling convention, 32-bit values.
typedef ULONG(WINAPI STORE_OPENADDRESSBOOK)(LPCSTR path, ULONG* status);
typedef ULONG(WINAPI STORE_CLOSEADDRESSBOOK)(ULONG handle);
typedef ULONG(WINAPI STORE_GETRECORDID)(ULONG handle, ULONG selector, ULONG* status, StoreIdList* list);
typedef ULONG(WINAPI STORE_CREATECONTACTENTRY)(ULONG handle, ULONG* status);
typedef ULONG(WINAPI STORE_CREATEGROUPENTRY)(ULONG handle, ULONG* status);
typedef ULONG(WINAPI STORE_GETPROPS)(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block);
typedef ULONG(WINAPI STORE_SETPROPS)(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block);
typedef ULONG(WINAPI STORE_DELETEPROPS)(ULONG handle, ULONG reserved, ULONG* status, ULONG recordId);
typedef ULONG(WINAPI STORE_CNVADDRESSBOOK)(ULONG* word);

// Exports of this library beyond the eight of every store library; a caller looks them up by name and
// does without them when they are missing.
//
// Everything one opening changes (OpenAddressBook to CloseAddressBook) is one transaction, and openings
// of one book nested in one thread join the outermost one. CommitAddressBook makes the transaction
// durable now, with one write and one flush (nested: at the end of the outermost opening), and the handle
// stays open; non-zero on success. RollbackAddressBook drops what the transaction changed; a handle that
// changed nothing has nothing to drop. A rollback through a nested handle spoils the whole transaction:
// its later changes and its commit fail with status 1.
typedef ULONG(WINAPI STORE_COMMITADDRESSBOOK)(ULONG handle, ULONG* status);
typedef ULONG(WINAPI STORE_ROLLBACKADDRESSBOOK)(ULONG handle, ULONG* status);

// What SalvageAddressBook found in a book, and kept of it when it repaired it. Offsets fit in 32 bits:
// the library reads no book larger than 256 MiB.
struct StoreSalvageReport {
  ULONG size;             // set by the caller: sizeof(StoreSalvageReport)
  ULONG damaged;          // non-zero when committed data could not be read
  ULONG firstDamage;      // byte offset of the first damage
  ULONG bytesLost;        // bytes of committed data that could not be read
  ULONG transactionsKept; // transactions read whole
  ULONG transactionsLost; // transactions lost to the damage
  ULONG entriesKept;      // entries of the book as salvaged
  ULONG tornTail;         // an unfinished last write was dropped (never committed: nothing lost)
  char damagedCopy[260];  // repair: where the damaged file was kept, untouched
};
constexpr ULONG STORE_SALVAGE_CHECK = 0;  // only look
constexpr ULONG STORE_SALVAGE_REPAIR = 1; // write what can be read as the book, keep the damaged file aside
// Non-zero when the book could be examined (and, repairing, was rewritten); status otherwise.
typedef ULONG(WINAPI STORE_SALVAGEADDRESSBOOK)(LPCSTR path, ULONG mode, StoreSalvageReport* report, ULONG* status);
