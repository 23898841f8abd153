// The "Entry Type" dialog: the user picks a person or a group, and the dialog hands back the template
// identifier the container offers for that kind.
#pragma once

#include "platform/platform.h"

namespace abk {

class AddressBookSession;

struct EntryTypeDialogParams {
  AddressBookSession* session;
  HINSTANCE instance;
  ULONG containerIdSize; // 0 with a null identifier: the root container
  LPENTRYID containerId;
  ULONG templateIdSize; // out: 0 when no template was obtained
  LPENTRYID templateId; // out: a host block (FreeBuffer) or null
};

// IDOK or IDCANCEL (or -1 when the dialog could not be shown).
INT_PTR ShowEntryTypeDialog(HWND owner, EntryTypeDialogParams* params);

} // namespace abk
