// OK in the person dialog: the checks in their order, then the write through the mail-user object.
#pragma once

#include "dialogs/entry_dialog_params.h"
#include "dialogs/person_fields.h"

namespace abk {

// True when the person was saved and the dialog may close. A broken rule has been reported to the user
// with the offending field focused; other failures are silent and leave the dialog as it was. A stored
// person gets only the fields that differ from `shown` (what the dialog showed when it opened), applied
// to the person as stored at the save, so that another host's change to the other fields is kept.
bool SavePerson(HWND dialog, EntryDialogParams* params, const PersonFieldTexts& shown);

} // namespace abk
