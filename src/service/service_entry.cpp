// ABServiceEntry: what the host calls when the service is installed, created, configured, deleted or
// uninstalled. It writes the values it is given into the profile section, converts an existing address
// book when the service is created, and shows the configuration dialog when asked to.
#include "provider/host_input.h"
#include "provider/host_interfaces.h"
#include "service/config_dialog.h"
#include "store/conversion.h"

namespace abk {

extern "C" HRESULT WINAPI ABServiceEntry(HINSTANCE hInstance, HWND hwndParent, ULONG ulFlags, ULONG ulContext,
                                         ULONG cValues, LPSPropValue lpProps, LPMAPIPROP lpProfile,
                                         LPABHOSTSUPPORT lpSupport) {
  if (!lpProfile || !lpSupport) return E_INVALIDARG;

  if (cValues && lpProps && ReadableValues(lpProps, cValues)) {
    HRESULT hr = lpProfile->SetProps(cValues, lpProps, nullptr);
    if (FAILED(hr)) return hr;
  }

  ServiceConfigBlock block = {lpProfile, hInstance, nullptr, nullptr, nullptr};
  HRESULT hr = lpSupport->GetMemAllocRoutines(&block.allocateBuffer, &block.allocateMore, &block.freeBuffer);
  if (FAILED(hr)) return hr;

  switch (ulContext) {
  case MSG_SERVICE_INSTALL:
  case MSG_SERVICE_DELETE:
  case MSG_SERVICE_UNINSTALL:
    return S_OK;
  case MSG_SERVICE_CREATE:
    // An existing address book gets its one chance to be converted; the service is created anyway.
    ConvertAddressBook(nullptr);
    if (!(ulFlags & (SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED))) return S_OK;
    break;
  case MSG_SERVICE_CONFIGURE:
    break;
  default:
    return MAPI_E_NO_SUPPORT;
  }
  // The routines come from the host: a dialog without a way to free what GetProps returns cannot run.
  if (!block.freeBuffer) return MAPI_E_CALL_FAILED;
  INT_PTR ended = ShowServiceConfigDialog(hwndParent, &block);
  if (ended == IDCANCEL) return MAPI_E_USER_CANCEL;
  return ended == -1 ? MAPI_E_CALL_FAILED : S_OK;
}

} // namespace abk
