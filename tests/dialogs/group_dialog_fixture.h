// The group dialog's tests: a book arranged through the raw store, the dialog run for a new group or on
// a stored one, and what the book holds afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/group_dialog.h"
#include "dialogs/person_dialog_fixture.h"

namespace abktest {

// A message box as the tests compare it: string id (0 for an unknown text) and icon.
using ShownId = std::pair<UINT, UINT>;

class GroupDialogTest : public PersonDialogTest {
protected:
  void SetUp() override;

  // A person with a recipient name and up to two numbers; a group with a name and members (id, flags).
  ULONG Person(const std::string& name, const std::string& primary, const std::string& secondary = "");
  ULONG Group(const std::string& name, const std::vector<std::pair<ULONG, ULONG>>& members);
  // Runs `arrange` on a copy of the book kept in memory, then puts the copy back: thousands of records
  // are written in moments that way.
  void ArrangeFast(const std::function<void()>& arrange);

  // Runs the dialog for a new group from the root container's group template; no container given.
  INT_PTR AddGroup(host::DialogDriver::Script script);
  // Runs the dialog on a stored group.
  INT_PTR EditGroup(ULONG groupId, host::DialogDriver::Script script);

  // The record the last AddGroup created, 0 when none was handed back.
  ULONG NewGroupId() const { return NewRecordId(); }
  // The member records of a stored group, (member id, flags), in stored order.
  std::vector<std::pair<ULONG, ULONG>> StoredMembers(ULONG groupId);
  // The messages shown since the last call, with their caption checked.
  std::vector<ShownId> NewMessages();

  std::string groupTemplate;
  size_t messagesSeen = 0;
};

// Indexes of the available list's rows whose name (and, when given, fax number) match.
int AvailableIndex(host::DialogView& dialog, const std::string& name, const std::string& number = "");
// Every row index of the available list whose name starts with `prefix`.
std::vector<int> AvailableIndexes(host::DialogView& dialog, const std::string& prefix);

} // namespace abktest
