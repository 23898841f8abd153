// The person dialog (template 102): its procedure and its opening, which fills the name choices and, in
// edit mode, the fields from the stored entry.
#include "dialogs/person_dialog.h"

#include "dialogs/dialog_common.h"
#include "dialogs/entry_target.h"
#include "dialogs/person_fields.h"
#include "dialogs/person_save.h"
#include "props/entry_props.h"
#include "provider/heap.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "resources/resource.h"

namespace abk {

namespace {

constexpr int kTextSize = 257;

// One person dialog: the caller's parameters and what its fields showed when it opened, reached from the
// dialog's window (DWLP_USER).
struct PersonDialog {
  EntryDialogParams* params;
  PersonFieldTexts shown;
};

PersonDialog* PersonDialogOf(HWND dialog) {
  return reinterpret_cast<PersonDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddChoices(HWND dialog, int control, HINSTANCE instance, UINT firstId, UINT lastId, char* text) {
  for (UINT id = firstId; id <= lastId; ++id) {
    text[0] = '\0';
    LoadStringA(instance, id, text, kTextSize);
    SendDlgItemMessageA(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
}

// Shows every value the entry has in its control. An entry without a recipient name is left out
// entirely: the dialog then opens as for a new person.
void ShowStoredValues(HWND dialog, const SPropValue* values, ULONG count, HINSTANCE instance, char* text) {
  const SPropValue* name = nullptr;
  for (ULONG i = 0; i < count && !name; ++i) {
    if (PROP_ID(values[i].ulPropTag) == PROP_ID(PR_DISPLAY_NAME)) name = &values[i];
  }
  if (!name || PROP_TYPE(name->ulPropTag) == PT_ERROR || !name->Value.lpszA || !name->Value.lpszA[0]) return;

  if (text) {
    text[0] = '\0';
    if (LoadStringA(instance, IDS_EDIT_PERSON_TITLE, text, kTextSize) > 0) SetWindowTextA(dialog, text);
  }
  for (ULONG i = 0; i < count; ++i) {
    const SPropValue& value = values[i];
    if (PROP_TYPE(value.ulPropTag) != PT_STRING8) continue; // error values included
    int control = ControlForProperty(PROP_ID(value.ulPropTag));
    if (control && value.Value.lpszA) SetDlgItemTextA(dialog, control, value.Value.lpszA);
  }
}

// The stored entry's values in the fields; false (the reason noted) when the entry cannot be read.
bool LoadEntry(HWND dialog, EntryDialogParams* params, char* text) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = params->session->OpenEntry(*params->entryIdSize, *params->entryId, &IID_IMailUser, MAPI_BEST_ACCESS,
                                          &type, &object);
  if (FAILED(hr) || !object) {
    NoteFailure(params, FAILED(hr) ? hr : MAPI_E_CALL_FAILED);
    return false;
  }
  ULONG count = 0;
  LPSPropValue values = nullptr;
  hr = static_cast<LPMAPIPROP>(object)->GetProps(kPersonDialogTags.Get(), 0, &count, &values);
  object->Release();
  if (SUCCEEDED(hr) && values && count) ShowStoredValues(dialog, values, count, params->instance, text);
  if (values) FreeBuffer(values);
  if (FAILED(hr)) NoteFailure(params, hr);
  return SUCCEEDED(hr);
}

// The limits bind typing only; a longer stored value stays shown in full.
void SetFieldLimits(HWND dialog) {
  for (const PersonField& field : kPersonFields) {
    bool isBox = field.control == IDC_PREFIX || field.control == IDC_SUFFIX;
    SendDlgItemMessageA(dialog, field.control, isBox ? CB_LIMITTEXT : EM_LIMITTEXT, field.limit, 0);
  }
}

BOOL InitPersonDialog(HWND dialog, PersonDialog* record) {
  // OK, Cancel and Help all need the record, whatever else fails here.
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  EntryDialogParams* params = record->params;

  // Without the text buffer the choices and the edit title are left out; the fields still load.
  char* text = static_cast<char*>(HeapAllocate(kTextSize));
  if (text) {
    AddChoices(dialog, IDC_SUFFIX, params->instance, IDS_SUFFIX_FILS, IDS_SUFFIX_DR, text);
    AddChoices(dialog, IDC_PREFIX, params->instance, IDS_PREFIX_MLLE, IDS_PREFIX_DR, text);
  }
  // An entry that cannot be read is not shown as an empty one: the dialog ends and Details reports why.
  if (IsEditing(params) && !LoadEntry(dialog, params, text)) {
    HeapFree(text);
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  ReadFieldTexts(dialog, &record->shown);
  SetFieldLimits(dialog);
  SetWindowLongPtrA(dialog, GWL_EXSTYLE, GetWindowLongPtrA(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  HeapFree(text);
  return TRUE;
}

void OnCommand(HWND dialog, PersonDialog& record, int id) {
  switch (id) {
  case IDOK:
    if (SavePerson(dialog, record.params, record.shown)) EndDialog(dialog, IDOK);
    break;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    break;
  case IDC_PERSON_HELP:
    ShowDialogHelp(dialog, record.params->instance, WM_COMMAND, IDC_PERSON_HELP, 0, PersonHelpIds);
    break;
  default:
    break;
  }
}

INT_PTR CALLBACK PersonDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return InitPersonDialog(dialog, reinterpret_cast<PersonDialog*>(lParam));
  case WM_COMMAND:
    if (PersonDialog* record = PersonDialogOf(dialog)) OnCommand(dialog, *record, LOWORD(wParam));
    return FALSE;
  case WM_HELP:
  case WM_CONTEXTMENU: {
    PersonDialog* record = PersonDialogOf(dialog);
    if (!record) return FALSE;
    return ShowDialogHelp(dialog, record->params->instance, message, wParam, lParam, PersonHelpIds);
  }
  case WM_NOTIFY:
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR ShowPersonDialog(HWND owner, EntryDialogParams* params) {
  if (!params || !params->session) return -1;
  // The dialog's own record lives as long as the modal loop.
  PersonDialog record{params, PersonFieldTexts()};
  return DialogBoxParamA(params->instance, MAKEINTRESOURCEA(IDD_PERSON), owner, PersonDialogProc,
                         reinterpret_cast<LPARAM>(&record));
}

} // namespace abk
