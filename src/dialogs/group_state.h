// The group dialog's working state: the address-book rows it read at opening, the initial and current
// member lists, the list items and the sort order of the available list. Each open group dialog has its
// own, in its record (DWLP_USER); only the sort order the user chose is kept for the next opening.
#pragma once

#include "dialogs/entry_dialog_params.h"
#include "platform/platform.h"
#include "provider/entry_id.h"

// After the platform's headers, which bring windows.h.
#include <commctrl.h>

namespace abk {

// Columns of the rows ReadContainerRows returns (kDialogRowColumns).
enum RowColumn : ULONG {
  kRowDisplayName = 0,
  kRowEntryId = 1,
  kRowObjectType = 2,
  kRowCompany = 3,
  kRowDepartment = 4,
  kRowPrimaryFax = 5,
  kRowPrimaryDescription = 6,
  kRowSecondaryFax = 7,
  kRowSecondaryDescription = 8,
  kRowComment = 9,
};

// What a list entry stands for; the person kinds equal the fax-selection bits.
enum RecipientKind : ULONG {
  kItemGroup = 0,
  kItemPrimaryFax = 1,
  kItemSecondaryFax = 2,
};

// The item data of every entry of both lists; it moves with its entry from one list to the other.
struct RecipientItem {
  ULONG kind;
  const SRow* row;
};

// One member of a group: which fax numbers are chosen (0 for a group) and its identifier, which lives
// in an address-book row.
struct MemberChoice {
  MemberChoice* next;
  ULONG flags;
  const BYTE* entryId;
};

struct MemberChoices {
  MemberChoice* head = nullptr;
  ULONG count = 0;
};

struct GroupDialogState {
  LPSRowSet rows = nullptr; // the whole book; null when it is empty
  MemberChoices initial;    // the members when the dialog opened
  MemberChoices current;    // the members as edited
  // The name and keyword as the dialog showed them when it opened: a save writes them only if changed.
  char initialName[256] = "";
  char initialKeyword[256] = "";
  HIMAGELIST images = nullptr;
  int sortColumn = 0;
  bool sortDescending = false;
};

// One group dialog: the caller's parameters and its own state, reached from the dialog's window.
struct GroupDialog {
  EntryDialogParams* params;
  GroupDialogState state;
};

// The record of an open group dialog; null before WM_INITDIALOG and after the dialog ended.
GroupDialog* GroupDialogOf(HWND dialog);
GroupDialogState& GroupStateOf(HWND dialog);

// The sort order the user chose last, for the next group dialog that opens (in any thread).
void KeepSortOrder(int column, bool descending);
void KeptSortOrder(int* column, bool* descending);

// Row helpers. A column holding an error value is missing; a fax number is present when it is there and
// not empty.
bool IsMissing(const SRow& row, ULONG column);
const char* RowText(const SRow& row, ULONG column); // "" when missing
bool HasEntryId(const SRow& row);
const BYTE* RowEntryId(const SRow& row); // null unless the row holds a 40-byte identifier
bool FaxPresent(const SRow& row, ULONG column);
ULONG TypeWordOf(const BYTE* entryId);
// The fax-selection flags a member row read through its group stands for.
ULONG MemberRowFlags(const SRow& row);

// Membership lists. Push returns false when memory runs out.
bool PushMember(MemberChoices* list, ULONG flags, const BYTE* entryId);
MemberChoice* FindMember(const MemberChoices& list, const BYTE* entryId);
void UnlinkMember(MemberChoices* list, MemberChoice* node); // frees the node
void FreeMembers(MemberChoices* list);

void FreeRowSet(LPSRowSet rows);

} // namespace abk
