// The host's support object.
#include "host/host_support.h"

#include <cstring>

#include "host/host_allocators.h"

namespace host {

HRESULT STDMETHODCALLTYPE HostSupport::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!ppvObj) return E_INVALIDARG;
  *ppvObj = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  *ppvObj = static_cast<IUnknown*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE HostSupport::AddRef() { return static_cast<ULONG>(++refCount_); }
ULONG STDMETHODCALLTYPE HostSupport::Release() { return static_cast<ULONG>(--refCount_); }

HRESULT STDMETHODCALLTYPE HostSupport::GetLastError(HRESULT, ULONG, LPMAPIERROR*) { return MAPI_E_NO_SUPPORT; }

HRESULT STDMETHODCALLTYPE HostSupport::GetMemAllocRoutines(LPALLOCATEBUFFER* lpAllocateBuffer,
                                                           LPALLOCATEMORE* lpAllocateMore, LPFREEBUFFER* lpFreeBuffer) {
  if (FAILED(memAllocRoutinesResult)) return memAllocRoutinesResult;
  if (lpAllocateBuffer) *lpAllocateBuffer = HostAllocateBuffer;
  if (lpAllocateMore) *lpAllocateMore = HostAllocateMore;
  if (lpFreeBuffer) *lpFreeBuffer = HostFreeBuffer;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostSupport::RegisterServiceUid(LPMAPIUID lpServiceUid, ULONG) {
  ++registerCalls;
  if (lpServiceUid) memcpy(&registeredUid, lpServiceUid, sizeof registeredUid);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostSupport::Reserved6() { return MAPI_E_NO_SUPPORT; }

HRESULT STDMETHODCALLTYPE HostSupport::DoCopyTo(LPCIID, LPVOID, ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS,
                                                LPCIID, LPVOID, ULONG, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}

HRESULT STDMETHODCALLTYPE HostSupport::DoCopyProps(LPCIID, LPVOID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID,
                                                   LPVOID, ULONG, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}

} // namespace host
