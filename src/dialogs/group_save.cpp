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

bool WriteFields(LPABCONT group, LPSPropValue values) {
  LPSPropProblemArray problems = nullptr;
  HRESULT hr = group->SetProps(2, values, &problems);
  if (problems) FreeBuffer(problems);
  return SUCCEEDED(hr) && SUCCEEDED(group->SaveChanges(0));
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

bool ReplaceMembers(LPABCONT group) {
  if (g_groupState.initial.count) {
    LPENTRYLIST initial = MakeEntryList(g_groupState.initial);
    if (!initial) return false;
    HRESULT hr = group->DeleteEntries(initial, 0);
    FreeBuffer(initial);
    if (FAILED(hr)) return false;
  }
  LPENTRYLIST current = MakeEntryList(g_groupState.current);
  if (!current) return false;
  HRESULT hr = group->CopyEntries(current, 0, nullptr, 3);
  FreeBuffer(current);
  return SUCCEEDED(hr);
}

// The member copy in the group keeps only its chosen numbers: the others are written blank through
// the group, which records the unchosen blocks.
bool BlankUnchosenNumbers(LPABCONT group, LPCIID groupInterface) {
  static char empty[] = "";
  for (const MemberNode* node = g_groupState.current.head; node; node = node->next) {
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
    LPSPropProblemArray problems = nullptr;
    HRESULT hr = member->SetProps(count, blanks, &problems);
    if (problems) FreeBuffer(problems);
    if (SUCCEEDED(hr)) hr = member->SaveChanges(0);
    member->Release();
    if (FAILED(hr)) return false;
  }
  return true;
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

  LPABCONT group = OpenGroup(params);
  bool saved = group && WriteFields(group, values) && ReplaceMembers(group) &&
               BlankUnchosenNumbers(group, editing ? &IID_IDistList : &IID_IABContainer) &&
               (editing || HandBackNewId(group, params));
  if (group) group->Release();
  FreeBuffer(values);
  return saved;
}

} // namespace abk
