// Typed names as a host sends them: a PR_ANR restriction and unresolved recipient rows.
#include "host/name_lookup.h"

#include <cstring>

#include "host/host_allocators.h"

namespace host {

AnrRestriction::AnrRestriction(std::string typed) : typed_(std::move(typed)) {
  value_.ulPropTag = PR_ANR_A;
  value_.Value.lpszA = typed_.data();
  restriction_.rt = RES_PROPERTY;
  restriction_.res.resProperty = {RELOP_EQ, PR_ANR_A, &value_};
}

TypedNames::~TypedNames() {
  if (!list_) return;
  for (ULONG i = 0; i < list_->cEntries; ++i)
    HostFreeBuffer(list_->aEntries[i].rgPropVals);
  HostFreeBuffer(list_);
}

HRESULT TypedNames::Make(const std::vector<std::string>& names) {
  ULONG count = static_cast<ULONG>(names.size());
  flags_.assign(count + 1, MAPI_UNRESOLVED);
  flags_[0] = count;
  void* block = nullptr;
  HRESULT hr = HostAllocateBuffer(CbNewADRLIST(count), &block);
  if (FAILED(hr)) return hr;
  list_ = static_cast<LPADRLIST>(block);
  memset(list_, 0, CbNewADRLIST(count));
  for (ULONG i = 0; i < count; ++i) {
    void* values = nullptr;
    hr = HostAllocateBuffer(sizeof(SPropValue), &values);
    if (FAILED(hr)) return hr;
    auto* name = static_cast<LPSPropValue>(values);
    memset(name, 0, sizeof *name);
    name->ulPropTag = PR_DISPLAY_NAME;
    list_->aEntries[i] = {0, 1, name};
    list_->cEntries = i + 1;
    void* text = nullptr;
    hr = HostAllocateMore(static_cast<ULONG>(names[i].size() + 1), values, &text);
    if (FAILED(hr)) return hr;
    memcpy(text, names[i].c_str(), names[i].size() + 1);
    name->Value.lpszA = static_cast<LPSTR>(text);
  }
  return S_OK;
}

} // namespace host
