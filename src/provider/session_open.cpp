// The session's way into the entries: opening the root container, groups and persons by identifier,
// and filling recipient rows with the current properties of the entries they name.
#include <cstring>

#include "props/ab_container.h"
#include "props/mail_user.h"
#include "props/prop_values.h"
#include "provider/entry_id.h"
#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "store/entry_storage.h"
#include "store/store_records.h"

namespace abk {

// The most columns a recipient row is filled with: more is no real request.
constexpr ULONG kMaxRecipientTags = 0xFFFF;

static bool IsOpenableInterface(LPCIID iid) {
  return IsEqualIID(*iid, IID_IMAPIContainer) || IsEqualIID(*iid, IID_IABContainer) ||
         IsEqualIID(*iid, IID_IDistList) || IsEqualIID(*iid, IID_IMailUser) || IsEqualIID(*iid, IID_IMAPIProp);
}

HRESULT STDMETHODCALLTYPE AddressBookSession::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG,
                                                        ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (!Writable(lpulObjType) || !Writable(lppUnk)) return E_INVALIDARG;
  if (lpInterface && (!Readable(lpInterface) || !IsOpenableInterface(lpInterface))) return E_NOINTERFACE;
  ULONG kind = ClassifyEntryId(*this, cbEntryID, lpEntryID);

  HRESULT hr = S_OK;
  LPUNKNOWN object = nullptr;
  ULONG objectType = 0;
  if (kind == kEntryTypeRoot) {
    // An identifier that claims the root container must name it; an empty one always does.
    if (lpEntryID && cbEntryID && EntryKeyOf(lpEntryID).recordId != kRootRecordId) {
      hr = MAPI_E_INVALID_ENTRYID;
    } else {
      LPENTRYID rootId = nullptr;
      hr = MakeEntryId(*this, 0, kRootRecordId, kEntryTypeRoot, nullptr, &rootId);
      if (SUCCEEDED(hr)) {
        ABContainer* root = nullptr;
        hr = ABContainer::Open(this, nullptr, rootId, false, &root);
        FreeBuffer(rootId);
        object = static_cast<IABContainer*>(root);
        objectType = MAPI_ABCONT;
      }
    }
  } else if (kind == kEntryTypeGroup) {
    EntryKey parent = ParentKeyOf(lpEntryID);
    ABContainer* group = nullptr;
    hr = ABContainer::Open(this, &parent, lpEntryID, true, &group);
    object = static_cast<IABContainer*>(group);
    objectType = MAPI_DISTLIST;
  } else if (kind == kEntryTypePerson) {
    EntryKey parent = ParentKeyOf(lpEntryID);
    MailUser* user = nullptr;
    hr = MailUser::Open(this, &parent, lpEntryID, &user);
    object = static_cast<IMailUser*>(user);
    objectType = MAPI_MAILUSER;
  } else {
    hr = MAPI_E_INVALID_ENTRYID;
  }
  if (FAILED(hr)) return hr;
  *lpulObjType = objectType;
  *lppUnk = object;
  return hr;
}

namespace {

bool IsRecipientKind(ULONG kind) {
  switch (kind) {
  case kEntryTypePerson:
  case kEntryTypeGroup:
  case kEntryTypeForeign | kEntryTypePerson:
  case kEntryTypeForeign | kEntryTypeGroup:
  case kEntryTypePersonTemplate:
  case kEntryTypeGroupTemplate:
    return true;
  default:
    return false;
  }
}

// Rebuilds one recipient row: the requested tags first (the entry's stored value, else the row's own),
// then the row's other values in their order. The old value array is freed and replaced.
HRESULT RebuildRow(ADRENTRY& row, LPSPropTagArray tags, PropList& stored) {
  ULONG oldCount = row.cValues;
  LPSPropValue old = row.rgPropVals;
  ULONG capacity = tags->cValues + oldCount;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(capacity * sizeof(SPropValue), &block);
  if (FAILED(hr)) return hr;
  auto* values = static_cast<LPSPropValue>(block);
  memset(values, 0, capacity * sizeof(SPropValue));

  // Values of the old row that have been moved into the new one.
  bool droppedSmall[64] = {};
  bool* dropped = droppedSmall;
  bool* droppedHeap = nullptr;
  if (oldCount > 64) {
    droppedHeap = static_cast<bool*>(HeapAllocate(oldCount * sizeof(bool)));
    if (!droppedHeap) {
      FreeBuffer(block);
      return E_OUTOFMEMORY;
    }
    memset(droppedHeap, 0, oldCount * sizeof(bool));
    dropped = droppedHeap;
  }

  ULONG next = 0;
  for (ULONG t = 0; t < tags->cValues; ++t) {
    ULONG tag = tags->aulPropTag[t];
    const SPropValue* own = FindPropValue(old, oldCount, tag);
    ULONG ownIndex = own ? static_cast<ULONG>(own - old) : 0;
    SPropValue& value = values[next++];
    PropElement* element = stored.TakeProp(tag);
    if (element) {
      if (FAILED(CopyStoredValue(*element, block, &value))) {
        memset(&value, 0, sizeof value);
        value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
        value.Value.err = E_OUTOFMEMORY;
      }
      PropList::FreeElement(element);
      if (own) dropped[ownIndex] = true;
      continue;
    }
    // A tag asked for again finds the row's value taken already: it gets an error value like any tag the
    // row does not hold.
    if (own && !dropped[ownIndex] && SUCCEEDED(CopyPropValue(&value, own, block))) {
      dropped[ownIndex] = true;
      continue;
    }
    memset(&value, 0, sizeof value);
    MakeNotFoundValue(&value, tag);
  }
  for (ULONG i = 0; i < oldCount; ++i) {
    if (dropped[i]) continue;
    if (FAILED(CopyPropValue(&values[next], &old[i], block))) MakeNotFoundValue(&values[next], old[i].ulPropTag);
    ++next;
  }
  HeapFree(droppedHeap);

  FreeBuffer(old);
  row.rgPropVals = values;
  row.cValues = next;
  return S_OK;
}

} // namespace

HRESULT STDMETHODCALLTYPE AddressBookSession::PrepareRecips(ULONG, LPSPropTagArray lpPropTagArray,
                                                            LPADRLIST lpRecipList) {
  if (!lpPropTagArray) return S_OK;
  if (!ReadableTagArray(lpPropTagArray, kMaxRecipientTags) || !ReadableAdrList(lpRecipList)) return E_INVALIDARG;

  // Every row is read from one opening of the book: the reads inside join it.
  OpenedBook book(*Store());
  HRESULT result = lpRecipList->cEntries ? book.Open() : S_OK;
  if (FAILED(result)) return result;
  PropList stored;
  for (ULONG r = 0; r < lpRecipList->cEntries; ++r) {
    ADRENTRY& row = lpRecipList->aEntries[r];
    if (row.cValues == 0 || !row.rgPropVals) continue;
    const SPropValue* id = FindPropValue(row.rgPropVals, row.cValues, PR_ENTRYID);
    if (!id || !id->Value.bin.lpb) {
      result = MAPI_E_INVALID_ENTRYID;
      continue;
    }
    ULONG kind = ClassifyEntryId(*this, id->Value.bin.cb, id->Value.bin.lpb);
    // Classification is 6 or above only for an identifier of 40 readable bytes.
    if (!IsRecipientKind(kind)) continue;

    EntryKey key = EntryKeyOf(id->Value.bin.lpb);
    EntryKey parent = ParentKeyOf(id->Value.bin.lpb);
    stored.Clear();
    HRESULT hr = ResolveRecord(*Store(), RESOLVE_EXISTING, key);
    if (SUCCEEDED(hr)) hr = ReadEntryProperties(*Store(), key, &parent, stored);
    if (SUCCEEDED(hr)) hr = RebuildRow(row, lpPropTagArray, stored);
    result = FAILED(hr) ? hr : S_OK;
    stored.Clear();
  }
  return result;
}

} // namespace abk
