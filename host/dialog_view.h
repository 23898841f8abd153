// One open dialog as the dialog driver sees it. Every operation goes through window messages, so the same
// scenario runs on the headless Linux layer and on real Win32 controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

class DialogView {
public:
  explicit DialogView(HWND dialog) : dialog_(dialog) {}

  HWND Handle() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  bool IsOpen() const; // not yet ended
  std::string Caption() const;
  std::string Text(int id) const;
  bool IsChecked(int id) const;
  bool IsEnabled(int id) const;
  int FocusedId() const; // 0 when the focus is outside the dialog
  // An edit's selection, as EM_GETSEL reports it.
  void Selection(int id, DWORD* start, DWORD* end) const;

  // What the user does.
  void Type(int id, const std::string& text); // replaces the text as typing would, limit included
  void Click(int id);
  void SetCheck(int id, bool checked);                       // clicks the box when its state differs
  void SelectItem(int id, int index);                        // list box, combo box or list view: the only selected item
  void SelectItems(int id, const std::vector<int>& indexes); // multiple-selection list box or list view
  void ClickColumn(int listViewId, int column);              // a click on a list view's column header
  void PressF1(int id);                                      // WM_HELP for the control
  void ContextHelp(int id);                                  // WM_CONTEXTMENU on the control

  // What the user sees in a list box, a combo box's list or a list view's first column.
  std::vector<std::string> Items(int id) const;
  // Every cell of a report-mode list view, row by row.
  std::vector<std::vector<std::string>> Rows(int listViewId) const;
  std::vector<int> SelectedItems(int id) const;

  // Saves what the screen shows of the dialog as a 24-bit BMP file. Answers an empty text when the
  // picture shows the dialog with its caption, else what is wrong: no screen (the headless layer), a
  // blank picture, no caption, a file that cannot be written.
  std::string SaveScreenshot(const std::string& bmpPath) const;
  LPARAM ItemData(int id, int index) const;

private:
  std::string ClassOf(int id) const;
  HWND dialog_;
};

} // namespace host
