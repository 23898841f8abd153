// Services every modal dialog of the provider shares: string-table message boxes, focus, trimming, reading
// a container's rows, and context help through WinHelp.
#pragma once

#include "platform/platform.h"

namespace abk {

class AddressBookSession;

// MessageBoxA with text and caption from the string table. The button the box reports, or -1 when a
// string is missing or empty (then no box is shown) or memory runs out.
int ShowStringMessage(HWND owner, HINSTANCE instance, UINT textId, UINT captionId, UINT style);

// Selects the whole text of a dialog control and gives it the focus.
void SelectAndFocus(HWND dialog, int controlId);

// Removes leading and trailing white space in place; returns text (null for null).
char* TrimSpaces(char* text);

// Every row of a container's or a group's contents table, with the ten columns the dialogs show
// (kDialogRowColumns). A null identifier names the root container. With no rows, *rows is not written.
// False when the entry is not a container or group or the table cannot be read; *failure (when given) then
// says why.
bool ReadContainerRows(AddressBookSession* session, ULONG idSize, LPENTRYID id, ULONG flags, LPSRowSet* rows,
                       HRESULT* failure = nullptr);

// The help file path kept in the current user's registry, in a 260-byte block from the provider's heap
// (HeapFree it), or null when the key or the value is missing or too long.
char* GetHelpFilePath(HINSTANCE instance);

// Context help for WM_HELP and WM_CONTEXTMENU, the help contents for anything else (the Help button).
// `instance` is the module the help file path is kept for. Always TRUE.
BOOL ShowDialogHelp(HWND dialog, HINSTANCE instance, UINT message, WPARAM wParam, LPARAM lParam, const DWORD* helpMap);

// Control-to-context maps, each ended by (0, 0), for HELP_WM_HELP and HELP_CONTEXTMENU.
extern const DWORD PersonHelpIds[];
extern const DWORD GroupHelpIds[];
extern const DWORD ConfigHelpIds[];

} // namespace abk
