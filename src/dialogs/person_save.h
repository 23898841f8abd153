// OK in the person dialog: the checks in their order, then the write through the mail-user object.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// True when the person was saved and the dialog may close. A broken rule has been reported to the user
// with the offending field focused; other failures are silent and leave the dialog as it was.
bool SavePerson(HWND dialog, EntryDialogParams* params);

} // namespace abk
