// The person object: its initial properties, interfaces, reference count and copies through the host.
#include "props/mail_user.h"

#include <cstring>

#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/session.h"

namespace abk {

MailUser::MailUser(AddressBookSession* session, const EntryKey* parent, const void* entryId)
    : PropObject<IMailUser>(session, parent, entryId) {}

MailUser::~MailUser() = default;

static HRESULT AppendBinary(PropList& list, ULONG tag, const void* bytes, ULONG size) {
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.bin.cb = size;
  value.Value.bin.lpb = static_cast<LPBYTE>(const_cast<void*>(bytes));
  return list.AppendProp(value);
}

static HRESULT AppendLong(PropList& list, ULONG tag, LONG number) {
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.l = number;
  return list.AppendProp(value);
}

HRESULT MailUser::Initialize() {
  HRESULT hr = InitStoreLink();
  if (FAILED(hr)) return hr;
  PropList& list = Link().Props();
  const ProviderEntryId& id = Identifier();
  ULONG recordId = id.self.recordId;
  const BYTE searchKey = 0;
  if (FAILED(hr = AppendBinary(list, PR_ENTRYID, &id, sizeof id))) return hr;
  if (FAILED(hr = AppendBinary(list, PR_INSTANCE_KEY, &recordId, sizeof recordId))) return hr;
  if (FAILED(hr = AppendBinary(list, PR_RECORD_KEY, &id, sizeof id))) return hr;
  if (FAILED(hr = AppendBinary(list, PR_SEARCH_KEY, &searchKey, 1))) return hr;
  if (FAILED(hr = AppendLong(list, PR_OBJECT_TYPE, MAPI_MAILUSER))) return hr;
  if (FAILED(hr = AppendLong(list, PR_DISPLAY_TYPE, DT_MAILUSER))) return hr;
  AddRef();
  return S_OK;
}

HRESULT MailUser::Create(AddressBookSession* session, const EntryKey* parent, const void* entryId, MailUser** result) {
  *result = nullptr;
  MailUser* user = HeapNew<MailUser>(session, parent, entryId);
  if (!user) return E_OUTOFMEMORY;
  HRESULT hr = user->Initialize();
  if (FAILED(hr)) {
    HeapDelete(user);
    return hr;
  }
  *result = user;
  return S_OK;
}

HRESULT MailUser::Open(AddressBookSession* session, const EntryKey* parent, const void* entryId, MailUser** result) {
  HRESULT hr = Create(session, parent, entryId, result);
  if (FAILED(hr)) return hr;
  MailUser* user = *result;
  hr = user->Link().LoadEntry(user->OwnKey(), parent);
  if (FAILED(hr)) {
    user->Release();
    *result = nullptr;
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE MailUser::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!Writable(ppvObj)) return E_INVALIDARG;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPIProp) && !IsEqualIID(riid, IID_IMailUser)) {
    *ppvObj = nullptr;
    return E_NOINTERFACE;
  }
  refCount_.Add();
  *ppvObj = static_cast<IMailUser*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE MailUser::AddRef() { return refCount_.Add(); }

ULONG STDMETHODCALLTYPE MailUser::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) HeapDelete(this);
  return count;
}

HRESULT STDMETHODCALLTYPE MailUser::CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                           ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                                           LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) {
  return Session().Support()->DoCopyTo(&IID_IMailUser, static_cast<IMailUser*>(this), ciidExclude, rgiidExclude,
                                       lpExcludeProps, ulUIParam, lpProgress, lpInterface, lpDestObj, ulFlags,
                                       lppProblems);
}

HRESULT STDMETHODCALLTYPE MailUser::CopyProps(LPSPropTagArray lpIncludeProps, ULONG ulUIParam,
                                              LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                              ULONG ulFlags, LPSPropProblemArray* lppProblems) {
  return Session().Support()->DoCopyProps(&IID_IMailUser, static_cast<IMailUser*>(this), lpIncludeProps, ulUIParam,
                                          lpProgress, lpInterface, lpDestObj, ulFlags, lppProblems);
}

} // namespace abk
