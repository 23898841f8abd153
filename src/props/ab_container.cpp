// The container object: construction, initial properties, interfaces, reference count, opening and
// creating entries through it, and copies through the host.
#include "props/ab_container.h"

#include <cstring>

#include "props/mail_user.h"
#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/scoped_lock.h"
#include "provider/session.h"

namespace abk {

ABContainer::ABContainer(AddressBookSession* session, const EntryKey* parent, const void* entryId)
    : PropObject<IABContainer>(session, parent, entryId) {
  InitializeCriticalSection(&containerLock_);
}

ABContainer::~ABContainer() {
  if (contents_) contents_->Release();
  DeleteCriticalSection(&containerLock_);
}

// A creation template's identifier: no parent, the session's service identifier.
static ProviderEntryId TemplateId(AddressBookSession& session, ULONG recordId, ULONG typeWord) {
  ProviderEntryId id;
  memset(&id, 0, sizeof id);
  id.serviceUid = session.ServiceUid();
  id.self = EntryKey{recordId, typeWord};
  return id;
}

HRESULT ABContainer::Initialize() {
  HRESULT hr = InitStoreLink();
  if (FAILED(hr)) return hr;
  PropList& list = Link().Props();
  const ProviderEntryId& id = Identifier();
  ULONG recordId = id.self.recordId;
  ProviderEntryId personTemplate = TemplateId(Session(), kPersonTemplateRecordId, kEntryTypePersonTemplate);
  ProviderEntryId groupTemplate = TemplateId(Session(), kGroupTemplateRecordId, kEntryTypeGroupTemplate);

  SPropValue values[8];
  memset(values, 0, sizeof values);
  values[0].ulPropTag = PR_CONTAINER_FLAGS;
  values[0].Value.l = AB_RECIPIENTS | AB_MODIFIABLE;
  values[1].ulPropTag = PR_ENTRYID;
  values[1].Value.bin = {sizeof id, reinterpret_cast<LPBYTE>(const_cast<ProviderEntryId*>(&id))};
  values[2].ulPropTag = PR_INSTANCE_KEY;
  values[2].Value.bin = {sizeof recordId, reinterpret_cast<LPBYTE>(&recordId)};
  values[3].ulPropTag = PR_OBJECT_TYPE;
  values[3].Value.l = MAPI_ABCONT;
  values[4].ulPropTag = PR_DISPLAY_TYPE;
  values[4].Value.l = DT_MODIFIABLE;
  values[5].ulPropTag = PR_DEPTH;
  values[5].Value.l = 0;
  values[6].ulPropTag = PR_DEF_CREATE_MAILUSER;
  values[6].Value.bin = {sizeof personTemplate, reinterpret_cast<LPBYTE>(&personTemplate)};
  values[7].ulPropTag = PR_DEF_CREATE_DL;
  values[7].Value.bin = {sizeof groupTemplate, reinterpret_cast<LPBYTE>(&groupTemplate)};
  for (const SPropValue& value : values) {
    hr = list.AppendProp(value);
    if (FAILED(hr)) return hr;
  }
  AddRef();
  return S_OK;
}

HRESULT ABContainer::Create(AddressBookSession* session, const EntryKey* parent, const void* entryId, bool isGroup,
                            ABContainer** result) {
  *result = nullptr;
  ABContainer* container = HeapNew<ABContainer>(session, parent, entryId);
  if (!container) return E_OUTOFMEMORY;
  HRESULT hr = container->Initialize();
  if (FAILED(hr)) {
    HeapDelete(container);
    return hr;
  }
  if (isGroup) {
    SPropValue type{};
    type.ulPropTag = PR_OBJECT_TYPE;
    type.Value.l = MAPI_DISTLIST;
    hr = container->Link().Props().SetProp(type);
    if (FAILED(hr)) {
      container->Release();
      return hr;
    }
  }
  *result = container;
  return S_OK;
}

HRESULT ABContainer::Open(AddressBookSession* session, const EntryKey* parent, const void* entryId, bool isGroup,
                          ABContainer** result) {
  HRESULT hr = Create(session, parent, entryId, isGroup, result);
  if (FAILED(hr)) return hr;
  ABContainer* container = *result;
  EntryKey key = container->OwnKey();
  hr = container->Link().LoadEntry(key, parent);
  if (FAILED(hr)) {
    container->Release();
    *result = nullptr;
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE ABContainer::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!Writable(ppvObj)) return E_INVALIDARG;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPIContainer) && !IsEqualIID(riid, IID_IMAPIProp) &&
      !IsEqualIID(riid, IID_IABContainer) && !IsEqualIID(riid, IID_IDistList)) {
    *ppvObj = nullptr;
    return E_NOINTERFACE;
  }
  refCount_.Add();
  // IDistList has IABContainer's layout slot for slot, so the one table answers both.
  *ppvObj = static_cast<IABContainer*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE ABContainer::AddRef() { return refCount_.Add(); }

ULONG STDMETHODCALLTYPE ABContainer::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) HeapDelete(this);
  return count;
}

HRESULT STDMETHODCALLTYPE ABContainer::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG,
                                                 ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
  if (!Writable(lpulObjType) || !Writable(lppUnk)) return E_INVALIDARG;
  if (lpInterface && (!Readable(lpInterface) ||
                      (!IsEqualIID(*lpInterface, IID_IMAPIContainer) && !IsEqualIID(*lpInterface, IID_IABContainer) &&
                       !IsEqualIID(*lpInterface, IID_IDistList))))
    return E_NOINTERFACE;
  ULONG kind = ClassifyEntryId(Session(), cbEntryID, lpEntryID);
  if (kind != kEntryTypePerson && kind != kEntryTypeGroup) return MAPI_E_INVALID_ENTRYID;

  // Opening reads the book and touches nothing of the container's own: no lock is held.
  EntryKey self = OwnKey();
  HRESULT hr;
  LPUNKNOWN object = nullptr;
  if (kind == kEntryTypePerson) {
    MailUser* user = nullptr;
    hr = MailUser::Open(&Session(), &self, lpEntryID, &user);
    object = static_cast<IMailUser*>(user);
  } else {
    ABContainer* group = nullptr;
    hr = ABContainer::Open(&Session(), &self, lpEntryID, true, &group);
    object = static_cast<IABContainer*>(group);
  }
  if (FAILED(hr)) return hr;
  *lpulObjType = kind == kEntryTypePerson ? MAPI_MAILUSER : MAPI_DISTLIST;
  *lppUnk = object;
  return hr;
}

HRESULT STDMETHODCALLTYPE ABContainer::CreateEntry(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG,
                                                   LPMAPIPROP* lppMAPIPropEntry) {
  if (!Writable(lppMAPIPropEntry)) return E_INVALIDARG;
  ULONG kind = ClassifyEntryId(Session(), cbEntryID, lpEntryID);
  if (!(kind & kEntryTypeTemplateBit)) return MAPI_E_INVALID_ENTRYID;
  // A template carries 40 readable bytes only when classification read them.
  if (cbEntryID < kEntryIdSize) return MAPI_E_INVALID_ENTRYID;
  EntryKey self = OwnKey();
  HRESULT hr;
  LPMAPIPROP object = nullptr;
  switch (ObjectTypeOf(kind)) {
  case kEntryTypeRoot:
    return MAPI_E_NO_SUPPORT;
  case kEntryTypePerson: {
    MailUser* user = nullptr;
    hr = MailUser::Create(&Session(), &self, lpEntryID, &user);
    object = static_cast<IMailUser*>(user);
    break;
  }
  case kEntryTypeGroup: {
    ABContainer* group = nullptr;
    hr = ABContainer::Create(&Session(), &self, lpEntryID, true, &group);
    object = static_cast<IABContainer*>(group);
    break;
  }
  default:
    return MAPI_E_INVALID_ENTRYID;
  }
  if (FAILED(hr)) return hr;
  // The flag is read by SaveChanges under the property lock, and threads may create through one container.
  {
    ScopedLock props(PropLock());
    MarkModified();
  }
  *lppMAPIPropEntry = object;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ABContainer::CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                              ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                                              LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) {
  return Session().Support()->DoCopyTo(&IID_IDistList, static_cast<IABContainer*>(this), ciidExclude, rgiidExclude,
                                       lpExcludeProps, ulUIParam, lpProgress, lpInterface, lpDestObj, ulFlags,
                                       lppProblems);
}

HRESULT STDMETHODCALLTYPE ABContainer::CopyProps(LPSPropTagArray lpIncludeProps, ULONG ulUIParam,
                                                 LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                                 ULONG ulFlags, LPSPropProblemArray* lppProblems) {
  return Session().Support()->DoCopyProps(&IID_IDistList, static_cast<IABContainer*>(this), lpIncludeProps, ulUIParam,
                                          lpProgress, lpInterface, lpDestObj, ulFlags, lppProblems);
}

HRESULT STDMETHODCALLTYPE ABContainer::GetHierarchyTable(ULONG, LPMAPITABLE*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE ABContainer::SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE ABContainer::GetSearchCriteria(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) {
  return MAPI_E_NO_SUPPORT;
}

} // namespace abk
