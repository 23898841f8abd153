// ABServiceEntry: what the host calls when the service is installed, created, configured, deleted or
// uninstalled. It writes the values it is given into the profile section; creation and configuration
// are completed by the service configuration code.
#include "provider/host_interfaces.h"
#include "store/conversion.h"

extern "C" HRESULT WINAPI ABServiceEntry(HINSTANCE hInstance, HWND hwndParent, ULONG ulFlags, ULONG ulContext,
                                         ULONG cValues, LPSPropValue lpProps, LPMAPIPROP lpProfile,
                                         LPABHOSTSUPPORT lpSupport) {
  if (!lpProfile || !lpSupport) return E_INVALIDARG;

  if (cValues && lpProps && !IsBadReadPtr(lpProps, cValues * sizeof(SPropValue))) {
    HRESULT hr = lpProfile->SetProps(cValues, lpProps, nullptr);
    if (FAILED(hr)) return hr;
  }

  LPALLOCATEBUFFER allocateBuffer = nullptr;
  LPALLOCATEMORE allocateMore = nullptr;
  LPFREEBUFFER freeBuffer = nullptr;
  HRESULT hr = lpSupport->GetMemAllocRoutines(&allocateBuffer, &allocateMore, &freeBuffer);
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
    return MAPI_E_NO_SUPPORT; // the configuration dialog is not offered yet
  default:
    // Configuration (the dialog) is not offered yet; other contexts are unknown.
    return MAPI_E_NO_SUPPORT;
  }
}
