// Push buttons and check boxes: check state, and BM_CLICK focusing the button and telling the parent
// BN_CLICKED.
#include "window.h"

namespace abkwin {

namespace {

DWORD ButtonType(Window* button) { return button->style & BS_TYPEMASK; }

// An automatic radio button clears the other automatic radio buttons of its dialog when clicked.
void CheckRadio(Window* button) {
  if (button->parent) {
    for (Window* sibling : button->parent->children) {
      if (sibling->kind == WindowKind::Button && ButtonType(sibling) == BS_AUTORADIOBUTTON)
        sibling->check = BST_UNCHECKED;
    }
  }
  button->check = BST_CHECKED;
}

} // namespace

LRESULT ButtonMessage(Window* button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case BM_GETCHECK:
    return button->check;
  case BM_SETCHECK:
    button->check = static_cast<UINT>(wParam);
    return 0;
  case BM_CLICK:
    if (button->style & WS_DISABLED) return 0;
    // The click's mouse press focuses the button before it reports the click, as on Windows.
    SetFocus(ToHandle(button));
    if (ButtonType(button) == BS_AUTOCHECKBOX)
      button->check = button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    if (ButtonType(button) == BS_AUTORADIOBUTTON) CheckRadio(button);
    NotifyParent(button, BN_CLICKED);
    return 0;
  default:
    return DefaultTextMessage(button, message, wParam, lParam);
  }
}

} // namespace abkwin
