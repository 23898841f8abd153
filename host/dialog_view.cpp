// Reading and operating a dialog's controls through window messages, as the user would.
#include "host/dialog_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

namespace host {

namespace {

constexpr int kTextRoom = 4096;

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsMultipleSelection(HWND list) {
  LONG style = GetWindowLongA(list, GWL_STYLE);
  return (style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0;
}

void Notify(HWND dialog, int id, HWND control, WORD code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

std::string ListViewCell(HWND list, int item, int column) {
  char text[kTextRoom] = "";
  LVITEMA cell = {};
  cell.iSubItem = column;
  cell.pszText = text;
  cell.cchTextMax = kTextRoom;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
  return text;
}

int ListViewColumns(HWND list) {
  int count = 0;
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  while (SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column)))
    ++count;
  return count;
}

void SetListViewSelection(HWND list, const std::vector<int>& indexes) {
  LVITEMA clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  for (size_t i = 0; i < indexes.size(); ++i) {
    LVITEMA select = {};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(indexes[i]), reinterpret_cast<LPARAM>(&select));
  }
}

} // namespace

std::string DialogView::ClassOf(int id) const {
  char name[64] = "";
  GetClassNameA(Control(id), name, sizeof name);
  return Upper(name);
}

bool DialogView::IsOpen() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }

std::string DialogView::Caption() const {
  char text[kTextRoom] = "";
  GetWindowTextA(dialog_, text, kTextRoom);
  return text;
}

std::string DialogView::Text(int id) const {
  char text[kTextRoom] = "";
  GetDlgItemTextA(dialog_, id, text, kTextRoom);
  return text;
}

bool DialogView::IsChecked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

bool DialogView::IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

int DialogView::FocusedId() const {
  HWND focus = GetFocus();
  if (!focus) return 0;
  // The edit part of a combo box stands for the combo box.
  if (GetParent(focus) != dialog_ && GetParent(GetParent(focus)) == dialog_) focus = GetParent(focus);
  return GetParent(focus) == dialog_ ? GetDlgCtrlID(focus) : 0;
}

void DialogView::Selection(int id, DWORD* start, DWORD* end) const {
  SendMessageA(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(end));
}

void DialogView::Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

void DialogView::SetCheck(int id, bool checked) {
  if (IsChecked(id) != checked) Click(id);
}

void DialogView::SelectItem(int id, int index) { SelectItems(id, {index}); }

void DialogView::SelectItems(int id, const std::vector<int>& indexes) {
  HWND control = Control(id);
  std::string kind = ClassOf(id);
  if (kind == "SYSLISTVIEW32") return SetListViewSelection(control, indexes);
  if (kind == "COMBOBOX") {
    SendMessageA(control, CB_SETCURSEL, indexes.empty() ? static_cast<WPARAM>(-1) : indexes[0], 0);
    return Notify(dialog_, id, control, CBN_SELCHANGE);
  }
  if (IsMultipleSelection(control)) {
    SendMessageA(control, LB_SETSEL, FALSE, -1);
    for (int index : indexes)
      SendMessageA(control, LB_SETSEL, TRUE, index);
  } else {
    SendMessageA(control, LB_SETCURSEL, indexes.empty() ? static_cast<WPARAM>(-1) : indexes[0], 0);
  }
  if (GetWindowLongA(control, GWL_STYLE) & LBS_NOTIFY) Notify(dialog_, id, control, LBN_SELCHANGE);
}

void DialogView::ClickColumn(int listViewId, int column) {
  NMLISTVIEW click = {};
  click.hdr.hwndFrom = Control(listViewId);
  click.hdr.idFrom = static_cast<UINT_PTR>(listViewId);
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(dialog_, WM_NOTIFY, static_cast<WPARAM>(listViewId), reinterpret_cast<LPARAM>(&click));
}

void DialogView::PressF1(int id) {
  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_WINDOW;
  help.iCtrlId = id;
  help.hItemHandle = Control(id);
  SendMessageA(dialog_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
}

void DialogView::ContextHelp(int id) {
  SendMessageA(dialog_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(id)), MAKELPARAM(-1, -1));
}

std::vector<std::string> DialogView::Items(int id) const {
  std::vector<std::string> items;
  HWND control = Control(id);
  std::string kind = ClassOf(id);
  if (kind == "SYSLISTVIEW32") {
    for (const auto& row : Rows(id))
      items.push_back(row.empty() ? std::string() : row[0]);
    return items;
  }
  bool combo = kind == "COMBOBOX";
  LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[kTextRoom] = "";
    SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

std::vector<std::vector<std::string>> DialogView::Rows(int listViewId) const {
  std::vector<std::vector<std::string>> rows;
  HWND list = Control(listViewId);
  int columns = std::max(1, ListViewColumns(list));
  LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT item = 0; item < count; ++item) {
    std::vector<std::string> row;
    for (int column = 0; column < columns; ++column)
      row.push_back(ListViewCell(list, static_cast<int>(item), column));
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> DialogView::SelectedItems(int id) const {
  std::vector<int> selected;
  HWND control = Control(id);
  std::string kind = ClassOf(id);
  if (kind == "SYSLISTVIEW32") {
    LRESULT at = -1;
    while ((at = SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(at), LVNI_SELECTED)) != -1)
      selected.push_back(static_cast<int>(at));
    return selected;
  }
  if (kind == "COMBOBOX") {
    LRESULT current = SendMessageA(control, CB_GETCURSEL, 0, 0);
    if (current != CB_ERR) selected.push_back(static_cast<int>(current));
    return selected;
  }
  LRESULT count = SendMessageA(control, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageA(control, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) selected.push_back(static_cast<int>(i));
  }
  return selected;
}

LPARAM DialogView::ItemData(int id, int index) const {
  HWND control = Control(id);
  std::string kind = ClassOf(id);
  if (kind == "SYSLISTVIEW32") {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    SendMessageA(control, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
  }
  return SendMessageA(control, kind == "COMBOBOX" ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

} // namespace host
