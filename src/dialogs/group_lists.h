// The group dialog's two lists: the available recipients (a report list view) and the current members
// (a sorted list box), the items they carry and how they are filled.
#pragma once

#include "dialogs/group_state.h"

namespace abk {

constexpr int kGroupListColumns = 6;

// The text an item shows in a list view column; "" for a missing value.
const char* ItemColumnText(const RecipientItem& item, int column);

// Inserts the item at `position` of the available list with all its columns; the list's index or -1.
int InsertAvailableItem(HWND list, int position, RecipientItem* item);
// Adds the item to the member list under its member text; false when memory runs out.
bool AddMemberEntry(HWND list, RecipientItem* item);
// The item an entry of either list carries.
RecipientItem* AvailableItemAt(HWND list, int index);
RecipientItem* MemberItemAt(HWND list, int index);

// Frees every item of the available list and empties it.
void ClearAvailableList(HWND list);
// Frees every item of the member list and empties it.
void ClearMemberList(HWND list);

// Spreads the book's rows over the two lists and builds the initial and current member lists from the
// edited group's member rows (null for a new group). `edited` is left out of both lists.
bool FillLists(HWND dialog, const SRowSet* memberRows, const BYTE* edited);
// Rebuilds the available list for the Show boxes clicked; `clicked` is the box just clicked.
void RefillAvailableList(HWND dialog, int clicked, const BYTE* edited);

// Sorts the available list with the kept column and direction; a column click first changes them.
void SortAvailableList(HWND dialog);
void OnColumnClick(HWND dialog, int column);

} // namespace abk
