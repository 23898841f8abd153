// The session's way into the entries: opening the root container, groups and persons by identifier,
// and filling recipient rows with the current properties of the entries they name.
#include <cstring>

#include "props/ab_container.h"
#include "props/mail_user.h"
#include "props/prop_values.h"
#include "props/recipient_row.h"
#include "provider/entry_id.h"
#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "store/entry_storage.h"
#include "store/store_records.h"

namespace abk {

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
    if (SUCCEEDED(hr)) hr = RebuildRecipientRow(row, lpPropTagArray, stored);
    result = FAILED(hr) ? hr : S_OK;
    stored.Clear();
  }
  return result;
}

} // namespace abk
