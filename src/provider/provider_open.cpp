// ABProviderOpen: opens one session on the address book that the provider's profile section describes.
#include <cstring>

#include "provider/host_input.h"
#include "provider/host_interfaces.h"
#include "provider/module_state.h"
#include "provider/session.h"

namespace abk {

namespace {

// Read with one GetProps call, in this order.
enum ProfilePosition { PROFILE_DISPLAY_NAME = 0, PROFILE_FILE_PATH = 1, PROFILE_SERVICE_UID = 2 };
SizedSPropTagArray(3, kProfileTags) = {3, {PR_DISPLAY_NAME, PR_AB_FILE_PATH, PR_SERVICE_UID}};

// A value the profile could not give (missing from a short answer, or an error value) counts as
// absent; an error value's code is never read as a pointer.
const SPropValue* ProfileValue(ULONG count, const SPropValue* values, ProfilePosition position, ULONG propId) {
  if (!values || count <= static_cast<ULONG>(position)) return nullptr;
  const SPropValue& value = values[position];
  if (PROP_TYPE(value.ulPropTag) == PT_ERROR) return nullptr;
  if (propId && PROP_ID(value.ulPropTag) != propId) return nullptr;
  return &value;
}

} // namespace

extern "C" HRESULT __cdecl ABProviderOpen(HINSTANCE hInstance, LPABHOSTSUPPORT lpSupport, LPMAPIPROP lpProfile, ULONG,
                                          ULONG, ULONG, ULONG, LPFREEBUFFER lpFreeProfileProps, LPADRBOOK* lppSession) {
  if (!lpSupport || !lpProfile) return E_INVALIDARG;
  if (!Writable(lppSession)) return E_INVALIDARG;
  *lppSession = nullptr;

  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = lpProfile->GetProps(reinterpret_cast<LPSPropTagArray>(&kProfileTags), 0, &count, &values);
  if (FAILED(hr)) return hr;

  const SPropValue* uid = ProfileValue(count, values, PROFILE_SERVICE_UID, PROP_ID(PR_SERVICE_UID));
  const SPropValue* name = ProfileValue(count, values, PROFILE_DISPLAY_NAME, PROP_ID(PR_DISPLAY_NAME));
  // Only a string is taken as the path; anything else (an error value above all) means no path.
  const SPropValue* path = ProfileValue(count, values, PROFILE_FILE_PATH, 0);
  if (path && PROP_TYPE(path->ulPropTag) != PT_STRING8) path = nullptr;

  AddressBookSession* session = nullptr;
  // A service identifier shorter than 16 bytes would be read past its end.
  if (!uid || !uid->Value.bin.lpb || uid->Value.bin.cb < sizeof(MAPIUID)) {
    hr = MAPI_E_BAD_VALUE;
  } else if (!name || !name->Value.lpszA) {
    hr = MAPI_E_UNCONFIGURED;
  } else {
    hr = lpSupport->GetMemAllocRoutines(&AllocateBuffer, &AllocateMore, &FreeBuffer);
    if (SUCCEEDED(hr)) {
      session = AddressBookSession::Create(hInstance, uid->Value.bin.lpb);
      hr = session ? S_OK : E_OUTOFMEMORY;
    }
    if (session) {
      hr = session->Initialize(nullptr, path ? path->Value.lpszA : nullptr, name->Value.lpszA, lpSupport);
      if (FAILED(hr)) {
        AddressBookSession::Destroy(session);
        session = nullptr;
      }
    }
    if (session) {
      *lppSession = session;
      lpSupport->RegisterServiceUid(reinterpret_cast<LPMAPIUID>(uid->Value.bin.lpb), 0);
    }
  }

  if (lpFreeProfileProps && values) lpFreeProfileProps(values);
  return hr;
}

} // namespace abk
