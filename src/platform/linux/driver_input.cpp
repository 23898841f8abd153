// What a dialog driver does in place of the user: typing into an edit and choosing a list item.
#include <abkplatform.h>

#include "window.h"

using namespace abkwin;

extern "C" BOOL AbkTypeText(HWND control, const char* text) {
  Window* window = FromHandle(control);
  if (!window || (window->kind != WindowKind::Edit && window->kind != WindowKind::ComboBox)) return FALSE;
  std::string typed = text ? text : "";
  if (typed.size() > window->limit) typed.resize(window->limit);
  window->text = typed;
  window->selStart = window->selEnd = static_cast<DWORD>(typed.size());
  if (window->kind == WindowKind::ComboBox) window->current = -1;
  NotifyParent(window, window->kind == WindowKind::Edit ? EN_CHANGE : CBN_EDITCHANGE);
  return TRUE;
}

extern "C" BOOL AbkSelectItem(HWND control, int index) {
  Window* window = FromHandle(control);
  if (!window || index < 0) return FALSE;
  if (window->kind == WindowKind::ComboBox) {
    if (SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) return FALSE;
    NotifyParent(window, CBN_SELCHANGE);
    return TRUE;
  }
  if (window->kind != WindowKind::ListBox || static_cast<size_t>(index) >= window->items.size()) return FALSE;
  for (ListItem& item : window->items)
    item.selected = false;
  window->items[static_cast<size_t>(index)].selected = true;
  window->caret = index;
  if (window->style & LBS_NOTIFY) NotifyParent(window, LBN_SELCHANGE);
  return TRUE;
}
