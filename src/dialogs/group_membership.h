// The group dialog's Add to Group and Remove from Group buttons.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// Moves the selected available recipients into the member list when the group stays within its
// limits; a refusal is reported to the user.
void AddToGroup(HWND dialog, const EntryDialogParams* params);
// Moves the selected members back to the top of the available list.
void RemoveFromGroup(HWND dialog, const EntryDialogParams* params);

} // namespace abk
