// The list view's item states, its notifications to the parent and the deletion of items.
#include "list_view.h"

namespace abkwin {

namespace {

constexpr UINT kExclusiveFocus = LVIS_FOCUSED;

// Changes one item and tells the parent; false when the parent destroyed the view meanwhile.
bool ChangeRow(Window* view, int index, UINT newState) {
  HWND handle = ToHandle(view);
  UINT oldState = view->rows[static_cast<size_t>(index)].state;
  if (oldState == newState) return true;
  view->rows[static_cast<size_t>(index)].state = newState;
  NotifyListView(view, LVN_ITEMCHANGED, index, oldState, newState, LVIF_STATE);
  return FromHandle(handle) == view;
}

// Clears bits from every item but keep, as Windows does before it sets them on the new item.
bool ClearOthers(Window* view, int keep, UINT bits) {
  for (int i = 0; i < static_cast<int>(view->rows.size()); ++i) {
    if (i == keep || !(view->rows[static_cast<size_t>(i)].state & bits)) continue;
    if (!ChangeRow(view, i, view->rows[static_cast<size_t>(i)].state & ~bits)) return false;
  }
  return true;
}

bool SetOne(Window* view, int index, UINT state, UINT mask) {
  UINT oldState = view->rows[static_cast<size_t>(index)].state;
  UINT newState = (oldState & ~mask) | (state & mask);
  UINT gained = newState & ~oldState;
  UINT exclusive = kExclusiveFocus | ((view->style & LVS_SINGLESEL) ? LVIS_SELECTED : 0);
  if (gained & exclusive) {
    if (!ClearOthers(view, index, gained & exclusive) || !ValidRow(view, index)) return false;
  }
  return ChangeRow(view, index, newState);
}

} // namespace

bool ValidRow(Window* view, int index) { return index >= 0 && index < static_cast<int>(view->rows.size()); }

LRESULT NotifyListView(Window* view, UINT code, int index, UINT oldState, UINT newState, UINT changed) {
  if (!view->parent) return 0;
  NMLISTVIEW info = {};
  info.hdr.hwndFrom = ToHandle(view);
  info.hdr.idFrom = static_cast<UINT_PTR>(view->id);
  info.hdr.code = code;
  info.iItem = index;
  info.uOldState = oldState;
  info.uNewState = newState;
  info.uChanged = changed;
  if (ValidRow(view, index)) info.lParam = view->rows[static_cast<size_t>(index)].data;
  return SendMessageA(ToHandle(view->parent), WM_NOTIFY, static_cast<WPARAM>(view->id),
                      reinterpret_cast<LPARAM>(&info));
}

BOOL SetRowState(Window* view, int index, UINT state, UINT mask) {
  if (index != -1) return ValidRow(view, index) && SetOne(view, index, state, mask) ? TRUE : FALSE;
  // Every item: a focus or a single selection given to all of them ends on the last one.
  for (int i = 0; i < static_cast<int>(view->rows.size()); ++i) {
    if (!SetOne(view, i, state, mask)) return FALSE;
  }
  return TRUE;
}

BOOL DeleteRow(Window* view, int index) {
  if (!ValidRow(view, index)) return FALSE;
  HWND handle = ToHandle(view);
  NotifyListView(view, LVN_DELETEITEM, index, 0, 0, 0);
  if (FromHandle(handle) != view || !ValidRow(view, index)) return FALSE;
  view->rows.erase(view->rows.begin() + index);
  return TRUE;
}

BOOL DeleteAllRows(Window* view) {
  HWND handle = ToHandle(view);
  // The parent answers TRUE to LVN_DELETEALLITEMS to be spared one LVN_DELETEITEM per item.
  bool quiet = NotifyListView(view, LVN_DELETEALLITEMS, -1, 0, 0, 0) != 0;
  if (FromHandle(handle) != view) return FALSE;
  for (int i = 0; !quiet && i < static_cast<int>(view->rows.size()); ++i) {
    NotifyListView(view, LVN_DELETEITEM, i, 0, 0, 0);
    if (FromHandle(handle) != view) return FALSE;
  }
  view->rows.clear();
  return TRUE;
}

void ReleaseListView(Window* view) {
  if (!view->rows.empty()) DeleteAllRows(view);
  view->rows.clear();
  if (view->style & LVS_SHAREIMAGELISTS) return;
  for (HIMAGELIST& list : view->imageLists) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
}

} // namespace abkwin
