// The few properties the session answers of its own: what a host asks of the address book as a whole
// (its name, its root container's identifier, what kind of container it is).
#include <cstring>

#include "provider/entry_id.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/session.h"

namespace abk {

namespace {

constexpr ULONG kSessionContainerFlags = AB_RECIPIENTS | AB_MODIFIABLE;
constexpr const char SERVICE_DLL_NAME[] = "BKSTOR.DLL";

// What GetPropList lists, and what GetProps answers for a null tag array.
constexpr ULONG kListedTags[] = {PR_DISPLAY_NAME, PR_ENTRYID, PR_OBJECT_TYPE, PR_DEPTH};
constexpr ULONG kListedTagCount = sizeof kListedTags / sizeof kListedTags[0];

HRESULT CopyString(LPCSTR text, void* parentBlock, LPSTR* result) {
  size_t size = strlen(text) + 1;
  void* block = nullptr;
  if (FAILED(AllocateMore(static_cast<ULONG>(size), parentBlock, &block))) return E_OUTOFMEMORY;
  memcpy(block, text, size);
  *result = static_cast<LPSTR>(block);
  return S_OK;
}

} // namespace

// Fills one value; an unknown tag or a value that cannot be built leaves the PT_ERROR form and its code.
HRESULT AddressBookSession::BuildProperty(ULONG tag, SPropValue& value, void* parentBlock) {
  value.ulPropTag = tag;
  value.dwAlignPad = 0;
  HRESULT hr = S_OK;
  switch (tag) {
  case PR_NULL:
    value.Value.l = 0;
    return S_OK;
  case PR_OBJECT_TYPE:
    value.Value.l = MAPI_ABCONT;
    return S_OK;
  case PR_DEPTH:
    value.Value.l = 0;
    return S_OK;
  case PR_CONTAINER_FLAGS:
    value.Value.l = kSessionContainerFlags;
    return S_OK;
  case PR_DISPLAY_NAME:
    hr = CopyString(displayName_, parentBlock, &value.Value.lpszA);
    break;
  case PR_SERVICE_DLL_NAME:
    hr = CopyString(SERVICE_DLL_NAME, parentBlock, &value.Value.lpszA);
    break;
  case PR_ENTRYID: {
    LPENTRYID rootId = nullptr;
    hr = MakeEntryId(*this, 0, kRootRecordId, kEntryTypeRoot, nullptr, &rootId);
    if (FAILED(hr)) break;
    void* copy = nullptr;
    hr = AllocateMore(kEntryIdSize, parentBlock, &copy);
    if (SUCCEEDED(hr)) {
      memcpy(copy, rootId, kEntryIdSize);
      value.Value.bin.cb = kEntryIdSize;
      value.Value.bin.lpb = static_cast<LPBYTE>(copy);
    }
    FreeBuffer(rootId);
    break;
  }
  default:
    hr = MAPI_E_NOT_FOUND;
    break;
  }
  if (SUCCEEDED(hr)) return S_OK;
  value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
  value.Value.err = hr;
  return hr;
}

HRESULT STDMETHODCALLTYPE AddressBookSession::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                                       LPSPropValue* lppPropArray) {
  if (ulFlags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!Writable(lpcValues) || !Writable(lppPropArray)) return E_INVALIDARG;

  // A null tag array asks for everything the session lists.
  const ULONG* tags = kListedTags;
  ULONG count = kListedTagCount;
  if (lpPropTagArray) {
    // A count whose value array would not fit in one host block is not a real request.
    if (!ReadableTagArray(lpPropTagArray, kMaxAnswerValues) || lpPropTagArray->cValues == 0) return E_INVALIDARG;
    count = lpPropTagArray->cValues;
    tags = lpPropTagArray->aulPropTag;
  }

  void* block = nullptr;
  HRESULT hr = AllocateBuffer(count * sizeof(SPropValue), &block);
  if (FAILED(hr)) return hr;
  auto* values = static_cast<LPSPropValue>(block);
  bool anyError = false;
  for (ULONG i = 0; i < count; ++i) {
    if (FAILED(BuildProperty(tags[i], values[i], block))) anyError = true;
  }
  *lpcValues = count;
  *lppPropArray = values;
  return anyError ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT STDMETHODCALLTYPE AddressBookSession::GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) {
  if (ulFlags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!Writable(lppPropTagArray)) return E_INVALIDARG;

  void* block = nullptr;
  HRESULT hr = AllocateBuffer(CbNewSPropTagArray(kListedTagCount), &block);
  if (SUCCEEDED(hr)) {
    auto* tags = static_cast<LPSPropTagArray>(block);
    tags->cValues = kListedTagCount;
    memcpy(tags->aulPropTag, kListedTags, sizeof kListedTags);
    *lppPropTagArray = tags;
  }
  return hr;
}

} // namespace abk
