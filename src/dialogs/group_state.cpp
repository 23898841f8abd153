// The group dialog's record and kept sort order, the row helpers and the membership lists.
#include "dialogs/group_state.h"

#include <atomic>

#include "provider/heap.h"
#include "provider/module_state.h"

namespace abk {

namespace {

// column * 2 + (descending ? 1 : 0)
std::atomic<int> g_sortOrder{0};

} // namespace

GroupDialog* GroupDialogOf(HWND dialog) { return reinterpret_cast<GroupDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

GroupDialogState& GroupStateOf(HWND dialog) { return GroupDialogOf(dialog)->state; }

void KeepSortOrder(int column, bool descending) { g_sortOrder = column * 2 + (descending ? 1 : 0); }

void KeptSortOrder(int* column, bool* descending) {
  int kept = g_sortOrder;
  *column = kept / 2;
  *descending = (kept & 1) != 0;
}

bool IsMissing(const SRow& row, ULONG column) {
  return column >= row.cValues || PROP_TYPE(row.lpProps[column].ulPropTag) == PT_ERROR;
}

const char* RowText(const SRow& row, ULONG column) {
  if (IsMissing(row, column) || PROP_TYPE(row.lpProps[column].ulPropTag) != PT_STRING8) return "";
  const char* text = row.lpProps[column].Value.lpszA;
  return text ? text : "";
}

const BYTE* RowEntryId(const SRow& row) {
  if (IsMissing(row, kRowEntryId)) return nullptr;
  const SBinary& bin = row.lpProps[kRowEntryId].Value.bin;
  return bin.cb >= kEntryIdSize && bin.lpb ? bin.lpb : nullptr;
}

bool HasEntryId(const SRow& row) { return RowEntryId(row) != nullptr; }

bool FaxPresent(const SRow& row, ULONG column) { return RowText(row, column)[0] != '\0'; }

ULONG TypeWordOf(const BYTE* entryId) { return EntryKeyOf(entryId).typeWord; }

ULONG MemberRowFlags(const SRow& row) {
  ULONG flags = 0;
  if (FaxPresent(row, kRowPrimaryFax)) flags |= kItemPrimaryFax;
  if (FaxPresent(row, kRowSecondaryFax)) flags |= kItemSecondaryFax;
  return flags;
}

bool PushMember(MemberChoices* list, ULONG flags, const BYTE* entryId) {
  MemberChoice* node = HeapNew<MemberChoice>();
  if (!node) return false;
  node->next = list->head;
  node->flags = flags;
  node->entryId = entryId;
  list->head = node;
  ++list->count;
  return true;
}

MemberChoice* FindMember(const MemberChoices& list, const BYTE* entryId) {
  for (MemberChoice* node = list.head; node; node = node->next) {
    if (SameEntry(node->entryId, entryId)) return node;
  }
  return nullptr;
}

void UnlinkMember(MemberChoices* list, MemberChoice* node) {
  for (MemberChoice** link = &list->head; *link; link = &(*link)->next) {
    if (*link != node) continue;
    *link = node->next;
    --list->count;
    HeapDelete(node);
    return;
  }
}

void FreeMembers(MemberChoices* list) {
  while (list->head) {
    MemberChoice* next = list->head->next;
    HeapDelete(list->head);
    list->head = next;
  }
  list->count = 0;
}

void FreeRowSet(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    FreeBuffer(rows->aRow[i].lpProps);
  FreeBuffer(rows);
}

} // namespace abk
