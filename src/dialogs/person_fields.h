// The twelve fields of the person dialog and the rules on their values: the recipient name built from
// the name parts, and what a fax number may hold.
#pragma once

#include "platform/platform.h"
#include "rules/fax_number.h"
#include "rules/recipient_name.h"

namespace abk {

struct PersonField {
  ULONG tag;     // PT_STRING8 property
  int control;   // dialog control showing it
  ULONG limit;   // characters the control accepts from typing
  ULONG bufSize; // bytes read back from the control, terminator included
};

constexpr int kPersonFieldCount = 12;
// In the order the fields are read, checked and written.
extern const PersonField kPersonFields[kPersonFieldCount];

// Indexes into kPersonFields.
enum PersonFieldIndex {
  kFirstNameField = 0,
  kLastNameField = 1,
  kSuffixField = 2,
  kPrefixField = 3,
  kRecipientNameField = 4,
  kPrimaryNumberField = 7,
  kSecondaryNumberField = 9,
};

// What the twelve controls show, up to a stored value's 255 characters.
struct PersonFieldTexts {
  char text[kPersonFieldCount][256];
};
void ReadFieldTexts(HWND dialog, PersonFieldTexts* texts);

// The control that shows a property identifier (upper 16 bits of a tag), or 0 for none.
int ControlForProperty(ULONG propId);

} // namespace abk
