// The group dialog's procedure. For now the dialog only opens and closes.
#include "dialogs/group_dialog.h"

#include "resources/resource.h"

namespace abk {

namespace {

INT_PTR CALLBACK GroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

} // namespace

INT_PTR ShowGroupDialog(HWND owner, EntryDialogParams* params) {
  if (!params || !params->session) return -1;
  return DialogBoxParamA(params->instance, MAKEINTRESOURCEA(IDD_GROUP), owner, GroupDialogProc,
                         reinterpret_cast<LPARAM>(params));
}

} // namespace abk
