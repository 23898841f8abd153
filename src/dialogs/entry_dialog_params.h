// The record that NewEntry and Details hand to the person and group dialogs. Each dialog keeps it in a
// record of its own, in its DWLP_USER slot, beside the dialog's own state.
#pragma once

#include "platform/platform.h"

namespace abk {

class AddressBookSession;

struct EntryDialogParams {
  HINSTANCE instance; // strings and help
  AddressBookSession* session;
  // The entry to edit, or for a new entry the caller's outputs (0 and null going in; the new
  // identifier, a host block the caller frees, coming out).
  ULONG* entryIdSize;
  LPENTRYID* entryId;
  ULONG containerIdSize; // where a new entry goes; 0 with null: the root container
  LPENTRYID containerId;
  ULONG templateIdSize; // the template a new entry is created from
  LPENTRYID templateId;
  // Why the book could not be read or written while the dialog was open (S_OK when it could). A dialog
  // that then ends without saving reports it to NewEntry's or Details' caller.
  HRESULT failure;
};

// Edit mode: the record names an existing entry.
inline bool IsEditing(const EntryDialogParams* params) {
  return params->entryIdSize && params->entryId && *params->entryIdSize != 0 && *params->entryId != nullptr;
}

} // namespace abk
