// Test knobs of libabkwin.so: fake the Windows version and the printer driver folder.
#ifndef ABKPLATFORM_H
#define ABKPLATFORM_H

#include <windows.h>

// What GetVersionExA/GetVersion report from now on (all threads).
// The default mimics Windows 7 SP1: VER_PLATFORM_WIN32_NT, 6.1, build 7601.
ABK_EXTERN_C void AbkPlatformSetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);
ABK_EXTERN_C void AbkPlatformResetVersion(void);

// Folder GetPrinterDriverDirectoryA reports; null goes back to the default
// rule (ABK_PRINTER_DRIVER_DIR, else the calling module's folder).
ABK_EXTERN_C void AbkPlatformSetPrinterDriverDirectory(const char* dirOrNull);

// ---------------------------------------------------------------------------
// The headless user interface. Windows belong to the thread that runs the dialogs.
// ---------------------------------------------------------------------------

// Stands for the user and the message loop: DialogBoxParamA calls the driver once each dialog is
// initialised (nested dialogs included, each with its own HWND). The driver ends the dialog, by clicking
// a button (BM_CLICK) or with EndDialog. If it returns and the dialog is still open, DialogBoxParamA
// sends WM_COMMAND(IDCANCEL) as the Escape key would; if that does not end it, the result is -1.
// With no driver set, every dialog is treated so.
typedef void (*AbkDialogDriver)(HWND dialog, void* context);
ABK_EXTERN_C void AbkSetDialogDriver(AbkDialogDriver driver, void* context);

// Types into an edit control or the edit part of a combo box: the text replaces the control's text, cut
// to the text limit, the caret goes to its end, and the parent is told EN_CHANGE (CBN_EDITCHANGE for a
// combo box). FALSE when the window is neither.
ABK_EXTERN_C BOOL AbkTypeText(HWND control, const char* text);

// Selects an item as a click would: in a list box the item becomes the only selected one (and the focus
// item), in a combo box the current item, its text in the edit part; the parent is told LBN_SELCHANGE
// (list box with LBS_NOTIFY) or CBN_SELCHANGE. FALSE when the index or the window is not valid.
ABK_EXTERN_C BOOL AbkSelectItem(HWND control, int index);

// Every MessageBoxA call is recorded; texts stay valid until AbkClearMessageBoxes.
typedef struct AbkMessageBoxRecord {
  HWND owner;
  const char* text;
  const char* caption;
  UINT type;
  int answer;
} AbkMessageBoxRecord;
ABK_EXTERN_C int AbkMessageBoxCount(void);
ABK_EXTERN_C BOOL AbkMessageBoxAt(int index, AbkMessageBoxRecord* record);
ABK_EXTERN_C void AbkClearMessageBoxes(void);
// The answer of the next MessageBoxA call (first queued, first used); IDOK when none is queued.
// AbkClearMessageBoxes also empties the queue.
ABK_EXTERN_C void AbkQueueMessageBoxAnswer(int answer);

// Every WinHelpA call is recorded (it answers TRUE); file is null when the call gave none.
typedef struct AbkHelpRecord {
  HWND window;
  const char* file;
  UINT command;
  ULONG_PTR data;
} AbkHelpRecord;
ABK_EXTERN_C int AbkHelpRequestCount(void);
ABK_EXTERN_C BOOL AbkHelpRequestAt(int index, AbkHelpRecord* record);
ABK_EXTERN_C void AbkClearHelpRequests(void);

// Image lists made by ImageList_Create and not yet destroyed (by ImageList_Destroy or by the list view
// that owned them): a test's way to see none is left behind.
ABK_EXTERN_C int AbkLiveImageListCount(void);

#endif // ABKPLATFORM_H
