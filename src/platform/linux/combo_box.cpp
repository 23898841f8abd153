// The combo box: a list of items with data, sorted or not, and an edit part with a text limit.
#include "window.h"

#include <cstring>

namespace abkwin {

namespace {

bool ValidIndex(Window* combo, WPARAM index) { return index < combo->items.size(); }

LRESULT Insert(Window* combo, int position, const char* text) {
  int count = static_cast<int>(combo->items.size());
  if (position < 0 || position > count) position = count;
  combo->items.insert(combo->items.begin() + position, ListItem{text ? text : "", 0, false});
  if (combo->current >= position) ++combo->current;
  return position;
}

LRESULT Delete(Window* combo, WPARAM index) {
  if (!ValidIndex(combo, index)) return CB_ERR;
  combo->items.erase(combo->items.begin() + static_cast<long>(index));
  int removed = static_cast<int>(index);
  if (combo->current == removed) combo->current = -1;
  if (combo->current > removed) --combo->current;
  return static_cast<LRESULT>(combo->items.size());
}

// Selecting an item puts its text in the edit part; -1 (or a bad index) clears both.
LRESULT SetCurrent(Window* combo, WPARAM index) {
  if (!ValidIndex(combo, index)) {
    combo->current = -1;
    combo->text.clear();
    return CB_ERR;
  }
  combo->current = static_cast<int>(index);
  combo->text = combo->items[index].text;
  combo->selStart = 0;
  combo->selEnd = static_cast<DWORD>(combo->text.size());
  return static_cast<LRESULT>(index);
}

LRESULT CopyText(Window* combo, WPARAM index, LPARAM lParam) {
  if (!ValidIndex(combo, index)) return CB_ERR;
  const std::string& text = combo->items[index].text;
  if (lParam) memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
  return static_cast<LRESULT>(text.size());
}

} // namespace

LRESULT ComboBoxMessage(Window* combo, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
  case CB_ADDSTRING:
    return Insert(combo, (combo->style & CBS_SORT) ? SortedPosition(combo->items, text ? text : "") : -1, text);
  case CB_INSERTSTRING:
    return Insert(combo, static_cast<int>(wParam), text);
  case CB_DELETESTRING:
    return Delete(combo, wParam);
  case CB_RESETCONTENT:
    combo->items.clear();
    combo->current = -1;
    combo->text.clear();
    return CB_OKAY;
  case CB_GETCOUNT:
    return static_cast<LRESULT>(combo->items.size());
  case CB_GETLBTEXT:
    return CopyText(combo, wParam, lParam);
  case CB_GETLBTEXTLEN:
    return ValidIndex(combo, wParam) ? static_cast<LRESULT>(combo->items[wParam].text.size()) : CB_ERR;
  case CB_SETITEMDATA:
    if (!ValidIndex(combo, wParam)) return CB_ERR;
    combo->items[wParam].data = lParam;
    return CB_OKAY;
  case CB_GETITEMDATA:
    return ValidIndex(combo, wParam) ? combo->items[wParam].data : CB_ERR;
  case CB_SETCURSEL:
    return SetCurrent(combo, wParam);
  case CB_GETCURSEL:
    return combo->current;
  case CB_LIMITTEXT:
    combo->limit = wParam ? static_cast<size_t>(wParam) : 0x7FFFFFFE;
    return TRUE;
  case CB_FINDSTRINGEXACT:
    return FindExact(combo->items, static_cast<int>(wParam), text);
  default:
    // WM_SETTEXT/WM_GETTEXT reach the edit part; as in an edit, the limit binds typing only.
    return DefaultTextMessage(combo, message, wParam, lParam);
  }
}

} // namespace abkwin
