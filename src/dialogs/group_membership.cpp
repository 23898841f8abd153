// Moving entries between the available list and the member list, with the limits checked on the way in.
#include "dialogs/group_membership.h"

#include "dialogs/group_lists.h"
#include "dialogs/group_rules.h"
#include "provider/heap.h"
#include "resources/resource.h"

namespace abk {

namespace {

void Inform(HWND dialog, const EntryDialogParams* params, UINT textId) {
  ShowGroupMessage(dialog, params->instance, textId, MB_ICONINFORMATION);
}

// Adds what an item stands for to the running total. False when the add must stop: `refused` then says
// whether the user is told (a cycle or too many entries) or not (a failed read).
bool CountItem(BookGroupGraph& graph, const RecipientItem& item, ULONG* total, bool* refused) {
  GraphMember member = graph.Member(RowEntryId(*item.row), item.kind);
  CountStatus status = CountIndividuals(graph, member, kNoEditedGroup, nullptr, total);
  if (!graph.Complete()) return false;
  if (status == CountStatus::kReadFailed) return false;
  *refused = status != CountStatus::kCounted || *total > kMaxGroupMembers;
  return !*refused;
}

// The indexes of the available list's selected items, in list order, in a heap block of `count`.
int* SelectedAvailable(HWND list, int count) {
  int* indexes = static_cast<int*>(HeapAllocate(count * sizeof(int)));
  if (!indexes) return nullptr;
  int found = 0;
  for (int i = -1; found < count;) {
    i = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, i, LVNI_SELECTED));
    if (i < 0) break;
    indexes[found++] = i;
  }
  for (; found < count; ++found)
    indexes[found] = -1;
  return indexes;
}

bool ChooseInCurrentList(GroupDialogState& state, const RecipientItem& item) {
  const BYTE* id = RowEntryId(*item.row);
  MemberChoice* node = FindMember(state.current, id);
  if (!node) return PushMember(&state.current, item.kind, id);
  node->flags |= item.kind;
  return true;
}

void DropFromCurrentList(GroupDialogState& state, const RecipientItem& item) {
  MemberChoice* node = FindMember(state.current, RowEntryId(*item.row));
  if (!node) return;
  ULONG old = node->flags;
  node->flags ^= item.kind;
  // A group, or a person's last chosen number, leaves the list.
  if (old == item.kind) UnlinkMember(&state.current, node);
}

void Repaint(HWND dialog) {
  InvalidateRect(GetDlgItem(dialog, IDC_AVAILABLE_LIST), nullptr, TRUE);
  InvalidateRect(GetDlgItem(dialog, IDC_MEMBER_LIST), nullptr, TRUE);
}

} // namespace

void AddToGroup(HWND dialog, const EntryDialogParams* params) {
  HWND available = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  HWND members = GetDlgItem(dialog, IDC_MEMBER_LIST);
  int selected = static_cast<int>(SendMessageA(available, LVM_GETSELECTEDCOUNT, 0, 0));
  if (selected <= 0) {
    Inform(dialog, params, IDS_GROUP_NOTHING_SELECTED);
    return;
  }
  int memberCount = static_cast<int>(SendMessageA(members, LB_GETCOUNT, 0, 0));
  if (selected + memberCount > static_cast<int>(kMaxGroupMembers)) {
    Inform(dialog, params, IDS_GROUP_TOO_MANY_MEMBERS);
    return;
  }
  int* indexes = SelectedAvailable(available, selected);
  if (!indexes) return;

  // Nested groups are read from the store once each.
  BookGroupGraph graph(params->session, nullptr, nullptr);
  ULONG total = 0;
  bool refused = false;
  bool counted = true;
  for (int i = 0; counted && i < selected; ++i) {
    RecipientItem* item = indexes[i] >= 0 ? AvailableItemAt(available, indexes[i]) : nullptr;
    if (item) counted = CountItem(graph, *item, &total, &refused);
  }
  for (int i = 0; counted && i < memberCount; ++i) {
    RecipientItem* item = MemberItemAt(members, i);
    if (item) counted = CountItem(graph, *item, &total, &refused);
  }
  if (!counted) {
    if (refused) Inform(dialog, params, IDS_GROUP_TOO_MANY_INDIVIDUALS);
    HeapFree(indexes);
    return;
  }

  // Entries that could not move (memory ran out) stay where they were.
  int moved = 0;
  for (; moved < selected; ++moved) {
    RecipientItem* item = indexes[moved] >= 0 ? AvailableItemAt(available, indexes[moved]) : nullptr;
    if (!item || !ChooseInCurrentList(GroupStateOf(dialog), *item)) break;
    if (!AddMemberEntry(members, item)) {
      DropFromCurrentList(GroupStateOf(dialog), *item);
      break;
    }
  }
  for (int i = moved - 1; i >= 0; --i)
    SendMessageA(available, LVM_DELETEITEM, indexes[i], 0);
  HeapFree(indexes);
  Repaint(dialog);
}

void RemoveFromGroup(HWND dialog, const EntryDialogParams* params) {
  HWND available = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  HWND members = GetDlgItem(dialog, IDC_MEMBER_LIST);
  int selected = static_cast<int>(SendMessageA(members, LB_GETSELCOUNT, 0, 0));
  if (selected <= 0) {
    Inform(dialog, params, IDS_GROUP_NOTHING_SELECTED);
    return;
  }
  int* indexes = static_cast<int*>(HeapAllocate(selected * sizeof(int)));
  if (!indexes) return;
  selected = static_cast<int>(SendMessageA(members, LB_GETSELITEMS, selected, reinterpret_cast<LPARAM>(indexes)));
  int moved = 0;
  for (; moved < selected; ++moved) {
    RecipientItem* item = MemberItemAt(members, indexes[moved]);
    if (!item || InsertAvailableItem(available, moved, item) < 0) break;
    DropFromCurrentList(GroupStateOf(dialog), *item);
  }
  for (int i = moved - 1; i >= 0; --i)
    SendMessageA(members, LB_DELETESTRING, indexes[i], 0);
  HeapFree(indexes);
  Repaint(dialog);
}

} // namespace abk
