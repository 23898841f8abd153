// Saving the person dialog: the entry limit, reading the fields, the name and fax number rules, and the
// write through the opened person or a person the container creates.
#include "dialogs/person_save.h"

#include <cstring>

#include "dialogs/dialog_common.h"
#include "dialogs/entry_target.h"
#include "dialogs/person_fields.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "resources/resource.h"
#include "rules/limits.h"
#include "store/store_records.h"

namespace abk {

namespace {

void ShowRuleMessage(HWND dialog, const EntryDialogParams* params, UINT textId) {
  ShowStringMessage(dialog, params->instance, textId, IDS_MESSAGE_CAPTION, MB_OK | MB_ICONSTOP);
}

void FreeRows(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    FreeBuffer(rows->aRow[i].lpProps);
  FreeBuffer(rows);
}

// False when the book cannot be read or already holds as many entries as it may.
bool HasRoomForAnEntry(HWND dialog, EntryDialogParams* params) {
  LPSRowSet rows = nullptr;
  if (!ReadContainerRows(params->session, 0, nullptr, 0, &rows, &params->failure)) return false;
  bool full = rows && rows->cRows >= kMaxEntries;
  FreeRows(rows);
  if (full) ShowRuleMessage(dialog, params, IDS_TOO_MANY_ENTRIES);
  return !full;
}

// The twelve values as the controls hold them, in one host block; null when memory runs out.
LPSPropValue ReadFields(HWND dialog) {
  LPSPropValue values = nullptr;
  if (FAILED(AllocateBuffer(kPersonFieldCount * sizeof(SPropValue), reinterpret_cast<void**>(&values)))) return nullptr;
  memset(values, 0, kPersonFieldCount * sizeof(SPropValue));
  for (int i = 0; i < kPersonFieldCount; ++i) {
    const PersonField& field = kPersonFields[i];
    // A stored value longer than the field's usual read size (an imported one) is read back whole, so
    // saving never cuts what the user did not touch.
    ULONG size = field.bufSize;
    int shown = GetWindowTextLengthA(GetDlgItem(dialog, field.control));
    if (shown > 0 && static_cast<ULONG>(shown) >= size) size = static_cast<ULONG>(shown) + 1;
    char* text = nullptr;
    if (FAILED(AllocateMore(size, values, reinterpret_cast<void**>(&text)))) {
      FreeBuffer(values);
      return nullptr;
    }
    text[0] = '\0';
    GetDlgItemTextA(dialog, field.control, text, static_cast<int>(size));
    values[i].ulPropTag = field.tag;
    values[i].Value.lpszA = text;
  }
  return values;
}

// Checks one fax number; a broken rule is reported and its field focused.
bool FaxNumberPasses(HWND dialog, const EntryDialogParams* params, const char* number, int control) {
  UINT message = CheckFaxNumber(number);
  if (message == 0) return true;
  ShowRuleMessage(dialog, params, message);
  SelectAndFocus(dialog, control);
  return false;
}

// The rules on the values read, in the order the user hears about them.
bool ValuesPass(HWND dialog, const EntryDialogParams* params, LPSPropValue values) {
  char* name = values[kRecipientNameField].Value.lpszA;
  if (!name[0]) {
    // The composed name is saved, not shown: the field stays empty for the user.
    ComposeRecipientName(values[kPrefixField].Value.lpszA, values[kFirstNameField].Value.lpszA,
                         values[kLastNameField].Value.lpszA, values[kSuffixField].Value.lpszA, name,
                         kPersonFields[kRecipientNameField].bufSize);
  }
  if (!name[0]) {
    ShowRuleMessage(dialog, params, IDS_NO_RECIPIENT_NAME);
    SelectAndFocus(dialog, IDC_RECIPIENT_NAME);
    return false;
  }
  const char* primary = values[kPrimaryNumberField].Value.lpszA;
  const char* secondary = values[kSecondaryNumberField].Value.lpszA;
  if (!FaxNumberPasses(dialog, params, primary, IDC_PRIMARY_NUMBER)) return false;
  if (!FaxNumberPasses(dialog, params, secondary, IDC_SECONDARY_NUMBER)) return false;
  if (!primary[0] && !secondary[0]) {
    ShowRuleMessage(dialog, params, IDS_FAX_MISSING);
    SelectAndFocus(dialog, IDC_PRIMARY_NUMBER);
    return false;
  }
  return true;
}

} // namespace

bool SavePerson(HWND dialog, EntryDialogParams* params, const PersonFieldTexts& shown) {
  bool editing = IsEditing(params);
  if (!editing && !HasRoomForAnEntry(dialog, params)) return false;

  LPSPropValue values = ReadFields(dialog);
  if (!values) return false;
  bool saved = false;
  LPMAPIPROP entry = nullptr;
  if (ValuesPass(dialog, params, values)) {
    // The write and the hand-back of a new person's identifier are one transaction: a person whose
    // identifier could not be handed back is not kept, so a second OK does not store it twice.
    SPropValue changed[kPersonFieldCount];
    ULONG count = 0;
    for (int i = 0; i < kPersonFieldCount; ++i)
      if (!editing || strcmp(values[i].Value.lpszA, shown.text[i]) != 0) changed[count++] = values[i];
    OpenedBook book(*params->session->Store(), OpenedBook::kWriting);
    HRESULT hr = book.Open();
    NoteFailure(params, hr);
    if (SUCCEEDED(hr)) entry = OpenDialogTarget(params, &IID_IMailUser, MAPI_MAILUSER);
    saved = entry && (count == 0 || WriteAndSave(entry, count, changed, &params->failure));
    if (saved && !editing && !HandBackNewId(entry, params)) {
      NoteFailure(params, E_OUTOFMEMORY);
      saved = false;
    }
    if (saved) {
      hr = book.Commit();
      NoteFailure(params, hr);
      saved = SUCCEEDED(hr);
    }
    if (!saved && !editing) ForgetNewId(params);
  }
  if (entry) entry->Release();
  FreeBuffer(values);
  return saved;
}

} // namespace abk
