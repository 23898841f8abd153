// The membership rules of a group: counting the individual entries a member stands for, and the checks
// an edited group passes before it is saved.
#pragma once

#include "dialogs/group_state.h"

class AddressBookSession;

namespace abk {

// At most this many member-list entries, and as many individual entries through nested groups.
constexpr ULONG kMaxGroupMembers = 256;
// At most this many groups in the book.
constexpr ULONG kMaxGroups = 3000;

// Every group of the book but the edited one, with its member rows, read once for the save-time checks.
struct GroupTableEntry {
  const BYTE* groupId;
  LPSRowSet members; // null for a group without members
};
struct GroupTable {
  GroupTableEntry* entries = nullptr; // in row order
  ULONG* byRecord = nullptr;          // indexes of entries, in record id order, for look-ups
  ULONG count = 0;
};

// The chain of groups being counted, innermost first: a group met again on it is a cycle.
struct CountPath {
  const BYTE* groupId;
  const CountPath* outer;
};

enum class CountStatus {
  kCounted,
  kReadFailed,     // a group's members could not be read
  kCycle,          // a group contains itself through nested groups
  kContainsEdited, // a nested group contains the group being edited
};

// The individual entries member `entryId` with fax-selection `flags` stands for: the chosen numbers of a
// person, the members of a group counted at any depth. Group contents come from `table` when given
// (a group it lacks counts 0), else from the store. With `edited`, meeting that group stops the count.
// Counting stops early once *count exceeds kMaxGroupMembers: the caller refuses then anyway.
CountStatus CountIndividuals(AddressBookSession* session, const BYTE* entryId, ULONG flags, const GroupTable* table,
                             const BYTE* edited, const CountPath* path, ULONG* count);

// Reads the member rows of every group but `edited`. False when a read fails.
bool BuildGroupTable(AddressBookSession* session, const SRowSet* rows, const BYTE* edited, GroupTable* table);
void FreeGroupTable(GroupTable* table);
const GroupTableEntry* FindGroup(const GroupTable& table, const BYTE* groupId);

// The save-time checks of an existing group against a member list: no nested group contains it, at most
// 256 individual entries in it and in every group containing it. False when a rule is broken (its message
// in *refusal) or a read failed (*refusal 0). Nothing is shown.
bool CheckGroupSave(AddressBookSession* session, const BYTE* edited, const MemberList& members, UINT* refusal);
// The same against the dialog's current member list; a refusal is shown to the user, a failed read ends
// it silently.
bool ValidateGroupSave(HWND dialog, HINSTANCE instance, AddressBookSession* session, const BYTE* edited);

// The message every group rule refusal shows, with caption 10.
void ShowGroupMessage(HWND dialog, HINSTANCE instance, UINT textId, UINT icon);

} // namespace abk
