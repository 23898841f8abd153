// The group dialog: creates a group or edits an existing one, its members chosen from the address book.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// IDOK after a successful save (for a new entry, *params->entryId then holds the new identifier when
// the entry reported one), IDCANCEL, or -1 when the dialog could not be shown.
INT_PTR ShowGroupDialog(HWND owner, EntryDialogParams* params);

} // namespace abk
