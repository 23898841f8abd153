// The group dialog (template 104): its procedure, its opening on a new or a stored group, and its end.
#include "dialogs/group_dialog.h"

#include "dialogs/dialog_common.h"
#include "dialogs/entry_target.h"
#include "dialogs/group_lists.h"
#include "dialogs/group_membership.h"
#include "dialogs/group_save.h"
#include "props/entry_props.h"
#include "provider/heap.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "resources/resource.h"

namespace abk {

namespace {

constexpr int kTextSize = 64;
constexpr int kColumnWidth = 100;
constexpr int kNameLimit = 48;
constexpr int kKeywordLimit = 32;

// The edited group's identifier, when it is one the lists can be compared with.
const BYTE* EditedGroupId(const EntryDialogParams* params) {
  if (!IsEditing(params) || *params->entryIdSize < kEntryIdSize) return nullptr;
  return reinterpret_cast<const BYTE*>(*params->entryId);
}

void InsertColumns(HWND list, HINSTANCE instance, char* text) {
  for (int column = 0; column < kGroupListColumns; ++column) {
    text[0] = '\0';
    LoadStringA(instance, IDS_COLUMN_NAME + column, text, kTextSize);
    LVCOLUMNA header = {};
    header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    header.fmt = LVCFMT_LEFT;
    header.cx = kColumnWidth;
    header.pszText = text;
    header.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
  }
}

void AttachImages(HWND list, HINSTANCE instance, GroupDialogState& state) {
  HIMAGELIST images = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_MASK, 2, 0);
  if (images) {
    HICON group = LoadIconA(instance, MAKEINTRESOURCEA(IDI_GROUP));
    HICON person = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PERSON));
    if (!group || !person || ImageList_AddIcon(images, group) != 0 || ImageList_AddIcon(images, person) != 1) {
      ImageList_Destroy(images);
      images = nullptr;
    }
  }
  state.images = images;
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

// The edited group's name and keyword; the edit title only for a group with a name.
bool LoadGroupFields(HWND dialog, EntryDialogParams* params, char* text) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr = params->session->OpenEntry(*params->entryIdSize, *params->entryId, &IID_IDistList, 0, &type, &object);
  if (FAILED(hr) || !object) {
    NoteFailure(params, FAILED(hr) ? hr : MAPI_E_CALL_FAILED);
    return false;
  }
  ULONG count = 0;
  LPSPropValue values = nullptr;
  hr = static_cast<LPMAPIPROP>(object)->GetProps(kGroupDialogTags.Get(), 0, &count, &values);
  object->Release();
  if (FAILED(hr) || !values || count < 2) {
    if (values) FreeBuffer(values);
    NoteFailure(params, FAILED(hr) ? hr : MAPI_E_CALL_FAILED);
    return false;
  }
  const SPropValue& name = values[0];
  const SPropValue& comment = values[1];
  if (name.ulPropTag == PR_DISPLAY_NAME && name.Value.lpszA && name.Value.lpszA[0]) {
    text[0] = '\0';
    if (LoadStringA(params->instance, IDS_EDIT_GROUP_TITLE, text, kTextSize) > 0) SetWindowTextA(dialog, text);
    SetDlgItemTextA(dialog, IDC_GROUP_NAME, name.Value.lpszA);
    if (comment.ulPropTag == PR_COMMENT && comment.Value.lpszA)
      SetDlgItemTextA(dialog, IDC_KEYWORD, comment.Value.lpszA);
  }
  // What the edits show now is what a save compares with.
  GroupDialogState& state = GroupStateOf(dialog);
  GetDlgItemTextA(dialog, IDC_GROUP_NAME, state.initialName, sizeof state.initialName);
  GetDlgItemTextA(dialog, IDC_KEYWORD, state.initialKeyword, sizeof state.initialKeyword);
  FreeBuffer(values);
  return true;
}

// Reads the book and, for a stored group, its members and fields, then fills the lists. False when a
// read fails: the dialog then shows what it has.
bool LoadLists(HWND dialog, EntryDialogParams* params, char* text) {
  GroupDialogState& state = GroupStateOf(dialog);
  if (!ReadContainerRows(params->session, 0, nullptr, 0, &state.rows, &params->failure)) return false;
  LPSRowSet memberRows = nullptr;
  if (IsEditing(params)) {
    if (!ReadContainerRows(params->session, *params->entryIdSize, *params->entryId, 0, &memberRows, &params->failure))
      return false;
    if (!LoadGroupFields(dialog, params, text)) {
      FreeRowSet(memberRows);
      return false;
    }
  }
  HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  if (!FillLists(dialog, memberRows, EditedGroupId(params))) {
    // Lists filled only in part would let OK write part of the group: the dialog shows empty lists, as
    // when the book cannot be read, and OK refuses a group without members.
    ClearAvailableList(list);
    ClearMemberList(GetDlgItem(dialog, IDC_MEMBER_LIST));
    FreeMembers(&state.initial);
    FreeMembers(&state.current);
    FreeRowSet(memberRows);
    return false;
  }
  if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0) {
    LVITEMA focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
  }
  SortAvailableList(dialog);
  FreeRowSet(memberRows);
  return true;
}

void EndGroupDialog(HWND dialog, INT_PTR result);

BOOL InitGroupDialog(HWND dialog, GroupDialog* record) {
  // OK, Cancel and Help all need the record, whatever else fails here.
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
  EntryDialogParams* params = record->params;
  KeptSortOrder(&record->state.sortColumn, &record->state.sortDescending);
  char* text = static_cast<char*>(HeapAllocate(kTextSize));
  if (!text) return FALSE;
  CheckDlgButton(dialog, IDC_SHOW_PERSONS, BST_CHECKED);
  CheckDlgButton(dialog, IDC_SHOW_GROUPS, BST_CHECKED);
  HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  InsertColumns(list, params->instance, text);
  AttachImages(list, params->instance, record->state);
  bool loaded = LoadLists(dialog, params, text);
  HeapFree(text);
  // A stored group that cannot be read is not shown as an empty one: the dialog ends and Details
  // reports why.
  if (!loaded && IsEditing(params) && FAILED(params->failure)) {
    EndGroupDialog(dialog, IDCANCEL);
    return TRUE;
  }
  if (!loaded) return TRUE;
  SendDlgItemMessageA(dialog, IDC_GROUP_NAME, EM_LIMITTEXT, kNameLimit, 0);
  SendDlgItemMessageA(dialog, IDC_KEYWORD, EM_LIMITTEXT, kKeywordLimit, 0);
  SetWindowLongPtrA(dialog, GWL_EXSTYLE, GetWindowLongPtrA(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  return TRUE;
}

void EndGroupDialog(HWND dialog, INT_PTR result) {
  HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
  ClearAvailableList(list);
  ClearMemberList(GetDlgItem(dialog, IDC_MEMBER_LIST));
  // The list view would destroy its image list again when it goes: take it back first.
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  GroupDialogState& state = GroupStateOf(dialog);
  if (state.images) ImageList_Destroy(state.images);
  FreeMembers(&state.initial);
  FreeMembers(&state.current);
  FreeRowSet(state.rows);
  state = GroupDialogState();
  // The dialog takes no command after this.
  SetWindowLongPtrA(dialog, DWLP_USER, 0);
  EndDialog(dialog, result);
}

void OnCommand(HWND dialog, EntryDialogParams* params, int id) {
  switch (id) {
  case IDOK:
    if (SaveGroup(dialog, params)) EndGroupDialog(dialog, IDOK);
    break;
  case IDCANCEL:
    EndGroupDialog(dialog, IDCANCEL);
    break;
  case IDC_SHOW_PERSONS:
  case IDC_SHOW_GROUPS:
    RefillAvailableList(dialog, id, EditedGroupId(params));
    break;
  case IDC_ADD_TO_GROUP:
    AddToGroup(dialog, params);
    break;
  case IDC_REMOVE_FROM_GROUP:
    RemoveFromGroup(dialog, params);
    break;
  case IDC_GROUP_HELP:
    ShowDialogHelp(dialog, params->instance, WM_COMMAND, IDC_GROUP_HELP, 0, GroupHelpIds);
    break;
  default:
    break;
  }
}

INT_PTR CALLBACK GroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return InitGroupDialog(dialog, reinterpret_cast<GroupDialog*>(lParam));
  case WM_COMMAND:
    if (GroupDialog* record = GroupDialogOf(dialog)) OnCommand(dialog, record->params, LOWORD(wParam));
    return FALSE;
  case WM_NOTIFY: {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_AVAILABLE_LIST && header->code == static_cast<UINT>(LVN_COLUMNCLICK) &&
        GroupDialogOf(dialog))
      OnColumnClick(dialog, reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    return FALSE;
  }
  case WM_HELP:
  case WM_CONTEXTMENU: {
    GroupDialog* record = GroupDialogOf(dialog);
    if (!record) return FALSE;
    return ShowDialogHelp(dialog, record->params->instance, message, wParam, lParam, GroupHelpIds);
  }
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR ShowGroupDialog(HWND owner, EntryDialogParams* params) {
  if (!params || !params->session) return -1;
  // The dialog's own record lives as long as the modal loop.
  GroupDialog record{params, GroupDialogState()};
  return DialogBoxParamA(params->instance, MAKEINTRESOURCEA(IDD_GROUP), owner, GroupDialogProc,
                         reinterpret_cast<LPARAM>(&record));
}

} // namespace abk
