// The property operations every entry object shares.
#include "props/prop_object.h"

#include <cstring>

#include "props/entry_props.h"
#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/scoped_lock.h"
#include "provider/session.h"

namespace abk {

PropObjectCore::PropObjectCore(AddressBookSession* session, const EntryKey* parent, const void* entryId)
    : session_(session), library_(session->Store()) {
  if (entryId)
    memcpy(&entryId_, entryId, sizeof entryId_);
  else
    memset(&entryId_, 0, sizeof entryId_);
  if (parent) entryId_.parent = *parent;
  InitializeCriticalSection(&propLock_);
}

PropObjectCore::~PropObjectCore() {
  HeapDelete(link_);
  DeleteCriticalSection(&propLock_);
}

HRESULT PropObjectCore::InitStoreLink() {
  link_ = HeapNew<StoreLink>(library_);
  return link_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT PropObjectCore::CheckWritable(ULONG tag) {
  if (tag & MV_FLAG) return MAPI_E_NO_SUPPORT;
  if (PROP_TYPE(tag) == PT_OBJECT) return MAPI_E_NO_ACCESS;
  switch (PROP_ID(tag)) {
  case PROP_ID(PR_ACCESS):
  case PROP_ID(PR_INSTANCE_KEY):
  case PROP_ID(PR_ACCESS_LEVEL):
  case PROP_ID(PR_OBJECT_TYPE):
  case PROP_ID(PR_ENTRYID):
  case PROP_ID(PR_SEARCH_KEY):
  case PROP_ID(PR_CONTAINER_FLAGS):
  case PROP_ID(PR_AB_PROVIDER_ID):
  case PROP_ID(PR_DISPLAY_TYPE):
    return MAPI_E_COMPUTED;
  default:
    return S_OK;
  }
}

HRESULT PropObjectCore::PropGetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values) {
  if (flags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!Writable(count) || !Writable(values)) return E_INVALIDARG;
  if (tags && !ReadableTagArray(tags, kMaxAnswerValues)) return E_INVALIDARG;

  HRESULT hr = S_OK;
  LPSPropValue array = nullptr;
  ULONG filled = 0;
  {
    ScopedLock props(propLock_);
    PropList& list = link_->Props();
    ULONG n = tags ? tags->cValues : list.Count();
    if (n) {
      void* block = nullptr;
      hr = AllocateBuffer(n * sizeof(SPropValue), &block);
      if (FAILED(hr)) hr = E_OUTOFMEMORY;
      array = static_cast<LPSPropValue>(block);
    }
    if (array && tags) {
      for (; filled < n; ++filled) {
        SPropValue& value = array[filled];
        memset(&value, 0, sizeof value);
        ULONG tag = tags->aulPropTag[filled];
        if (tag == PR_NULL) {
          value.ulPropTag = PR_NULL;
          continue;
        }
        PropElement* element = list.FindProp(tag);
        if (!element) {
          hr = MakeNotFoundValue(&value, tag);
          continue;
        }
        if (FAILED(CopyStoredValue(*element, array, &value))) {
          hr = E_OUTOFMEMORY;
          break;
        }
      }
    } else if (array) {
      for (PropElement* element = list.First(); element; element = element->next) {
        if (FAILED(CopyStoredValue(*element, array, &array[filled]))) {
          hr = E_OUTOFMEMORY;
          break;
        }
        ++filled;
      }
    }
  }

  if (FAILED(hr)) {
    if (array) FreeBuffer(array);
    return hr;
  }
  *count = filled;
  *values = array;
  return hr;
}

HRESULT PropObjectCore::PropGetPropList(ULONG flags, LPSPropTagArray* tags) {
  if (flags & MAPI_UNICODE) return MAPI_E_BAD_CHARWIDTH;
  if (!Writable(tags)) return E_INVALIDARG;

  ScopedLock props(propLock_);
  PropList& list = link_->Props();
  void* block = nullptr;
  if (FAILED(AllocateBuffer(CbNewSPropTagArray(list.Count()), &block))) return E_OUTOFMEMORY;
  auto* array = static_cast<LPSPropTagArray>(block);
  array->cValues = 0;
  for (PropElement* element = list.First(); element; element = element->next) {
    // The instance key is an object's own business, never listed.
    if (PROP_ID(element->value.ulPropTag) == PROP_ID(PR_INSTANCE_KEY)) continue;
    array->aulPropTag[array->cValues++] = element->value.ulPropTag;
  }
  *tags = array;
  return S_OK;
}

static void AddProblem(LPSPropProblemArray problems, ULONG index, ULONG tag, SCODE code) {
  if (!problems) return;
  SPropProblem& problem = problems->aProblem[problems->cProblem++];
  problem.ulIndex = index;
  problem.ulPropTag = tag;
  problem.scode = code;
}

HRESULT PropObjectCore::PropSetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) {
  if (!ReadableValues(values, count)) return E_INVALIDARG;
  if (problems && !Writable(problems)) return E_INVALIDARG;

  LPSPropProblemArray array = nullptr;
  if (problems) {
    *problems = nullptr;
    void* block = nullptr;
    if (FAILED(AllocateBuffer(CbNewSPropProblemArray(count), &block))) return E_OUTOFMEMORY;
    array = static_cast<LPSPropProblemArray>(block);
    array->cProblem = 0;
  }

  {
    ScopedLock props(propLock_);
    PropList& list = link_->Props();
    bool memberView = IsMemberView();
    for (ULONG i = 0; i < count; ++i) {
      const SPropValue& value = values[i];
      if (value.ulPropTag == PR_NULL || PROP_TYPE(value.ulPropTag) == PT_ERROR) continue;
      HRESULT hr = CheckWritable(value.ulPropTag);
      // Through a group a person shows which of its numbers the group uses, and only that can change
      // there: anything else would never be written.
      if (SUCCEEDED(hr) && memberView && PROP_ID(value.ulPropTag) != PROP_ID(PR_BUSINESS_FAX_NUMBER) &&
          PROP_ID(value.ulPropTag) != PROP_ID(PR_HOME_FAX_NUMBER))
        hr = MAPI_E_NO_ACCESS;
      // A string without its characters is no value: it would come back from GetProps as one.
      if (SUCCEEDED(hr) && PROP_TYPE(value.ulPropTag) == PT_STRING8 && !value.Value.lpszA)
        hr = MAPI_E_INVALID_PARAMETER;
      if (FAILED(hr)) {
        AddProblem(array, i, value.ulPropTag, hr);
        continue;
      }
      if (value.ulPropTag == PR_DISPLAY_NAME) {
        SPropValue sevenBit = value;
        sevenBit.ulPropTag = PR_7BIT_DISPLAY_NAME;
        list.SetProp(sevenBit);
      }
      MarkModified();
      hr = list.SetProp(value);
      if (FAILED(hr))
        AddProblem(array, i, value.ulPropTag, hr);
      else
        link_->NoteChanged(value.ulPropTag);
    }
  }

  if (array && array->cProblem)
    *problems = array;
  else if (array)
    FreeBuffer(array);
  return S_OK;
}

void PropObjectCore::NotifyModified() {
  NOTIFICATION notification;
  memset(&notification, 0, sizeof notification);
  notification.ulEventType = fnevObjectModified;
  notification.info.obj.ulObjType = MAPI_ADDRBOOK;
  session_->NotifyAdviseSinks(1, &notification);
}

HRESULT PropObjectCore::PropSaveChanges(ULONG) {
  // The identifier is read under the lock too: the first save of a new entry rewrites it while other
  // threads may be saving the same object.
  HRESULT hr = S_OK;
  {
    ScopedLock props(propLock_);
    if ((entryId_.self.typeWord & kEntryTypeNoSaveBit) || !IsModified()) return S_OK;
    hr = link_->SaveEntry(entryId_.self, entryId_.parent);
    if (SUCCEEDED(hr)) {
      // The identifier the object already holds (the template's, for a new entry) is rewritten in place:
      // a save that reached the book is never reported as failed for want of memory afterwards.
      PropElement* held = link_->Props().FindProp(PR_ENTRYID);
      if (held && held->value.ulPropTag == PR_ENTRYID && held->value.Value.bin.cb == sizeof entryId_ &&
          held->value.Value.bin.lpb) {
        memcpy(held->value.Value.bin.lpb, &entryId_, sizeof entryId_);
      } else {
        SPropValue id;
        memset(&id, 0, sizeof id);
        id.ulPropTag = PR_ENTRYID;
        id.Value.bin.cb = sizeof entryId_;
        id.Value.bin.lpb = reinterpret_cast<LPBYTE>(&entryId_);
        hr = link_->Props().SetProp(id);
      }
      modified_ &= ~1u;
    }
  }
  bool saved = SUCCEEDED(hr);
  // The sinks are told outside the object's lock: one may well read the object again.
  if (saved) NotifyModified();
  return hr;
}

} // namespace abk
