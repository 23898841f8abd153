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

// Reads the listed properties of the source and writes them to the destination. Values the source could
// not give (error values) are left out; the destination's refusals come back as its problem array.
static HRESULT CopyListedProps(LPVOID source, LPSPropTagArray tags, LPVOID destination, LPSPropProblemArray* problems) {
  auto* from = static_cast<IMAPIProp*>(source);
  auto* to = static_cast<IMAPIProp*>(destination);
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = from->GetProps(tags, 0, &count, &values);
  if (FAILED(hr)) return hr;
  ULONG kept = 0;
  for (ULONG i = 0; i < count; ++i)
    if (PROP_TYPE(values[i].ulPropTag) != PT_ERROR) values[kept++] = values[i];
  LPSPropProblemArray refused = nullptr;
  hr = kept ? to->SetProps(kept, values, problems ? &refused : nullptr) : S_OK;
  HostFreeBuffer(values);
  if (problems)
    *problems = refused;
  else
    HostFreeBuffer(refused);
  return FAILED(hr) ? hr : S_OK;
}

static bool IsExcluded(LPSPropTagArray excluded, ULONG tag) {
  if (!excluded) return false;
  for (ULONG i = 0; i < excluded->cValues; ++i)
    if (PROP_ID(excluded->aulPropTag[i]) == PROP_ID(tag)) return true;
  return false;
}

HRESULT STDMETHODCALLTYPE HostSupport::DoCopyTo(LPCIID, LPVOID lpSrcObj, ULONG, LPCIID, LPSPropTagArray lpExcludeProps,
                                                ULONG, LPMAPIPROGRESS, LPCIID, LPVOID lpDestObj, ULONG,
                                                LPSPropProblemArray* lppProblems) {
  ++copyToCalls;
  if (lppProblems) *lppProblems = nullptr;
  if (!lpSrcObj || !lpDestObj) return E_INVALIDARG;
  LPSPropTagArray listed = nullptr;
  HRESULT hr = static_cast<IMAPIProp*>(lpSrcObj)->GetPropList(0, &listed);
  if (FAILED(hr)) return hr;
  ULONG kept = 0;
  for (ULONG i = 0; i < listed->cValues; ++i)
    if (!IsExcluded(lpExcludeProps, listed->aulPropTag[i])) listed->aulPropTag[kept++] = listed->aulPropTag[i];
  listed->cValues = kept;
  hr = kept ? CopyListedProps(lpSrcObj, listed, lpDestObj, lppProblems) : S_OK;
  HostFreeBuffer(listed);
  return hr;
}

HRESULT STDMETHODCALLTYPE HostSupport::DoCopyProps(LPCIID, LPVOID lpSrcObj, LPSPropTagArray lpIncludeProps, ULONG,
                                                   LPMAPIPROGRESS, LPCIID, LPVOID lpDestObj, ULONG,
                                                   LPSPropProblemArray* lppProblems) {
  ++copyPropsCalls;
  if (lppProblems) *lppProblems = nullptr;
  if (!lpSrcObj || !lpDestObj || !lpIncludeProps) return E_INVALIDARG;
  return CopyListedProps(lpSrcObj, lpIncludeProps, lpDestObj, lppProblems);
}

} // namespace host
