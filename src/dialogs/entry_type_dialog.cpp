// The entry type dialog (template 101). Its list offers a person and a group, each item carrying the
// container property that holds the template identifier for that kind.
#include "dialogs/entry_type_dialog.h"

#include "props/entry_props.h"
#include "provider/heap.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "resources/resource.h"

namespace abk {

namespace {

constexpr int kItemTextSize = 80;

// The dialog's record, kept in its DWLP_USER slot.
EntryTypeDialogParams* ParamsOf(HWND dialog) {
  return reinterpret_cast<EntryTypeDialogParams*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// False, with the list left empty, when the text buffer cannot be had.
bool FillTypeList(HWND dialog, HINSTANCE instance) {
  char* text = static_cast<char*>(HeapAllocate(kItemTextSize));
  if (!text) return false;
  const struct {
    UINT stringId;
    ULONG tag;
  } kChoices[] = {{IDS_ENTRY_TYPE_PERSON, PR_DEF_CREATE_MAILUSER}, {IDS_ENTRY_TYPE_GROUP, PR_DEF_CREATE_DL}};
  for (const auto& choice : kChoices) {
    text[0] = '\0';
    LoadStringA(instance, choice.stringId, text, kItemTextSize);
    LRESULT index = SendDlgItemMessageA(dialog, IDC_ENTRY_TYPE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageA(dialog, IDC_ENTRY_TYPE_LIST, LB_SETITEMDATA, static_cast<WPARAM>(index),
                        static_cast<LPARAM>(choice.tag));
  }
  SendDlgItemMessageA(dialog, IDC_ENTRY_TYPE_LIST, LB_SETCURSEL, 0, 0);
  HeapFree(text);
  return true;
}

// Copies the chosen kind's template identifier from the container into the record; silent on failure.
void TakeChosenTemplate(HWND dialog, EntryTypeDialogParams* params) {
  LRESULT index = SendDlgItemMessageA(dialog, IDC_ENTRY_TYPE_LIST, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  ULONG tag = static_cast<ULONG>(SendDlgItemMessageA(dialog, IDC_ENTRY_TYPE_LIST, LB_GETITEMDATA, index, 0));
  if (tag != PR_DEF_CREATE_MAILUSER && tag != PR_DEF_CREATE_DL) return;

  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  if (FAILED(params->session->OpenEntry(params->containerIdSize, params->containerId, nullptr, 0, &type, &object)) ||
      !object) {
    return;
  }
  SizedSPropTagArray(1, wanted) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr =
      static_cast<LPMAPIPROP>(object)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values);
  object->Release();
  if (FAILED(hr) || !values) return;
  if (count == 1 && values[0].ulPropTag == tag) {
    const SBinary& bin = values[0].Value.bin;
    void* copy = nullptr;
    if (SUCCEEDED(AllocateBuffer(bin.cb, &copy))) {
      memcpy(copy, bin.lpb, bin.cb);
      params->templateId = static_cast<LPENTRYID>(copy);
      params->templateIdSize = bin.cb;
    }
  }
  FreeBuffer(values);
}

INT_PTR CALLBACK EntryTypeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* params = reinterpret_cast<EntryTypeDialogParams*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    params->templateIdSize = 0;
    params->templateId = nullptr;
    return FillTypeList(dialog, params->instance) ? TRUE : FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
  case IDOK:
    if (EntryTypeDialogParams* params = ParamsOf(dialog)) TakeChosenTemplate(dialog, params);
    EndDialog(dialog, IDOK);
    return TRUE;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR ShowEntryTypeDialog(HWND owner, EntryTypeDialogParams* params) {
  if (!params || !params->session) return -1;
  return DialogBoxParamA(params->instance, MAKEINTRESOURCEA(IDD_ENTRY_TYPE), owner, EntryTypeProc,
                         reinterpret_cast<LPARAM>(params));
}

} // namespace abk
