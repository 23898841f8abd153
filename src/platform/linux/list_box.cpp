// The list box: items with data, sorted or not, single or multiple (extended) selection.
#include "window.h"

#include <cstring>

namespace abkwin {

namespace {

bool IsMultiple(Window* list) { return (list->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }

bool ValidIndex(Window* list, WPARAM index) { return index < list->items.size(); }

LRESULT Insert(Window* list, int position, const char* text) {
  int count = static_cast<int>(list->items.size());
  if (position < 0 || position > count) position = count;
  list->items.insert(list->items.begin() + position, ListItem{text ? text : "", 0, false});
  if (list->caret >= position) ++list->caret;
  return position;
}

LRESULT Delete(Window* list, WPARAM index) {
  if (!ValidIndex(list, index)) return LB_ERR;
  list->items.erase(list->items.begin() + static_cast<long>(index));
  int removed = static_cast<int>(index);
  if (list->caret == removed) list->caret = -1;
  if (list->caret > removed) --list->caret;
  return static_cast<LRESULT>(list->items.size());
}

int SelectedIndex(Window* list) {
  for (size_t i = 0; i < list->items.size(); ++i) {
    if (list->items[i].selected) return static_cast<int>(i);
  }
  return LB_ERR;
}

LRESULT SetCurrent(Window* list, WPARAM index) {
  if (IsMultiple(list)) return LB_ERR;
  for (ListItem& item : list->items)
    item.selected = false;
  if (!ValidIndex(list, index)) return LB_ERR;
  list->items[index].selected = true;
  list->caret = static_cast<int>(index);
  return static_cast<LRESULT>(index);
}

// LB_SETSEL: wParam selects or clears, lParam is the item, -1 for every item.
LRESULT SetSelected(Window* list, WPARAM select, LPARAM index) {
  if (!IsMultiple(list)) return LB_ERR;
  if (index == -1) {
    for (ListItem& item : list->items)
      item.selected = select != 0;
    return LB_OKAY;
  }
  if (index < 0 || !ValidIndex(list, static_cast<WPARAM>(index))) return LB_ERR;
  list->items[static_cast<size_t>(index)].selected = select != 0;
  list->caret = static_cast<int>(index);
  return LB_OKAY;
}

LRESULT SelectedItems(Window* list, WPARAM capacity, LPARAM lParam) {
  if (!IsMultiple(list)) return LB_ERR;
  int* out = reinterpret_cast<int*>(lParam);
  WPARAM written = 0;
  for (size_t i = 0; i < list->items.size() && written < capacity && out; ++i) {
    if (list->items[i].selected) out[written++] = static_cast<int>(i);
  }
  return static_cast<LRESULT>(written);
}

LRESULT SelectedCount(Window* list) {
  if (!IsMultiple(list)) return LB_ERR;
  LRESULT count = 0;
  for (const ListItem& item : list->items)
    count += item.selected ? 1 : 0;
  return count;
}

LRESULT CopyText(Window* list, WPARAM index, LPARAM lParam) {
  if (!ValidIndex(list, index)) return LB_ERR;
  const std::string& text = list->items[index].text;
  if (lParam) memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
  return static_cast<LRESULT>(text.size());
}

} // namespace

LRESULT ListBoxMessage(Window* list, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
  case LB_ADDSTRING:
    return Insert(list, (list->style & LBS_SORT) ? SortedPosition(list->items, text ? text : "") : -1, text);
  case LB_INSERTSTRING:
    return Insert(list, static_cast<int>(wParam), text);
  case LB_DELETESTRING:
    return Delete(list, wParam);
  case LB_RESETCONTENT:
    list->items.clear();
    list->caret = -1;
    return 0;
  case LB_GETCOUNT:
    return static_cast<LRESULT>(list->items.size());
  case LB_GETTEXT:
    return CopyText(list, wParam, lParam);
  case LB_GETTEXTLEN:
    return ValidIndex(list, wParam) ? static_cast<LRESULT>(list->items[wParam].text.size()) : LB_ERR;
  case LB_SETITEMDATA:
    if (!ValidIndex(list, wParam)) return LB_ERR;
    list->items[wParam].data = lParam;
    return TRUE;
  case LB_GETITEMDATA:
    return ValidIndex(list, wParam) ? list->items[wParam].data : LB_ERR;
  case LB_GETCURSEL:
    // A multiple-selection list answers its focus item.
    return IsMultiple(list) ? (list->caret >= 0 ? list->caret : LB_ERR) : SelectedIndex(list);
  case LB_SETCURSEL:
    return SetCurrent(list, wParam);
  case LB_GETSEL:
    return ValidIndex(list, wParam) ? (list->items[wParam].selected ? 1 : 0) : LB_ERR;
  case LB_SETSEL:
    return SetSelected(list, wParam, lParam);
  case LB_GETSELCOUNT:
    return SelectedCount(list);
  case LB_GETSELITEMS:
    return SelectedItems(list, wParam, lParam);
  case LB_FINDSTRINGEXACT:
    return FindExact(list->items, static_cast<int>(wParam), text);
  default:
    return DefaultTextMessage(list, message, wParam, lParam);
  }
}

} // namespace abkwin
