// The person dialog's tests: opening it for a new person or on a stored one, and reading back what the
// book holds afterwards through the session and the raw store.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialog_fixture.h"
#include "dialogs/person_dialog.h"

namespace abktest {

// Store field ids of the person fields the tests look at.
enum : ULONG {
  kDisplayNameField = 0x1,
  kPrefixField = 0x2,
  kFirstNameField = 0x3,
  kLastNameField = 0x5,
  kSuffixField = 0x6,
  kKeywordField = 0x8,
  kSecondaryNumberField = 0x110,
  kCompanyField = 0x200,
  kPrimaryNumberField = 0x210,
};

class PersonDialogTest : public DialogTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the dialog for a new person with the root container's person template; no container given.
  INT_PTR AddPerson(host::DialogDriver::Script script);
  // Runs a dialog (ShowPersonDialog or ShowGroupDialog) for a new entry made from a creation template.
  INT_PTR RunForNewEntry(int templateId, std::string& tpl, INT_PTR (*show)(HWND, abk::EntryDialogParams*),
                         host::DialogDriver::Script script);
  // Runs the dialog on an entry identifier, in edit mode.
  INT_PTR EditEntry(const std::string& id, host::DialogDriver::Script script);

  // The record the last AddPerson created, 0 when none was handed back.
  ULONG NewRecordId() const;
  // A field of a stored entry as the store holds it; "(none)" when the record has no such field.
  std::string StoredField(ULONG recordId, ULONG fieldId);
  // Blank persons and groups added to the empty book, built where flushing costs nothing and copied in.
  void FillBook(int persons, int groups);
  // Every entry of the book as the root container lists it.
  int EntryCount();
  // A string of the provider's string table.
  std::string Text(UINT id) const;
  // The messages shown so far, as string ids recognised from their texts (0 for an unknown text),
  // with their caption and icon checked.
  std::vector<UINT> MessageIds();

  std::string personTemplate;
  ULONG newIdSize = 0;
  LPENTRYID newId = nullptr;
  abk::EntryDialogParams params = {};
};

// A recipient and a primary number: enough for OK to save.
void TypeValidPerson(host::DialogView& dialog, const std::string& name = "Jean Martin");

} // namespace abktest
