// Filling the group dialog's lists from the book: at opening, and again for the Show boxes.
#include "dialogs/group_lists.h"
#include "provider/heap.h"
#include "resources/resource.h"

namespace abk {

namespace {

// Show box bits.
constexpr ULONG kShowPersons = 0x1;
constexpr ULONG kShowGroups = 0x2;

bool IsEdited(const BYTE* id, const BYTE* edited) { return edited && SameEntry(id, edited); }

const SRow* FindMemberRow(const SRowSet* memberRows, const BYTE* id) {
  for (ULONG i = 0; memberRows && i < memberRows->cRows; ++i) {
    const BYTE* memberId = RowEntryId(memberRows->aRow[i]);
    if (memberId && SameEntry(memberId, id)) return &memberRows->aRow[i];
  }
  return nullptr;
}

// A new item, in the member list when `chosen`, else at the next position of the available list.
bool PlaceItem(HWND dialog, ULONG kind, const SRow& row, bool chosen, int* position) {
  RecipientItem* item = HeapNew<RecipientItem>(RecipientItem{kind, &row});
  if (!item) return false;
  if (chosen) {
    if (AddMemberEntry(GetDlgItem(dialog, IDC_MEMBER_LIST), item)) return true;
  } else if (InsertAvailableItem(GetDlgItem(dialog, IDC_AVAILABLE_LIST), *position, item) >= 0) {
    ++*position;
    return true;
  }
  HeapDelete(item);
  return false;
}

} // namespace

bool FillLists(HWND dialog, const SRowSet* memberRows, const BYTE* edited) {
  const SRowSet* rows = GroupStateOf(dialog).rows;
  int position = 0;
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const SRow& row = rows->aRow[i];
    const BYTE* id = RowEntryId(row);
    if (!id || IsEdited(id, edited)) continue;
    // A member of the group that has no row in the book is neither shown nor touched by a save.
    const SRow* member = FindMemberRow(memberRows, id);
    bool isGroup = TypeWordOf(id) == kEntryTypeGroup;
    if (isGroup || FaxPresent(row, kRowPrimaryFax)) {
      bool chosen = member && (isGroup || FaxPresent(*member, kRowPrimaryFax));
      if (!PlaceItem(dialog, isGroup ? kItemGroup : kItemPrimaryFax, row, chosen, &position)) return false;
    }
    if (FaxPresent(row, kRowSecondaryFax)) {
      bool chosen = member && FaxPresent(*member, kRowSecondaryFax);
      if (!PlaceItem(dialog, kItemSecondaryFax, row, chosen, &position)) return false;
    }
    if (member) {
      ULONG flags = isGroup ? 0 : MemberRowFlags(*member);
      GroupDialogState& state = GroupStateOf(dialog);
      if (!PushMember(&state.initial, flags, id) || !PushMember(&state.current, flags, id)) return false;
    }
  }
  return true;
}

void RefillAvailableList(HWND dialog, int clicked, const BYTE* edited) {
  ULONG show = 0;
  if (IsDlgButtonChecked(dialog, IDC_SHOW_PERSONS) == BST_CHECKED) show |= kShowPersons;
  if (IsDlgButtonChecked(dialog, IDC_SHOW_GROUPS) == BST_CHECKED) show |= kShowGroups;
  // The list never shows nothing at all: the last box stays checked.
  if (!show) {
    CheckDlgButton(dialog, clicked, BST_CHECKED);
    return;
  }
  HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  ClearAvailableList(list);
  const SRowSet* rows = GroupStateOf(dialog).rows;
  int position = 0;
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const SRow& row = rows->aRow[i];
    const BYTE* id = RowEntryId(row);
    if (!id || IsEdited(id, edited)) continue;
    ULONG type = TypeWordOf(id);
    if ((type == kEntryTypePerson && !(show & kShowPersons)) || (type == kEntryTypeGroup && !(show & kShowGroups)))
      continue;
    const MemberChoice* node = FindMember(GroupStateOf(dialog).current, id);
    bool isGroup = type == kEntryTypeGroup;
    if (node && (isGroup || node->flags == (kItemPrimaryFax | kItemSecondaryFax))) continue;
    ULONG chosen = node ? node->flags : 0;
    if (isGroup || (!(chosen & kItemPrimaryFax) && FaxPresent(row, kRowPrimaryFax))) {
      if (!PlaceItem(dialog, isGroup ? kItemGroup : kItemPrimaryFax, row, false, &position)) break;
    }
    if (!isGroup && !(chosen & kItemSecondaryFax) && FaxPresent(row, kRowSecondaryFax)) {
      if (!PlaceItem(dialog, kItemSecondaryFax, row, false, &position)) break;
    }
  }
  SortAvailableList(dialog);
}

} // namespace abk
