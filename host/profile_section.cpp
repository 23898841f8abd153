// The profile section: values kept by property identifier; GetProps answers in host blocks.
#include "host/profile_section.h"

#include <cstring>

#include "host/host_allocators.h"

namespace host {

ProfileSection::Stored* ProfileSection::Find(ULONG propId) {
  for (Stored& stored : props_)
    if (PROP_ID(stored.tag) == propId) return &stored;
  return nullptr;
}

const ProfileSection::Stored* ProfileSection::Find(ULONG propId) const {
  return const_cast<ProfileSection*>(this)->Find(propId);
}

ProfileSection::Stored& ProfileSection::Slot(ULONG tag) {
  Stored* stored = Find(PROP_ID(tag));
  if (!stored) {
    props_.push_back(Stored{tag, 0, {}});
    stored = &props_.back();
  }
  stored->tag = tag;
  stored->number = 0;
  stored->bytes.clear();
  return *stored;
}

void ProfileSection::SetString(ULONG tag, const std::string& value) { Slot(tag).bytes = value; }

void ProfileSection::SetBinary(ULONG tag, const void* data, ULONG size) {
  Slot(tag).bytes.assign(static_cast<const char*>(data), size);
}

void ProfileSection::SetLong(ULONG tag, LONG value) { Slot(tag).number = value; }

void ProfileSection::Remove(ULONG tag) {
  for (auto it = props_.begin(); it != props_.end(); ++it) {
    if (PROP_ID(it->tag) != PROP_ID(tag)) continue;
    props_.erase(it);
    return;
  }
}

bool ProfileSection::GetString(ULONG tag, std::string* value) const {
  const Stored* stored = Find(PROP_ID(tag));
  if (!stored || PROP_TYPE(stored->tag) != PT_STRING8) return false;
  *value = stored->bytes;
  return true;
}

bool ProfileSection::GetBinary(ULONG tag, std::string* value) const {
  const Stored* stored = Find(PROP_ID(tag));
  if (!stored || PROP_TYPE(stored->tag) != PT_BINARY) return false;
  *value = stored->bytes;
  return true;
}

HRESULT STDMETHODCALLTYPE ProfileSection::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!ppvObj) return E_INVALIDARG;
  *ppvObj = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPIProp)) return E_NOINTERFACE;
  *ppvObj = static_cast<IMAPIProp*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ProfileSection::AddRef() { return static_cast<ULONG>(++refCount_); }
ULONG STDMETHODCALLTYPE ProfileSection::Release() { return static_cast<ULONG>(--refCount_); }

HRESULT STDMETHODCALLTYPE ProfileSection::GetLastError(HRESULT, ULONG, LPMAPIERROR*) { return MAPI_E_NO_SUPPORT; }

HRESULT STDMETHODCALLTYPE ProfileSection::SaveChanges(ULONG) {
  ++saveChangesCalls;
  return saveChangesResult;
}

// One answered value. A stored value answers a request for its identifier when the requested type is
// its own or PT_UNSPECIFIED; anything else is the not-found error form.
HRESULT ProfileSection::Fill(ULONG requestedTag, SPropValue& value, void* parentBlock) const {
  memset(&value, 0, sizeof value);
  const Stored* stored = Find(PROP_ID(requestedTag));
  bool typeMatches =
      stored && (PROP_TYPE(requestedTag) == PT_UNSPECIFIED || PROP_TYPE(requestedTag) == PROP_TYPE(stored->tag));
  if (!typeMatches) {
    value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(requestedTag));
    value.Value.err = MAPI_E_NOT_FOUND;
    return MAPI_W_ERRORS_RETURNED;
  }
  value.ulPropTag = stored->tag;
  switch (PROP_TYPE(stored->tag)) {
  case PT_STRING8:
  case PT_BINARY: {
    bool isString = PROP_TYPE(stored->tag) == PT_STRING8;
    ULONG size = static_cast<ULONG>(stored->bytes.size() + (isString ? 1 : 0));
    void* block = nullptr;
    HRESULT hr = HostAllocateMore(size ? size : 1, parentBlock, &block);
    if (FAILED(hr)) return hr;
    memcpy(block, stored->bytes.data(), stored->bytes.size());
    if (isString) {
      static_cast<char*>(block)[stored->bytes.size()] = '\0';
      value.Value.lpszA = static_cast<LPSTR>(block);
    } else {
      value.Value.bin.cb = size;
      value.Value.bin.lpb = static_cast<LPBYTE>(block);
    }
    return S_OK;
  }
  default:
    value.Value.l = stored->number;
    return S_OK;
  }
}

HRESULT STDMETHODCALLTYPE ProfileSection::GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues,
                                                   LPSPropValue* lppPropArray) {
  ++getPropsCalls;
  if (FAILED(getPropsResult)) return getPropsResult;
  if (!lpcValues || !lppPropArray) return E_INVALIDARG;

  std::vector<ULONG> tags;
  if (lpPropTagArray) {
    tags.assign(lpPropTagArray->aulPropTag, lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
  } else {
    for (const Stored& stored : props_)
      tags.push_back(stored.tag);
  }
  if (tags.size() > getPropsCountLimit) tags.resize(getPropsCountLimit);

  void* block = nullptr;
  HRESULT hr = HostAllocateBuffer(static_cast<ULONG>(tags.size() * sizeof(SPropValue)), &block);
  if (FAILED(hr)) return hr;
  auto* values = static_cast<LPSPropValue>(block);
  HRESULT result = S_OK;
  for (size_t i = 0; i < tags.size(); ++i) {
    hr = Fill(tags[i], values[i], block);
    if (FAILED(hr)) {
      HostFreeBuffer(block);
      return hr;
    }
    if (hr != S_OK) result = hr;
  }
  *lpcValues = static_cast<ULONG>(tags.size());
  *lppPropArray = values;
  return result;
}

HRESULT STDMETHODCALLTYPE ProfileSection::GetPropList(ULONG, LPSPropTagArray* lppPropTagArray) {
  if (!lppPropTagArray) return E_INVALIDARG;
  void* block = nullptr;
  HRESULT hr = HostAllocateBuffer(CbNewSPropTagArray(props_.size()), &block);
  if (FAILED(hr)) return hr;
  auto* tags = static_cast<LPSPropTagArray>(block);
  tags->cValues = static_cast<ULONG>(props_.size());
  for (size_t i = 0; i < props_.size(); ++i)
    tags->aulPropTag[i] = props_[i].tag;
  *lppPropTagArray = tags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ProfileSection::SetProps(ULONG cValues, LPSPropValue lpPropArray,
                                                   LPSPropProblemArray* lppProblems) {
  ++setPropsCalls;
  if (FAILED(setPropsResult)) return setPropsResult;
  if (cValues && !lpPropArray) return E_INVALIDARG;
  if (lppProblems) *lppProblems = nullptr;
  for (ULONG i = 0; i < cValues; ++i) {
    const SPropValue& value = lpPropArray[i];
    switch (PROP_TYPE(value.ulPropTag)) {
    case PT_STRING8:
      SetString(value.ulPropTag, value.Value.lpszA ? value.Value.lpszA : "");
      break;
    case PT_BINARY:
      SetBinary(value.ulPropTag, value.Value.bin.lpb, value.Value.bin.lpb ? value.Value.bin.cb : 0);
      break;
    case PT_LONG:
    case PT_BOOLEAN:
      SetLong(value.ulPropTag, value.Value.l);
      break;
    default:
      break; // the profile keeps strings, binaries and numbers only
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ProfileSection::DeleteProps(LPSPropTagArray lpPropTagArray,
                                                      LPSPropProblemArray* lppProblems) {
  if (!lpPropTagArray) return E_INVALIDARG;
  if (lppProblems) *lppProblems = nullptr;
  for (ULONG i = 0; i < lpPropTagArray->cValues; ++i)
    Remove(lpPropTagArray->aulPropTag[i]);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ProfileSection::OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE ProfileSection::CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID,
                                                 ULONG, LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE ProfileSection::CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                                    LPSPropProblemArray*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE ProfileSection::GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE ProfileSection::GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) {
  return MAPI_E_NO_SUPPORT;
}

} // namespace host
