// Opening or creating the entry a dialog saves into, and handing its new identifier back.
#include "dialogs/entry_target.h"

#include "provider/module_state.h"
#include "provider/session.h"

namespace abk {

void NoteFailure(EntryDialogParams* params, HRESULT hr) {
  if (FAILED(hr)) params->failure = hr;
}

LPMAPIPROP OpenDialogTarget(EntryDialogParams* params, LPCIID editInterface, ULONG editType) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (IsEditing(params)) {
    HRESULT hr = params->session->OpenEntry(*params->entryIdSize, *params->entryId, editInterface, MAPI_BEST_ACCESS,
                                            &type, &object);
    NoteFailure(params, hr);
    if (FAILED(hr) || !object) return nullptr;
    if (type == editType) return static_cast<LPMAPIPROP>(object);
    object->Release();
    return nullptr;
  }
  ULONG containerSize = params->containerId ? params->containerIdSize : 0;
  HRESULT hr = params->session->OpenEntry(containerSize, params->containerId, &IID_IABContainer, MAPI_BEST_ACCESS,
                                          &type, &object);
  NoteFailure(params, hr);
  if (FAILED(hr) || !object) return nullptr;
  LPMAPIPROP entry = nullptr;
  // An identifier that names a person opens a person whatever interface was asked for: only a container
  // or a group can create.
  if (type == MAPI_ABCONT || type == MAPI_DISTLIST) {
    hr = static_cast<LPABCONT>(object)->CreateEntry(params->templateIdSize, params->templateId, 0, &entry);
    NoteFailure(params, hr);
    if (FAILED(hr)) entry = nullptr;
  }
  object->Release();
  return entry;
}

bool HandBackNewId(LPMAPIPROP entry, EntryDialogParams* params) {
  SizedSPropTagArray(1, wanted) = {1, {PR_ENTRYID}};
  ULONG count = 0;
  LPSPropValue id = nullptr;
  if (FAILED(entry->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &id)) || !id) return false;
  bool done = true;
  if (count >= 1 && id[0].ulPropTag == PR_ENTRYID && params->entryIdSize && params->entryId) {
    const SBinary& bin = id[0].Value.bin;
    void* copy = nullptr;
    if (SUCCEEDED(AllocateBuffer(bin.cb, &copy))) {
      memcpy(copy, bin.lpb, bin.cb);
      *params->entryIdSize = bin.cb;
      *params->entryId = static_cast<LPENTRYID>(copy);
    } else {
      done = false;
    }
  }
  FreeBuffer(id);
  return done;
}

void ForgetNewId(EntryDialogParams* params) {
  if (!params->entryIdSize || !params->entryId || !*params->entryId) return;
  FreeBuffer(*params->entryId);
  *params->entryId = nullptr;
  *params->entryIdSize = 0;
}

bool WriteAndSave(LPMAPIPROP entry, ULONG count, LPSPropValue values, HRESULT* failure) {
  LPSPropProblemArray problems = nullptr;
  HRESULT hr = entry->SetProps(count, values, &problems);
  bool whole = SUCCEEDED(hr) && (!problems || problems->cProblem == 0);
  if (problems) FreeBuffer(problems);
  if (whole) hr = entry->SaveChanges(0);
  if (FAILED(hr) && failure) *failure = hr;
  return whole && SUCCEEDED(hr);
}

} // namespace abk
