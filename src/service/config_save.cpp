// OK in the service configuration dialog: the trimmed name and an empty file path go into the profile
// section in one SetProps, then the section is saved.
#include "dialogs/dialog_common.h"
#include "provider/heap.h"
#include "provider/host_interfaces.h"
#include "resources/resource.h"
#include "service/config_dialog.h"

namespace abk {

namespace {

void ShowSaveFailure(HWND dialog, HINSTANCE instance) {
  ShowStringMessage(dialog, instance, IDS_CONFIG_SAVE_FAILED, IDS_CONFIG_CAPTION, MB_OK | MB_ICONSTOP);
}

HRESULT WriteProfile(HWND dialog, const ServiceConfigBlock* block, char* name, char* path) {
  SPropValue values[2] = {};
  values[0].ulPropTag = PR_DISPLAY_NAME;
  values[0].Value.lpszA = name;
  values[1].ulPropTag = PR_AB_FILE_PATH;
  values[1].Value.lpszA = path;
  HRESULT hr = block->profile->SetProps(2, values, nullptr);
  if (FAILED(hr)) {
    ShowSaveFailure(dialog, block->instance);
    return hr;
  }
  hr = block->profile->SaveChanges(KEEP_OPEN_READWRITE);
  if (FAILED(hr)) ShowSaveFailure(dialog, block->instance);
  return hr;
}

} // namespace

HRESULT SaveServiceConfig(HWND dialog, const ServiceConfigBlock* block) {
  if (!block) return E_INVALIDARG;
  char* name = static_cast<char*>(HeapAllocate(kServiceNameLimit + 1));
  char* path = static_cast<char*>(HeapAllocate(1));
  if (!name || !path) {
    HeapFree(name);
    HeapFree(path);
    return E_OUTOFMEMORY;
  }
  memset(name, 0, kServiceNameLimit + 1);
  path[0] = '\0';
  GetDlgItemTextA(dialog, IDC_SERVICE_NAME, name, kServiceNameLimit + 1);
  TrimSpaces(name);

  HRESULT hr = E_FAIL;
  if (!name[0]) {
    ShowStringMessage(dialog, block->instance, IDS_CONFIG_NO_NAME, IDS_CONFIG_CAPTION, MB_OK | MB_ICONINFORMATION);
    SetFocus(GetDlgItem(dialog, IDC_SERVICE_NAME));
  } else {
    hr = WriteProfile(dialog, block, name, path);
  }
  HeapFree(path);
  HeapFree(name);
  return hr;
}

} // namespace abk
