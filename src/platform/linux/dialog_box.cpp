// Modal dialogs from compiled templates: creation, WM_INITDIALOG, the driver in place of the message loop,
// EndDialog and destruction.
#include <abkplatform.h>

#include "dialog_template.h"
#include "window.h"

namespace abkwin {

namespace {

AbkDialogDriver g_driver = nullptr;
void* g_driverContext = nullptr;

// Messages whose dialog procedure result is the message result; for the others it is DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) { return message == WM_INITDIALOG; }

bool IsFocusable(Window* control) {
  return (control->style & WS_TABSTOP) && (control->style & WS_VISIBLE) && !(control->style & WS_DISABLED);
}

Window* FirstTabStop(Window* dialog) {
  for (Window* child : dialog->children) {
    if (IsFocusable(child)) return child;
  }
  return nullptr;
}

Window* CreateDialogWindow(const DialogTemplate& form, HWND owner, DLGPROC proc) {
  Window* dialog = CreateWindowObject(WindowKind::Dialog, nullptr);
  dialog->className = "#32770";
  dialog->style = form.style | WS_VISIBLE;
  dialog->exStyle = form.exStyle;
  dialog->text = form.caption;
  dialog->dialogProc = proc;
  // A dialog's parent is its owner, as GetParent answers for a pop-up window.
  dialog->parent = FromHandle(owner);
  for (const DialogItemTemplate& item : form.items) {
    Window* control = CreateWindowObject(KindOfClass(item.className), nullptr);
    control->parent = dialog;
    dialog->children.push_back(control);
    control->className = item.className;
    control->id = static_cast<int>(static_cast<WORD>(item.id));
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->text = item.text;
  }
  return dialog;
}

void DestroyDialog(Window* dialog) {
  // The owner is not ours to destroy: detach before destroying the children and the dialog.
  dialog->parent = nullptr;
  DestroyWindowObject(dialog);
}

void EndAsCancelled(Window* dialog) {
  HWND handle = ToHandle(dialog);
  HWND cancel = GetDlgItem(handle, IDCANCEL);
  SendMessageA(handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  if (!FromHandle(handle) || dialog->ended) return;
  dialog->ended = true;
  dialog->result = -1;
}

} // namespace

LRESULT DialogMessage(Window* dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND handle = ToHandle(dialog);
  INT_PTR handled = dialog->dialogProc ? dialog->dialogProc(handle, message, wParam, lParam) : FALSE;
  if (handled) return ReturnsDirectly(message) ? handled : GetWindowLongPtrA(handle, DWLP_MSGRESULT);
  if (!FromHandle(handle)) return 0;
  if (message == WM_CLOSE) {
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(handle, IDCANCEL)));
    return 0;
  }
  if (message == WM_SETTEXT || message == WM_GETTEXT || message == WM_GETTEXTLENGTH) {
    return DefaultTextMessage(dialog, message, wParam, lParam);
  }
  return 0;
}

} // namespace abkwin

using namespace abkwin;

extern "C" void AbkSetDialogDriver(AbkDialogDriver driver, void* context) {
  g_driver = driver;
  g_driverContext = context;
}

extern "C" BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  Window* dialog = FromHandle(hDlg);
  if (!dialog || dialog->kind != WindowKind::Dialog) return FALSE;
  dialog->ended = true;
  dialog->result = nResult;
  // An ended dialog is hidden at once, as on Windows; it is destroyed when DialogBoxParamA returns.
  dialog->style &= ~WS_VISIBLE;
  return TRUE;
}

extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                          DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  HRSRC found = FindResourceA(hInstance, lpTemplateName, RT_DIALOG);
  if (!found) return -1;
  DialogTemplate form;
  if (!ParseDialogTemplate(LockResource(LoadResource(hInstance, found)), SizeofResource(hInstance, found), &form)) {
    return -1;
  }
  HWND focusBefore = GetFocus();
  Window* dialog = CreateDialogWindow(form, hWndParent, lpDialogFunc);
  HWND handle = ToHandle(dialog);

  Window* first = FirstTabStop(dialog);
  HWND firstHandle = first ? ToHandle(first) : nullptr;
  if (SendMessageA(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstHandle), dwInitParam) && firstHandle) {
    SetFocus(firstHandle);
  }
  // Nobody types on Linux: the driver stands for the user and the message loop.
  if (!dialog->ended && g_driver) g_driver(handle, g_driverContext);
  if (!dialog->ended) EndAsCancelled(dialog);

  INT_PTR result = dialog->result;
  SendMessageA(handle, WM_DESTROY, 0, 0);
  DestroyDialog(dialog);
  // Focus goes back to where it was before the dialog, as when its owner is activated again.
  if (!GetFocus() && IsWindow(focusBefore)) SetFocus(focusBefore);
  return result;
}
