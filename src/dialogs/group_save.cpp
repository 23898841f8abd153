// Writing a group: its name and keyword, then its whole member list replaced, then the fax numbers each
// person member does not use blanked through the group.
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

constexpr ULONG kNameBufferSize = 129;
constexpr ULONG kKeywordBufferSize = 65;

// What a group member's copy loses of a fax number it does not use.
constexpr ULONG kPrimaryBlanks[4] = {PR_BUSINESS_FAX_NUMBER, PR_PRIMARY_FAX_DESCRIPTION, PR_PRIMARY_FAX_EXTRA1,
                                     PR_PRIMARY_FAX_EXTRA2};
constexpr ULONG kSecondaryBlanks[4] = {PR_HOME_FAX_NUMBER, PR_SECONDARY_FAX_DESCRIPTION, PR_SECONDARY_FAX_EXTRA1,
                                       PR_SECONDARY_FAX_EXTRA2};

void Refuse(HWND dialog, const EntryDialogParams* params, UINT textId) {
  ShowGroupMessage(dialog, params->instance, textId, MB_ICONSTOP);
}

bool HasRoomForAGroup(HWND dialog, const EntryDialogParams* params) {
  ULONG groups = 0;
  const SRowSet* rows = g_groupState.rows;
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (id && TypeWordOf(id) == ENTRY_TYPE_GROUP) ++groups;
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
    char* text = nullptr;
    if (FAILED(AllocateMore(fields[i].size, values, reinterpret_cast<void**>(&text)))) {
      FreeBuffer(values);
      return nullptr;
    }
    text[0] = '\0';
    GetDlgItemTextA(dialog, fields[i].control, text, static_cast<int>(fields[i].size));
    values[i].ulPropTag = fields[i].tag;
    values[i].Value.lpszA = text;
  }
  return values;
}

// The group to write: the edited one, or a new one from the template in the given container (the root
// container when none was given).
LPABCONT OpenGroup(const EntryDialogParams* params) {
  LPMAPIPROP entry = OpenDialogTarget(params, &IID_IDistList, MAPI_DISTLIST);
  // A template that makes anything but a group is not ours to write.
  if (!entry) return nullptr;
  LPABCONT group = nullptr;
  HRESULT hr = entry->QueryInterface(IID_IDistList, reinterpret_cast<void**>(&group));
  entry->Release();
  return SUCCEEDED(hr) ? group : nullptr;
}

// An ENTRYLIST naming every node of a list, in list order, in one host block.
LPENTRYLIST MakeEntryList(const MemberList& list) {
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
  for (const MemberNode* node = list.head; node && i < list.count; node = node->next, ++i) {
    entries->lpbin[i].cb = ENTRYID_SIZE;
    entries->lpbin[i].lpb = const_cast<LPBYTE>(node->entryId);
  }
  return entries;
}

// The members of `remove` leave the group, then those of `add` join it.
bool ReplaceMembers(LPABCONT group, const MemberList& remove, const MemberList& add) {
  if (remove.count) {
    LPENTRYLIST removed = MakeEntryList(remove);
    if (!removed) return false;
    HRESULT hr = group->DeleteEntries(removed, 0);
    FreeBuffer(removed);
    // A partial completion is a failure here: the group would be saved without some of its members.
    if (hr != S_OK) return false;
  }
  LPENTRYLIST added = MakeEntryList(add);
  if (!added) return false;
  HRESULT hr = group->CopyEntries(added, 0, nullptr, 3);
  FreeBuffer(added);
  return hr == S_OK;
}

// The member copy in the group keeps only its chosen numbers: the others are written blank through
// the group, which records the unchosen blocks.
bool BlankUnchosenNumbers(LPABCONT group, LPCIID groupInterface, const MemberList& members) {
  static char empty[] = "";
  for (const MemberNode* node = members.head; node; node = node->next) {
    SPropValue blanks[8];
    ULONG count = 0;
    if (!(node->flags & ITEM_PRIMARY_FAX)) {
      for (ULONG tag : kPrimaryBlanks)
        blanks[count++].ulPropTag = tag;
    }
    if (!(node->flags & ITEM_SECONDARY_FAX)) {
      for (ULONG tag : kSecondaryBlanks)
        blanks[count++].ulPropTag = tag;
    }
    if (!count) continue;
    for (ULONG i = 0; i < count; ++i) {
      blanks[i].dwAlignPad = 0;
      blanks[i].Value.lpszA = empty;
    }
    ULONG type = 0;
    LPUNKNOWN object = nullptr;
    if (FAILED(group->OpenEntry(ENTRYID_SIZE, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(node->entryId)),
                                groupInterface, MAPI_BEST_ACCESS, &type, &object)) ||
        !object) {
      return false;
    }
    LPMAPIPROP member = static_cast<LPMAPIPROP>(object);
    bool written = WriteAndSave(member, count, blanks);
    member->Release();
    if (!written) return false;
  }
  return true;
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

// After a write failed part-way, the group is put back as the dialog found it, so that the book never
// keeps half a save: a repeated OK starts again from the same state, and Cancel loses nothing. An
// edited group gets back its name, keyword and members with their number choices; a new one leaves.
void PutBack(LPABCONT group, const EntryDialogParams* params, LPSPropValue oldFields, LPCIID groupInterface) {
  if (!IsEditing(params)) {
    RemoveNewGroup(group, params);
    return;
  }
  SPropValue restored[2];
  ULONG count = 0;
  for (ULONG i = 0; oldFields && i < 2; ++i)
    if (PROP_TYPE(oldFields[i].ulPropTag) != PT_ERROR) restored[count++] = oldFields[i];
  if (count) WriteAndSave(group, count, restored);
  if (ReplaceMembers(group, g_groupState.current, g_groupState.initial))
    BlankUnchosenNumbers(group, groupInterface, g_groupState.initial);
}

} // namespace

bool SaveGroup(HWND dialog, EntryDialogParams* params) {
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
  if (!g_groupState.current.count) {
    FreeBuffer(values);
    Refuse(dialog, params, IDS_GROUP_NO_MEMBERS);
    return false;
  }

  // The group's record, its members and each member's chosen numbers are one transaction: one flush,
  // and all of it or nothing. The rules above were checked before: no message waits on the user while
  // the book is held.
  StoreLibrary& library = *params->session->Store();
  OpenedBook book(library, OpenedBook::kWriting);
  LPABCONT group = SUCCEEDED(book.Open()) ? OpenGroup(params) : nullptr;
  LPCIID groupInterface = editing ? &IID_IDistList : &IID_IABContainer;
  LPSPropValue oldFields = group && editing && !library.rollbackAddressBook ? ReadOldFields(group) : nullptr;
  bool saved = group && WriteAndSave(group, 2, values) &&
               ReplaceMembers(group, g_groupState.initial, g_groupState.current) &&
               BlankUnchosenNumbers(group, groupInterface, g_groupState.current) &&
               (editing || HandBackNewId(group, params)) && SUCCEEDED(book.Commit());
  // A library that rolls back drops a failed save whole; with another one it is undone by hand.
  if (group && !saved && !library.rollbackAddressBook) PutBack(group, params, oldFields, groupInterface);
  if (!saved && !editing) ForgetNewId(params);
  if (oldFields) FreeBuffer(oldFields);
  if (group) group->Release();
  FreeBuffer(values);
  return saved;
}

} // namespace abk
