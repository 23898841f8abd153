// Comparing identifiers and keeping advise registrations for the host.
#include "provider/entry_id.h"
#include "provider/host_input.h"
#include "provider/session.h"

namespace abk {

HRESULT STDMETHODCALLTYPE AddressBookSession::CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                                              LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) {
  if (!IsOwnEntryId(*this, cbEntryID1, lpEntryID1) || !IsOwnEntryId(*this, cbEntryID2, lpEntryID2)) return E_INVALIDARG;
  if (!Writable(lpulResult)) return E_INVALIDARG;
  *lpulResult = SameEntry(lpEntryID1, lpEntryID2);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AddressBookSession::Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                                     LPMAPIADVISESINK lpAdviseSink, ULONG* lpulConnection) {
  if (ClassifyEntryId(*this, cbEntryID, lpEntryID) == kEntryTypeForeign) return MAPI_E_INVALID_ENTRYID;
  if (ulEventMask & ~fnevObjectModified) return MAPI_E_NO_SUPPORT;
  if (!Writable(lpulConnection)) return E_INVALIDARG;
  return adviseList_->Add(lpEntryID ? cbEntryID : 0, lpEntryID, ulEventMask, lpAdviseSink, lpulConnection);
}

HRESULT STDMETHODCALLTYPE AddressBookSession::Unadvise(ULONG ulConnection) {
  adviseList_->Remove(ulConnection);
  return S_OK;
}

} // namespace abk
