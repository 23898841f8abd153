// Writing a group: its name and keyword when they changed, the members the user removed and added, and
// the numbers chosen for the members added or chosen anew, applied to the group as stored when it is
// saved, in one transaction; then the group rules checked again against that result when another host
// changed the group meanwhile.
#include "dialogs/group_save.h"

#include <cstring>

#include "dialogs/dialog_common.h"
#include "dialogs/entry_target.h"
#include "dialogs/group_rules.h"
#include "props/entry_props.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "resources/resource.h"
#include "store/store_records.h"

namespace abk {

namespace {

// What a user can type; a stored value shown in full may be longer.
constexpr ULONG kNameBufferSize = 129;
constexpr ULONG kKeywordBufferSize = 65;

void Refuse(HWND dialog, const EntryDialogParams* params, UINT textId) {
  ShowGroupMessage(dialog, params->instance, textId, MB_ICONSTOP);
}

bool HasRoomForAGroup(HWND dialog, const EntryDialogParams* params) {
  ULONG groups = 0;
  const SRowSet* rows = GroupStateOf(dialog).rows;
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (id && TypeWordOf(id) == kEntryTypeGroup) ++groups;
  }
  if (groups < kMaxGroups) return true;
  Refuse(dialog, params, IDS_TOO_MANY_GROUPS);
  return false;
}

// Name and keyword as the edits hold them, untrimmed, in one host block.
LPSPropValue ReadGroupFields(HWND dialog) {
  LPSPropValue values = nullptr;
  if (FAILED(AllocateBuffer(2 * sizeof(SPropValue), reinterpret_cast<void**>(&values)))) return nullptr;
  memset(values, 0, 2 * sizeof(SPropValue));
  const struct {
    ULONG tag;
    int control;
    ULONG size;
  } fields[2] = {{PR_DISPLAY_NAME, IDC_GROUP_NAME, kNameBufferSize}, {PR_COMMENT, IDC_KEYWORD, kKeywordBufferSize}};
  for (int i = 0; i < 2; ++i) {
    // A stored value longer than the field's usual read size is read back whole: a save never cuts
    // what the user did not touch.
    ULONG size = fields[i].size;
    int shown = GetWindowTextLengthA(GetDlgItem(dialog, fields[i].control));
    if (shown > 0 && static_cast<ULONG>(shown) >= size) size = static_cast<ULONG>(shown) + 1;
    char* text = nullptr;
    if (FAILED(AllocateMore(size, values, reinterpret_cast<void**>(&text)))) {
      FreeBuffer(values);
      return nullptr;
    }
    text[0] = '\0';
    GetDlgItemTextA(dialog, fields[i].control, text, static_cast<int>(size));
    values[i].ulPropTag = fields[i].tag;
    values[i].Value.lpszA = text;
  }
  return values;
}

// The group to write: the edited one, or a new one from the template in the given container (the root
// container when none was given).
LPABCONT OpenGroup(EntryDialogParams* params) {
  LPMAPIPROP entry = OpenDialogTarget(params, &IID_IDistList, MAPI_DISTLIST);
  // A template that makes anything but a group is not ours to write.
  if (!entry) return nullptr;
  LPABCONT group = nullptr;
  HRESULT hr = entry->QueryInterface(IID_IDistList, reinterpret_cast<void**>(&group));
  entry->Release();
  return SUCCEEDED(hr) ? group : nullptr;
}

// An ENTRYLIST naming every node of a list, in list order, in one host block.
LPENTRYLIST MakeEntryList(const MemberChoices& list) {
  LPENTRYLIST entries = nullptr;
  if (FAILED(AllocateBuffer(sizeof(ENTRYLIST), reinterpret_cast<void**>(&entries)))) return nullptr;
  entries->cValues = list.count;
  entries->lpbin = nullptr;
  if (list.count &&
      FAILED(AllocateMore(list.count * sizeof(SBinary), entries, reinterpret_cast<void**>(&entries->lpbin)))) {
    FreeBuffer(entries);
    return nullptr;
  }
  ULONG i = 0;
  for (const MemberChoice* node = list.head; node && i < list.count; node = node->next, ++i) {
    entries->lpbin[i].cb = kEntryIdSize;
    entries->lpbin[i].lpb = const_cast<LPBYTE>(node->entryId);
  }
  return entries;
}

// The members of `remove` leave the group, then those of `add` join it.
bool ReplaceMembers(LPABCONT group, const MemberChoices& remove, const MemberChoices& add) {
  if (remove.count) {
    LPENTRYLIST removed = MakeEntryList(remove);
    if (!removed) return false;
    HRESULT hr = group->DeleteEntries(removed, 0);
    FreeBuffer(removed);
    // A partial completion is a failure here: the group would be saved without some of its members.
    if (hr != S_OK) return false;
  }
  if (!add.count) return true;
  LPENTRYLIST added = MakeEntryList(add);
  if (!added) return false;
  HRESULT hr = group->CopyEntries(added, 0, nullptr, 3);
  FreeBuffer(added);
  return hr == S_OK;
}

// The row of the book an identifier names, or null.
const SRow* BookRow(const SRowSet* rows, const BYTE* entryId) {
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (id && SameEntry(id, entryId)) return &rows->aRow[i];
  }
  return nullptr;
}

// Records through the group which numbers each person of `members` uses: a person takes only its numbers
// through a group, the chosen ones as they are, the others blank.
bool ChooseNumbers(LPABCONT group, LPCIID groupInterface, const SRowSet* bookRows, const MemberChoices& members) {
  static char empty[] = "";
  for (const MemberChoice* node = members.head; node; node = node->next) {
    if (TypeWordOf(node->entryId) != kEntryTypePerson) continue;
    const SRow* row = BookRow(bookRows, node->entryId);
    SPropValue numbers[2] = {};
    numbers[0].ulPropTag = PR_BUSINESS_FAX_NUMBER;
    numbers[0].Value.lpszA =
        row && (node->flags & kItemPrimaryFax) ? const_cast<char*>(RowText(*row, kRowPrimaryFax)) : empty;
    numbers[1].ulPropTag = PR_HOME_FAX_NUMBER;
    numbers[1].Value.lpszA =
        row && (node->flags & kItemSecondaryFax) ? const_cast<char*>(RowText(*row, kRowSecondaryFax)) : empty;
    ULONG type = 0;
    LPUNKNOWN object = nullptr;
    if (FAILED(group->OpenEntry(kEntryIdSize, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(node->entryId)),
                                groupInterface, MAPI_BEST_ACCESS, &type, &object)) ||
        !object) {
      return false;
    }
    LPMAPIPROP member = static_cast<LPMAPIPROP>(object);
    bool written = WriteAndSave(member, 2, numbers);
    member->Release();
    if (!written) return false;
  }
  return true;
}

// What the user changed in the member list: the members removed, those added, and those kept whose
// choice of numbers changed. False when memory runs out.
struct MemberChanges {
  MemberChoices removed, added, rechosen;
  ~MemberChanges() {
    FreeMembers(&removed);
    FreeMembers(&added);
    FreeMembers(&rechosen);
  }
};

// PushMember puts each node first: a list built by it is turned round to follow its source's order.
void Reverse(MemberChoices* list) {
  MemberChoice* reversed = nullptr;
  while (MemberChoice* node = list->head) {
    list->head = node->next;
    node->next = reversed;
    reversed = node;
  }
  list->head = reversed;
}

bool Compare(const MemberChoices& initial, const MemberChoices& current, MemberChanges* changes) {
  for (const MemberChoice* node = initial.head; node; node = node->next) {
    const MemberChoice* now = FindMember(current, node->entryId);
    if (!now && !PushMember(&changes->removed, node->flags, node->entryId)) return false;
    if (now && now->flags != node->flags && !PushMember(&changes->rechosen, now->flags, now->entryId)) return false;
  }
  for (const MemberChoice* node = current.head; node; node = node->next) {
    if (!FindMember(initial, node->entryId) && !PushMember(&changes->added, node->flags, node->entryId)) return false;
  }
  Reverse(&changes->removed);
  Reverse(&changes->rechosen);
  Reverse(&changes->added);
  return true;
}

// The persons added whose choice is not both numbers (an added person starts with both).
bool PartlyChosen(const MemberChoices& added, MemberChoices* out) {
  for (const MemberChoice* node = added.head; node; node = node->next) {
    if (TypeWordOf(node->entryId) != kEntryTypePerson) continue;
    if (node->flags == (kItemPrimaryFax | kItemSecondaryFax)) continue;
    if (!PushMember(out, node->flags, node->entryId)) return false;
  }
  return true;
}

// The members of the group as stored now, with their choices, read inside the save's opening.
bool StoredMembers(const EntryDialogParams* params, LPSRowSet* rows, MemberChoices* members) {
  if (!ReadContainerRows(params->session, *params->entryIdSize, *params->entryId, 0, rows)) return false;
  for (ULONG i = 0; *rows && i < (*rows)->cRows; ++i) {
    const SRow& row = (*rows)->aRow[i];
    const BYTE* id = RowEntryId(row);
    if (id && !PushMember(members, MemberRowFlags(row), id)) return false;
  }
  return true;
}

bool SameMembers(const MemberChoices& a, const MemberChoices& b) {
  if (a.count != b.count) return false;
  for (const MemberChoice* node = a.head; node; node = node->next) {
    const MemberChoice* other = FindMember(b, node->entryId);
    if (!other || other->flags != node->flags) return false;
  }
  return true;
}

// When another host changed the group since the dialog opened, the group rules are checked again against
// the group as it now stands; the message of a broken rule in *refusal. False when that could not be read.
bool RecheckStored(const EntryDialogParams* params, const GroupDialogState& state, UINT* refusal) {
  *refusal = 0;
  LPSRowSet rows = nullptr;
  MemberChoices stored;
  bool read = StoredMembers(params, &rows, &stored);
  bool valid = read;
  if (read && !SameMembers(stored, state.current))
    valid =
        CheckGroupSave(params->session, state.rows, reinterpret_cast<const BYTE*>(*params->entryId), stored, refusal);
  FreeMembers(&stored);
  FreeRowSet(rows);
  return valid;
}

// The name and keyword the edited group had before the save, for putting them back.
LPSPropValue ReadOldFields(LPABCONT group) {
  SizedSPropTagArray(2, tags) = {2, {PR_DISPLAY_NAME, PR_COMMENT}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = group->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values);
  if (FAILED(hr) || count != 2) {
    if (values) FreeBuffer(values);
    return nullptr;
  }
  return values;
}

// A new group that was written only in part leaves the book again.
void RemoveNewGroup(LPABCONT group, const EntryDialogParams* params) {
  SizedSPropTagArray(1, tags) = {1, {PR_ENTRYID}};
  ULONG count = 0;
  LPSPropValue id = nullptr;
  if (FAILED(group->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &id)) || !id) return;
  ULONG type = 0;
  LPUNKNOWN root = nullptr;
  if (PROP_TYPE(id->ulPropTag) == PT_BINARY &&
      SUCCEEDED(params->session->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &root)) && root) {
    ENTRYLIST one = {1, &id->Value.bin};
    static_cast<LPABCONT>(root)->DeleteEntries(&one, 0);
    root->Release();
  }
  FreeBuffer(id);
}

// After a write failed part-way, with a store library that cannot roll back, the group is put back as
// the dialog found it: an edited group gets back its name, keyword, members and their numbers; a new one
// leaves.
void PutBack(LPABCONT group, const EntryDialogParams* params, const GroupDialogState& state, LPSPropValue oldFields,
             LPCIID groupInterface, const MemberChanges& changes) {
  if (!IsEditing(params)) {
    RemoveNewGroup(group, params);
    return;
  }
  SPropValue restored[2];
  ULONG count = 0;
  for (ULONG i = 0; oldFields && i < 2; ++i)
    if (PROP_TYPE(oldFields[i].ulPropTag) != PT_ERROR) restored[count++] = oldFields[i];
  if (count) WriteAndSave(group, count, restored);
  MemberChoices initialChoices;
  for (const MemberChoice* node = state.initial.head; node; node = node->next)
    if ((FindMember(changes.removed, node->entryId) || FindMember(changes.rechosen, node->entryId)) &&
        !PushMember(&initialChoices, node->flags, node->entryId))
      break;
  if (ReplaceMembers(group, changes.added, changes.removed))
    ChooseNumbers(group, groupInterface, state.rows, initialChoices);
  FreeMembers(&initialChoices);
}

} // namespace

bool SaveGroup(HWND dialog, EntryDialogParams* params) {
  const GroupDialogState& state = GroupStateOf(dialog);
  bool editing = IsEditing(params);
  if (editing) {
    if (!ValidateGroupSave(dialog, params->instance, params->session, reinterpret_cast<const BYTE*>(*params->entryId)))
      return false;
  } else if (!HasRoomForAGroup(dialog, params)) {
    return false;
  }

  LPSPropValue values = ReadGroupFields(dialog);
  if (!values) return false;
  if (!values[0].Value.lpszA[0]) {
    FreeBuffer(values);
    Refuse(dialog, params, IDS_GROUP_NO_NAME);
    SelectAndFocus(dialog, IDC_GROUP_NAME);
    return false;
  }
  if (!state.current.count) {
    FreeBuffer(values);
    Refuse(dialog, params, IDS_GROUP_NO_MEMBERS);
    return false;
  }
  // Name and keyword are written when new or changed, so that a stored value the user did not touch, or
  // another host's change to it, is kept.
  SPropValue fields[2];
  ULONG fieldCount = 0;
  const char* initial[2] = {state.initialName, state.initialKeyword};
  for (int i = 0; i < 2; ++i)
    if (!editing || strcmp(values[i].Value.lpszA, initial[i]) != 0) fields[fieldCount++] = values[i];
  MemberChanges changes;
  MemberChoices partly;
  bool compared = Compare(state.initial, state.current, &changes) && PartlyChosen(changes.added, &partly);

  // One transaction: one flush, and all of it or nothing. The rules above were checked before: no
  // message waits on the user while the book is held.
  StoreLibrary& library = *params->session->Store();
  UINT refusal = 0;
  bool saved = false;
  {
    OpenedBook book(library, OpenedBook::kWriting);
    HRESULT opened = compared ? book.Open() : E_OUTOFMEMORY;
    NoteFailure(params, opened);
    LPABCONT group = SUCCEEDED(opened) ? OpenGroup(params) : nullptr;
    LPCIID groupInterface = editing ? &IID_IDistList : &IID_IABContainer;
    LPSPropValue oldFields = group && editing && !library.rollbackAddressBook ? ReadOldFields(group) : nullptr;
    saved = group && (fieldCount == 0 || WriteAndSave(group, fieldCount, fields, &params->failure)) &&
            ReplaceMembers(group, changes.removed, changes.added) &&
            ChooseNumbers(group, groupInterface, state.rows, changes.rechosen) &&
            ChooseNumbers(group, groupInterface, state.rows, partly) &&
            (!editing || RecheckStored(params, state, &refusal)) && (editing || HandBackNewId(group, params));
    if (saved) {
      HRESULT committed = book.Commit();
      NoteFailure(params, committed);
      saved = SUCCEEDED(committed);
    }
    // A library that rolls back drops a failed save whole; with another one it is undone by hand.
    if (group && !saved && !library.rollbackAddressBook)
      PutBack(group, params, state, oldFields, groupInterface, changes);
    if (oldFields) FreeBuffer(oldFields);
    if (group) group->Release();
  }
  FreeMembers(&partly);
  if (!saved && !editing) ForgetNewId(params);
  FreeBuffer(values);
  if (refusal) Refuse(dialog, params, refusal);
  return saved;
}

} // namespace abk
