// The service configuration dialog's procedure: the current name at start, the byte limit on every
// change, OK and Cancel, and context help from the help file beside the module.
#include "service/config_dialog.h"
#include "dialogs/dialog_common.h"
#include "provider/host_interfaces.h"
#include "resources/resource.h"
#include "store/conversion.h"

namespace abk {

namespace {

// One configuration dialog at a time: its block and the help file it points at.
ServiceConfigBlock* g_config = nullptr;
char g_configHelpPath[MAX_PATH];

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

void Initialize(HWND dialog, ServiceConfigBlock* block) {
  g_config = block;
  SendDlgItemMessageA(dialog, IDC_SERVICE_NAME, EM_LIMITTEXT, kServiceNameLimit, 0);
  ShowCurrentName(dialog, block);
  memset(g_configHelpPath, 0, sizeof g_configHelpPath);
  HelpFilePath(block->instance, g_configHelpPath);
}

void ShowContextHelp(UINT message, WPARAM wParam, LPARAM lParam) {
  ULONG_PTR map = reinterpret_cast<ULONG_PTR>(ConfigHelpIds);
  if (message == WM_CONTEXTMENU) {
    WinHelpA(reinterpret_cast<HWND>(wParam), g_configHelpPath, HELP_CONTEXTMENU, map);
    return;
  }
  const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
  if (info && info->iContextType == HELPINFO_WINDOW && info->iCtrlId != -1) {
    WinHelpA(static_cast<HWND>(info->hItemHandle), g_configHelpPath, HELP_WM_HELP, map);
  }
}

INT_PTR CALLBACK ServiceConfigProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    Initialize(dialog, reinterpret_cast<ServiceConfigBlock*>(lParam));
    return TRUE;
  case WM_HELP:
  case WM_CONTEXTMENU:
    ShowContextHelp(message, wParam, lParam);
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
    if (SUCCEEDED(SaveServiceConfig(dialog, g_config))) EndDialog(dialog, IDOK);
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
  return DialogBoxParamA(block->instance, MAKEINTRESOURCEA(IDD_SERVICE_CONFIG), owner, ServiceConfigProc,
                         reinterpret_cast<LPARAM>(block));
}

} // namespace abk
