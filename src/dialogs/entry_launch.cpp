// NewEntry and Details: the session puts the entry dialogs in front of the user. A new entry's kind
// comes from its template, asked for with the entry type dialog when the caller names none; an existing
// entry opens in the person or group dialog by its own kind.
#include <cstring>

#include "dialogs/entry_dialog_params.h"
#include "dialogs/entry_type_dialog.h"
#include "dialogs/group_dialog.h"
#include "dialogs/person_dialog.h"
#include "provider/entry_id.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "provider/session.h"

namespace abk {

namespace {

// The result of an entry dialog as NewEntry and Details report it: saved, or cancelled while the book
// could be read and written, is success; a dialog that could not be shown at all is not, and neither is
// one that ended unsaved after the book failed it.
HRESULT DialogOutcome(INT_PTR ended, const EntryDialogParams& params) {
  if (ended == -1) return MAPI_E_CALL_FAILED;
  if (ended != IDOK && FAILED(params.failure)) return params.failure;
  return S_OK;
}

// Runs the person or group dialog for a template or entry of that kind; MAPI_E_UNKNOWN_ENTRYID for any
// other kind.
HRESULT RunEntryDialog(ULONG objectType, HWND owner, EntryDialogParams* params) {
  if (objectType == MAPI_MAILUSER) return DialogOutcome(ShowPersonDialog(owner, params), *params);
  if (objectType == MAPI_DISTLIST) return DialogOutcome(ShowGroupDialog(owner, params), *params);
  return MAPI_E_UNKNOWN_ENTRYID;
}

} // namespace

HRESULT STDMETHODCALLTYPE AddressBookSession::NewEntry(ULONG_PTR ulUIParam, ULONG, ULONG cbEIDContainer,
                                                       LPENTRYID lpEIDContainer, ULONG cbEIDNewEntryTpl,
                                                       LPENTRYID lpEIDNewEntryTpl, ULONG* lpcbEIDNewEntry,
                                                       LPENTRYID* lppEIDNewEntry) {
  if (!Writable(lpcbEIDNewEntry) || !Writable(lppEIDNewEntry)) {
    return E_INVALIDARG;
  }
  // The dialogs edit the entry these name; a new entry starts from none.
  *lpcbEIDNewEntry = 0;
  *lppEIDNewEntry = nullptr;
  bool containerGiven = cbEIDContainer != 0 && lpEIDContainer != nullptr;
  if (containerGiven && ClassifyEntryId(*this, cbEIDContainer, lpEIDContainer) != kEntryTypeRoot) {
    return MAPI_E_UNKNOWN_ENTRYID;
  }
  HWND owner = reinterpret_cast<HWND>(ulUIParam);

  // No template named: the user chooses the kind, and the chosen template is ours to free.
  LPENTRYID chosen = nullptr;
  if (!lpEIDNewEntryTpl) {
    EntryTypeDialogParams choice = {this, instance_, cbEIDContainer, lpEIDContainer, 0, nullptr};
    if (ShowEntryTypeDialog(owner, &choice) != IDOK) return MAPI_E_USER_CANCEL;
    if (!choice.templateId) return MAPI_E_UNKNOWN_ENTRYID;
    chosen = choice.templateId;
    cbEIDNewEntryTpl = choice.templateIdSize;
    lpEIDNewEntryTpl = choice.templateId;
  }

  ULONG kind = ClassifyEntryId(*this, cbEIDNewEntryTpl, lpEIDNewEntryTpl);
  HRESULT hr = MAPI_E_UNKNOWN_ENTRYID;
  if (kind & kEntryTypeTemplateBit) {
    EntryDialogParams params = {
        instance_,        this, lpcbEIDNewEntry, lppEIDNewEntry, cbEIDContainer, lpEIDContainer, cbEIDNewEntryTpl,
        lpEIDNewEntryTpl, S_OK};
    hr = RunEntryDialog(ObjectTypeOf(kind), owner, &params);
  }
  if (chosen) FreeBuffer(chosen);
  return hr;
}

HRESULT STDMETHODCALLTYPE AddressBookSession::Details(ULONG* lpulUIParam, LPFNDISMISS, LPVOID, ULONG cbEntryID,
                                                      LPENTRYID lpEntryID, LPFNBUTTON, LPVOID, LPTSTR, ULONG) {
  ULONG kind = ClassifyEntryId(*this, cbEntryID, lpEntryID);
  if (kind != kEntryTypePerson && kind != kEntryTypeGroup) return MAPI_E_INVALID_ENTRYID;
  // The window handle arrives through a pointer; without one the dialog has no owner.
  HWND owner = !Readable(lpulUIParam) ? nullptr : reinterpret_cast<HWND>(ULONG_PTR{*lpulUIParam});
  // The dialogs edit the entry itself, wherever its identifier was found: one taken from a group's table
  // is opened as from the root container (the group dialog is where a member's number is chosen).
  ProviderEntryId own;
  memcpy(&own, lpEntryID, sizeof own);
  own.parent = EntryKey{kRootRecordId, kEntryTypeRoot};
  ULONG ownSize = sizeof own;
  LPENTRYID ownId = reinterpret_cast<LPENTRYID>(&own);
  EntryDialogParams params = {instance_, this, &ownSize, &ownId, 0, nullptr, 0, nullptr, S_OK};
  HRESULT hr = RunEntryDialog(kind, owner, &params);
  return hr == MAPI_E_UNKNOWN_ENTRYID ? MAPI_E_INVALID_ENTRYID : hr;
}

} // namespace abk
