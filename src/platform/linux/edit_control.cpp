// The edit control: text, text limit and selection; WM_SETTEXT notifies EN_CHANGE as Windows does.
#include "window.h"

#include <algorithm>

namespace abkwin {

namespace {

// EM_LIMITTEXT with 0 (and the limit of a single-line edit on Windows) is this many characters.
constexpr size_t kLargestLimit = 0x7FFFFFFE;

void SetSelection(Window* edit, LONG_PTR start, LONG_PTR end) {
  LONG_PTR length = static_cast<LONG_PTR>(edit->text.size());
  if (start < 0) {
    // A start of -1 removes the selection, leaving the caret where the selection ended.
    edit->selStart = edit->selEnd;
    return;
  }
  if (end < 0 || end > length) end = length;
  start = std::min(start, length);
  edit->selStart = static_cast<DWORD>(std::min(start, end));
  edit->selEnd = static_cast<DWORD>(std::max(start, end));
}

// Replaces the selection as typing or pasting does: the inserted text is cut so the whole stays within
// the limit, the caret follows it, and the parent hears EN_CHANGE when the text changed.
void ReplaceSelection(Window* edit, const char* text) {
  std::string inserted = text ? text : "";
  size_t kept = edit->text.size() - (edit->selEnd - edit->selStart);
  size_t room = edit->limit > kept ? edit->limit - kept : 0;
  if (inserted.size() > room) inserted.resize(room);
  std::string before = edit->text;
  edit->text.replace(edit->selStart, edit->selEnd - edit->selStart, inserted);
  edit->selStart = edit->selEnd = static_cast<DWORD>(edit->selStart + inserted.size());
  if (edit->text != before) NotifyParent(edit, EN_CHANGE);
}

} // namespace

LRESULT EditMessage(Window* edit, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SETTEXT:
    // The whole text is kept even past the limit: the limit binds typing only.
    DefaultTextMessage(edit, message, wParam, lParam);
    edit->selStart = edit->selEnd = 0;
    NotifyParent(edit, EN_CHANGE);
    return TRUE;
  case EM_LIMITTEXT:
    edit->limit = wParam ? static_cast<size_t>(wParam) : kLargestLimit;
    return 0;
  case EM_GETLIMITTEXT:
    return static_cast<LRESULT>(edit->limit);
  case EM_SETSEL:
    SetSelection(edit, static_cast<LONG_PTR>(wParam), lParam);
    return 0;
  case EM_GETSEL:
    if (wParam) *reinterpret_cast<DWORD*>(wParam) = edit->selStart;
    if (lParam) *reinterpret_cast<DWORD*>(lParam) = edit->selEnd;
    if (edit->selStart > 0xFFFF || edit->selEnd > 0xFFFF) return -1;
    return MAKELRESULT(edit->selStart, edit->selEnd);
  case EM_REPLACESEL:
    ReplaceSelection(edit, reinterpret_cast<const char*>(lParam));
    return 0;
  case EM_CHARFROMPOS: {
    // Every character is kCaretCharWidth pixels wide on the one line; the line index (high word) is 0.
    LONG x = static_cast<SHORT>(LOWORD(lParam));
    size_t index = x <= 0 ? 0 : static_cast<size_t>(x) / kCaretCharWidth;
    return static_cast<LRESULT>(std::min(index, edit->text.size()));
  }
  default:
    return DefaultTextMessage(edit, message, wParam, lParam);
  }
}

} // namespace abkwin
