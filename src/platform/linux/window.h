// The headless window object behind every HWND of the user-interface layer, and the control procedures.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#pragma GCC visibility push(hidden)

namespace abkwin {

enum class WindowKind { Dialog, Edit, Static, Button, ListBox, ComboBox, ListView, Other };

struct ListItem {
  std::string text;
  LPARAM data = 0;
  bool selected = false;
};

// A list view column and row: texts[0] is the item's label, texts[n] its sub-item n.
struct ListViewColumn {
  std::string text;
  int width = 0;
  int format = LVCFMT_LEFT;
  int subItem = 0;
};

struct ListViewItem {
  std::vector<std::string> texts;
  LPARAM data = 0;
  int image = 0;
  UINT state = 0;
};

struct Window {
  WindowKind kind = WindowKind::Other;
  std::string className;
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text; // window text; for a combo box the text of its edit part
  Window* parent = nullptr;
  std::vector<Window*> children;
  // Dialogs.
  DLGPROC dialogProc = nullptr;
  std::map<int, LONG_PTR> dialogLongs; // DWLP_MSGRESULT, DWL_USER, DWLP_USER... by offset
  bool ended = false;
  INT_PTR result = 0;
  // Edits and the edit part of combo boxes.
  size_t limit = 30000;
  DWORD selStart = 0, selEnd = 0;
  // Buttons.
  UINT check = BST_UNCHECKED;
  // List and combo boxes.
  std::vector<ListItem> items;
  int caret = -1;   // list box: the focus item
  int current = -1; // combo box: the selected item
  // List views.
  std::vector<ListViewColumn> columns;
  std::vector<ListViewItem> rows;
  HIMAGELIST imageLists[LVSIL_GROUPHEADER + 1] = {};
  DWORD listViewExStyle = 0;
  LONG_PTR userData = 0;
};

// The headless edit draws every character this many pixels wide: the caret of an edit stands at
// selEnd * kCaretCharWidth (GetCaretPos), and EM_CHARFROMPOS answers the other way round.
constexpr size_t kCaretCharWidth = 8;

HWND ToHandle(Window* window);
// The live window behind a handle, null when the handle names none.
Window* FromHandle(HWND handle);
Window* CreateWindowObject(WindowKind kind, Window* parent);
void DestroyWindowObject(Window* window);
WindowKind KindOfClass(const std::string& upperClassName);

// Sends WM_COMMAND(MAKEWPARAM(id, code), control) to the control's parent.
void NotifyParent(Window* control, WORD code);
// WM_SETTEXT/WM_GETTEXT/WM_GETTEXTLENGTH on window->text.
LRESULT DefaultTextMessage(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT DialogMessage(Window* dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditMessage(Window* edit, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ButtonMessage(Window* button, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxMessage(Window* list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxMessage(Window* combo, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListViewMessage(Window* view, UINT message, WPARAM wParam, LPARAM lParam);
// A list view about to be destroyed deletes its items, telling the parent, and destroys its image lists
// unless it has LVS_SHAREIMAGELISTS.
void ReleaseListView(Window* view);

// Sorted insertion point: after every item that compares (without case) less than or equal to text.
int SortedPosition(const std::vector<ListItem>& items, const char* text);
// The first item after start (wrapping round) whose text equals text without case; -1 when none.
int FindExact(const std::vector<ListItem>& items, int start, const char* text);

} // namespace abkwin

#pragma GCC visibility pop
