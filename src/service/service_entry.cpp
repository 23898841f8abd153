// ABServiceEntry: what the host calls when the service is installed, created, configured, deleted or
// uninstalled. It writes the values it is given into the profile section; creation and configuration
// are completed by the service configuration code.
#include "provider/host_interfaces.h"

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
  default:
    // Creation (conversion, dialog) and configuration are not offered yet.
    return MAPI_E_NO_SUPPORT;
  }
}
