// Counting the individual entries of a group member, through nested groups, and the table of every
// group's members the save-time checks count from.
#include <algorithm>

#include "dialogs/dialog_common.h"
#include "dialogs/group_rules.h"
#include "provider/heap.h"
#include "provider/session.h"
#include "resources/resource.h"

namespace abk {

namespace {

bool OnPath(const CountPath* path, const BYTE* groupId) {
  for (; path; path = path->outer) {
    if (SameEntry(path->groupId, groupId)) return true;
  }
  return false;
}

ULONG RecordOf(const BYTE* entryId) { return EntryKeyOf(entryId).recordId; }

// A group the book lists but that does not open as an entry (a record a host saved without any field):
// it has no members to count, and it must not stop every other group from being saved.
bool IsUnopenable(AddressBookSession* session, const BYTE* id) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr =
      session->OpenEntry(ENTRYID_SIZE, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id)), nullptr, 0, &type, &object);
  if (object) object->Release();
  return hr == MAPI_E_NOT_FOUND;
}

ULONG SelectedNumbers(ULONG flags) {
  return ((flags & ITEM_PRIMARY_FAX) ? 1 : 0) + ((flags & ITEM_SECONDARY_FAX) ? 1 : 0);
}

CountStatus CountRows(AddressBookSession* session, const SRowSet* members, const GroupTable* table, const BYTE* edited,
                      const CountPath* path, ULONG* count) {
  if (!members) return CountStatus::kCounted;
  for (ULONG i = 0; i < members->cRows && *count <= kMaxGroupMembers; ++i) {
    const SRow& member = members->aRow[i];
    const BYTE* id = RowEntryId(member);
    if (!id) continue;
    if (edited && SameEntry(id, edited)) return CountStatus::kContainsEdited;
    CountStatus status = CountIndividuals(session, id, MemberRowFlags(member), table, edited, path, count);
    if (status != CountStatus::kCounted) return status;
  }
  return CountStatus::kCounted;
}

} // namespace

void ShowGroupMessage(HWND dialog, HINSTANCE instance, UINT textId, UINT icon) {
  ShowStringMessage(dialog, instance, textId, IDS_MESSAGE_CAPTION, MB_OK | icon);
}

CountStatus CountIndividuals(AddressBookSession* session, const BYTE* entryId, ULONG flags, const GroupTable* table,
                             const BYTE* edited, const CountPath* path, ULONG* count) {
  ULONG type = TypeWordOf(entryId);
  if (type == ENTRY_TYPE_PERSON) {
    *count += SelectedNumbers(flags);
    return CountStatus::kCounted;
  }
  if (type != ENTRY_TYPE_GROUP) return CountStatus::kCounted;
  // A group already being counted further out would be counted forever.
  if (OnPath(path, entryId)) return CountStatus::kCycle;
  CountPath inner = {entryId, path};
  if (table) {
    const GroupTableEntry* group = FindGroup(*table, entryId);
    if (!group) return CountStatus::kCounted;
    return CountRows(session, group->members, table, edited, &inner, count);
  }
  LPSRowSet members = nullptr;
  if (!ReadContainerRows(session, ENTRYID_SIZE, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(entryId)), 0, &members))
    return CountStatus::kReadFailed;
  CountStatus status = CountRows(session, members, nullptr, edited, &inner, count);
  FreeRowSet(members);
  return status;
}

bool BuildGroupTable(AddressBookSession* session, const SRowSet* rows, const BYTE* edited, GroupTable* table) {
  *table = {};
  if (!rows) return true;
  ULONG groups = 0;
  for (ULONG i = 0; i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (id && TypeWordOf(id) == ENTRY_TYPE_GROUP && !(edited && SameEntry(id, edited))) ++groups;
  }
  if (!groups) return true;
  table->entries = static_cast<GroupTableEntry*>(HeapAllocate(groups * sizeof(GroupTableEntry)));
  table->byRecord = static_cast<ULONG*>(HeapAllocate(groups * sizeof(ULONG)));
  if (!table->entries || !table->byRecord) {
    FreeGroupTable(table);
    return false;
  }
  for (ULONG i = 0; i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (!id || TypeWordOf(id) != ENTRY_TYPE_GROUP || (edited && SameEntry(id, edited))) continue;
    GroupTableEntry& entry = table->entries[table->count];
    entry.groupId = id;
    entry.members = nullptr;
    table->byRecord[table->count] = table->count;
    ++table->count;
    if (!ReadContainerRows(session, ENTRYID_SIZE, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id)), 0,
                           &entry.members) &&
        !IsUnopenable(session, id)) {
      FreeGroupTable(table);
      return false;
    }
  }
  const GroupTableEntry* entries = table->entries;
  std::sort(table->byRecord, table->byRecord + table->count,
            [entries](ULONG a, ULONG b) { return RecordOf(entries[a].groupId) < RecordOf(entries[b].groupId); });
  return true;
}

void FreeGroupTable(GroupTable* table) {
  for (ULONG i = 0; table->entries && i < table->count; ++i)
    FreeRowSet(table->entries[i].members);
  HeapFree(table->entries);
  HeapFree(table->byRecord);
  *table = {};
}

const GroupTableEntry* FindGroup(const GroupTable& table, const BYTE* groupId) {
  ULONG record = RecordOf(groupId);
  const ULONG* end = table.byRecord + table.count;
  const ULONG* found =
      std::lower_bound(static_cast<const ULONG*>(table.byRecord), end, record,
                       [&table](ULONG index, ULONG wanted) { return RecordOf(table.entries[index].groupId) < wanted; });
  for (; found != end && RecordOf(table.entries[*found].groupId) == record; ++found) {
    if (SameEntry(table.entries[*found].groupId, groupId)) return &table.entries[*found];
  }
  return nullptr;
}

} // namespace abk
