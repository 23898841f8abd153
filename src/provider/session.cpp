// AddressBookSession: construction, initialisation, interface negotiation, reference counting, and the
// slots of its table that the provider does not offer.
#include "provider/session.h"

#include <cstring>

#include "provider/heap.h"
#include "provider/host_input.h"
#include "store/store_library.h"

namespace abk {

AddressBookSession::AddressBookSession(HINSTANCE instance, const BYTE* serviceUid) : instance_(instance) {
  memcpy(&serviceUid_, serviceUid, sizeof serviceUid_);
}

AddressBookSession::~AddressBookSession() {
  HeapFree(displayName_);
  HeapDelete(adviseList_);
  if (support_) support_->Release();
  if (store_) store_->Release();
}

AddressBookSession* AddressBookSession::Create(HINSTANCE instance, const BYTE* serviceUid) {
  return HeapNew<AddressBookSession>(instance, serviceUid);
}

void AddressBookSession::Destroy(AddressBookSession* session) { HeapDelete(session); }

HRESULT AddressBookSession::Initialize(LPCSTR libraryPath, LPCSTR filePath, LPCSTR displayName,
                                       LPABHOSTSUPPORT support) {
  displayName_ = static_cast<char*>(HeapAllocate(kSessionDisplayNameChars + 1));
  if (!displayName_) return E_OUTOFMEMORY;
  memset(displayName_, 0, kSessionDisplayNameChars + 1);
  strncpy(displayName_, displayName, kSessionDisplayNameChars);

  char* locatedPath = nullptr;
  if (!libraryPath) {
    locatedPath = static_cast<char*>(HeapAllocate(kStorePathSize));
    if (!locatedPath) return E_OUTOFMEMORY;
    memset(locatedPath, 0, kStorePathSize);
    LocateStoreLibrary(locatedPath);
    libraryPath = locatedPath;
  }

  StoreLibrary* store = StoreLibrary::Create();
  if (!store) {
    HeapFree(locatedPath);
    return E_OUTOFMEMORY;
  }
  HRESULT hr = store->Bind(libraryPath, filePath);
  HeapFree(locatedPath);
  if (FAILED(hr)) {
    StoreLibrary::Destroy(store);
    return hr;
  }
  store_ = store;

  adviseList_ = HeapNew<AdviseList>();
  if (!adviseList_) return E_OUTOFMEMORY;

  support_ = support;
  support_->AddRef();
  AddRef();
  return S_OK;
}

void AddressBookSession::NotifyAdviseSinks(ULONG count, LPNOTIFICATION notifications) {
  adviseList_->Notify(count, notifications);
}

HRESULT STDMETHODCALLTYPE AddressBookSession::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!Writable(ppvObj)) return E_INVALIDARG;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPIProp) && !IsEqualIID(riid, IID_IAddrBook)) {
    *ppvObj = nullptr;
    return E_NOINTERFACE;
  }
  refCount_.Add();
  *ppvObj = static_cast<IAddrBook*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE AddressBookSession::AddRef() { return refCount_.Add(); }

ULONG STDMETHODCALLTYPE AddressBookSession::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) Destroy(this);
  return count;
}

// Slots the session does not offer.

HRESULT STDMETHODCALLTYPE AddressBookSession::GetLastError(HRESULT, ULONG, LPMAPIERROR*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::SaveChanges(ULONG) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::DeleteProps(LPSPropTagArray, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID,
                                                     LPVOID, ULONG, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                                        LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::ResolveName(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::Address(ULONG_PTR*, LPADRPARM, LPADRLIST*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE AddressBookSession::GetPAB(ULONG*, LPENTRYID*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::SetPAB(ULONG, LPENTRYID) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::GetDefaultDir(ULONG*, LPENTRYID*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::SetDefaultDir(ULONG, LPENTRYID) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::GetSearchPath(ULONG, LPSRowSet*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE AddressBookSession::SetSearchPath(ULONG, LPSRowSet) { return MAPI_E_NO_SUPPORT; }

} // namespace abk
