// Sorting the available recipients by a column, the other columns breaking ties, in the order and
// direction the user chose last, kept from one opening of the dialog to the next.
#include "dialogs/group_lists.h"
#include "resources/resource.h"

namespace abk {

namespace {

// lParamSort is the dialog's state.
int CALLBACK CompareRecipientItems(LPARAM first, LPARAM second, LPARAM sortState) {
  const RecipientItem& a = *reinterpret_cast<const RecipientItem*>(first);
  const RecipientItem& b = *reinterpret_cast<const RecipientItem*>(second);
  const GroupDialogState& state = *reinterpret_cast<const GroupDialogState*>(sortState);
  int column = state.sortColumn;
  int result = lstrcmpA(ItemColumnText(a, column), ItemColumnText(b, column));
  for (int other = 0; result == 0 && other < kGroupListColumns; ++other) {
    if (other != column) result = lstrcmpA(ItemColumnText(a, other), ItemColumnText(b, other));
  }
  return state.sortDescending ? -result : result;
}

} // namespace

void SortAvailableList(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_AVAILABLE_LIST, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&GroupStateOf(dialog)),
                      reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(CompareRecipientItems)));
}

void OnColumnClick(HWND dialog, int column) {
  if (column < 0 || column >= kGroupListColumns) return;
  // An empty list keeps the order it had.
  if (SendDlgItemMessageA(dialog, IDC_AVAILABLE_LIST, LVM_GETITEMCOUNT, 0, 0) <= 0) return;
  GroupDialogState& state = GroupStateOf(dialog);
  if (column == state.sortColumn) {
    state.sortDescending = !state.sortDescending;
  } else {
    state.sortColumn = column;
    state.sortDescending = false;
  }
  KeepSortOrder(state.sortColumn, state.sortDescending);
  SortAvailableList(dialog);
}

} // namespace abk
