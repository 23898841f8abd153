// OK in the group dialog: the group rules in their order, then the write of the group and its members.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// True when the group was written and the dialog may close. At most one refusal is reported per call;
// other failures are silent, leave the dialog open and keep what was already written.
bool SaveGroup(HWND dialog, EntryDialogParams* params);

} // namespace abk
