// The service configuration dialog's procedure: the current name at start, the byte limit on every
// change, OK and Cancel, and context help from the help file beside the module.
#include "service/config_dialog.h"
#include "dialogs/dialog_common.h"
#include "provider/host_interfaces.h"
#include "resources/resource.h"
#include "store/conversion.h"

namespace abk {

namespace {

// One configuration dialog: the caller's block and the help file it points at, reached from the
// dialog's window (DWLP_USER).
struct ConfigDialog {
  ServiceConfigBlock* block;
  char helpPath[MAX_PATH];
};

ConfigDialog* ConfigDialogOf(HWND dialog) {
  return reinterpret_cast<ConfigDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void ShowCurrentName(HWND dialog, const ServiceConfigBlock* block) {
  SizedSPropTagArray(2, wanted) = {2, {PR_DISPLAY_NAME, PR_AB_FILE_PATH}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  if (FAILED(block->profile->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values))) return;
  if (!values) return;
  if (count >= 1 && values[0].ulPropTag == PR_DISPLAY_NAME && values[0].Value.lpszA) {
    SetDlgItemTextA(dialog, IDC_SERVICE_NAME, values[0].Value.lpszA);
  }
  block->freeBuffer(values);
}

void Initialize(HWND dialog, ConfigDialog* record) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  SendDlgItemMessageA(dialog, IDC_SERVICE_NAME, EM_LIMITTEXT, kServiceNameLimit, 0);
  ShowCurrentName(dialog, record->block);
  memset(record->helpPath, 0, sizeof record->helpPath);
  HelpFilePath(record->block->instance, record->helpPath);
}

void ShowContextHelp(const ConfigDialog& record, UINT message, WPARAM wParam, LPARAM lParam) {
  ULONG_PTR map = reinterpret_cast<ULONG_PTR>(ConfigHelpIds);
  if (message == WM_CONTEXTMENU) {
    WinHelpA(reinterpret_cast<HWND>(wParam), record.helpPath, HELP_CONTEXTMENU, map);
    return;
  }
  const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
  if (info && info->iContextType == HELPINFO_WINDOW && info->iCtrlId != -1) {
    WinHelpA(static_cast<HWND>(info->hItemHandle), record.helpPath, HELP_WM_HELP, map);
  }
}

INT_PTR CALLBACK ServiceConfigProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    Initialize(dialog, reinterpret_cast<ConfigDialog*>(lParam));
    return TRUE;
  case WM_HELP:
  case WM_CONTEXTMENU:
    if (const ConfigDialog* record = ConfigDialogOf(dialog)) ShowContextHelp(*record, message, wParam, lParam);
    return TRUE;
  case WM_COMMAND:
    break;
  default:
    return FALSE;
  }
  switch (LOWORD(wParam)) {
  case IDC_SERVICE_NAME:
    if (HIWORD(wParam) != EN_CHANGE) return FALSE;
    LimitNameBytes(reinterpret_cast<HWND>(lParam), kServiceNameLimit);
    return TRUE;
  case IDOK:
    if (ConfigDialog* record = ConfigDialogOf(dialog); record && SUCCEEDED(SaveServiceConfig(dialog, record->block)))
      EndDialog(dialog, IDOK);
    return TRUE;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR ShowServiceConfigDialog(HWND owner, ServiceConfigBlock* block) {
  if (!block || !block->profile) return -1;
  // The dialog's own record lives as long as the modal loop.
  ConfigDialog record{block, {}};
  return DialogBoxParamA(block->instance, MAKEINTRESOURCEA(IDD_SERVICE_CONFIG), owner, ServiceConfigProc,
                         reinterpret_cast<LPARAM>(&record));
}

} // namespace abk
