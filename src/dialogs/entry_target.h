// The entry a person or group dialog writes on OK, and the new identifier it hands back.
#pragma once

#include "dialogs/entry_dialog_params.h"

namespace abk {

// The entry being edited, opened with editInterface and only when it is of editType; or a new entry
// made from the template in the given container (the root container, the whole book, when none was
// given). Null when neither can be had (the reason noted in the record, see NoteFailure). The caller
// releases it.
LPMAPIPROP OpenDialogTarget(EntryDialogParams* params, LPCIID editInterface, ULONG editType);

// SetProps of every value, then SaveChanges. A value the entry reports it could not take (in its
// problem array) fails the write before anything is saved: saving then would store the entry without it.
// A failed save's reason goes to *failure when given.
bool WriteAndSave(LPMAPIPROP entry, ULONG count, LPSPropValue values, HRESULT* failure = nullptr);

// Keeps why the book failed the dialog, for NewEntry's or Details' caller; S_OK changes nothing.
void NoteFailure(EntryDialogParams* params, HRESULT hr);

// Hands a newly saved entry's identifier to the dialog's caller, in a host block of its own. An entry
// that reports its identifier as an error value still counts as saved, with nothing handed back; false
// when the identifier cannot be read or copied.
bool HandBackNewId(LPMAPIPROP entry, EntryDialogParams* params);
// Takes back an identifier handed back for an entry whose save did not go through after all.
void ForgetNewId(EntryDialogParams* params);

} // namespace abk
