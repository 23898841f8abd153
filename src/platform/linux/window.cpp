// The live set of headless windows: handles, creation, destruction and message dispatch by class.
#include "window.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace abkwin {

namespace {

// Windows belong to the thread that runs the dialogs, as on Windows; the set is not locked.
std::set<Window*>& LiveWindows() {
  static std::set<Window*> live;
  return live;
}

} // namespace

HWND ToHandle(Window* window) { return reinterpret_cast<HWND>(window); }

Window* FromHandle(HWND handle) {
  auto* window = reinterpret_cast<Window*>(handle);
  if (!window || !LiveWindows().count(window)) return nullptr;
  return window;
}

Window* CreateWindowObject(WindowKind kind, Window* parent) {
  auto* window = new Window;
  window->kind = kind;
  window->parent = parent;
  if (parent) parent->children.push_back(window);
  LiveWindows().insert(window);
  return window;
}

void DestroyWindowObject(Window* window) {
  if (!window || !LiveWindows().count(window)) return;
  if (window->kind == WindowKind::ListView) ReleaseListView(window);
  for (Window* child : std::vector<Window*>(window->children))
    DestroyWindowObject(child);
  if (window->parent) {
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  }
  LiveWindows().erase(window);
  delete window;
}

WindowKind KindOfClass(const std::string& upperClassName) {
  if (upperClassName == "EDIT") return WindowKind::Edit;
  if (upperClassName == "STATIC") return WindowKind::Static;
  if (upperClassName == "BUTTON") return WindowKind::Button;
  if (upperClassName == "LISTBOX") return WindowKind::ListBox;
  if (upperClassName == "COMBOBOX") return WindowKind::ComboBox;
  if (upperClassName == "SYSLISTVIEW32") return WindowKind::ListView;
  return WindowKind::Other;
}

void NotifyParent(Window* control, WORD code) {
  if (!control->parent) return;
  SendMessageA(ToHandle(control->parent), WM_COMMAND, MAKEWPARAM(control->id, code),
               reinterpret_cast<LPARAM>(ToHandle(control)));
}

LRESULT DefaultTextMessage(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    const char* text = reinterpret_cast<const char*>(lParam);
    window->text = text ? text : "";
    return TRUE;
  }
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(window->text.size());
  if (message != WM_GETTEXT) return 0;
  char* buffer = reinterpret_cast<char*>(lParam);
  if (!buffer || wParam == 0) return 0;
  size_t copied = std::min(window->text.size(), static_cast<size_t>(wParam) - 1);
  memcpy(buffer, window->text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied);
}

} // namespace abkwin

using namespace abkwin;

extern "C" LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = FromHandle(hWnd);
  if (!window) return 0;
  switch (window->kind) {
  case WindowKind::Dialog:
    return DialogMessage(window, Msg, wParam, lParam);
  case WindowKind::Edit:
    return EditMessage(window, Msg, wParam, lParam);
  case WindowKind::Button:
    return ButtonMessage(window, Msg, wParam, lParam);
  case WindowKind::ListBox:
    return ListBoxMessage(window, Msg, wParam, lParam);
  case WindowKind::ComboBox:
    return ComboBoxMessage(window, Msg, wParam, lParam);
  case WindowKind::ListView:
    return ListViewMessage(window, Msg, wParam, lParam);
  default:
    return DefaultTextMessage(window, Msg, wParam, lParam);
  }
}

extern "C" BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!FromHandle(hWnd)) return FALSE;
  SendMessageA(hWnd, Msg, wParam, lParam);
  return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND hWnd) { return FromHandle(hWnd) ? TRUE : FALSE; }
