// Keyboard focus: one focused window per process, with the focus messages and edit notifications.
#include "window.h"

namespace abkwin {
namespace {

HWND g_focus = nullptr;

} // namespace
} // namespace abkwin

using namespace abkwin;

extern "C" HWND WINAPI GetFocus(void) {
  if (!FromHandle(g_focus)) g_focus = nullptr;
  return g_focus;
}

extern "C" HWND WINAPI SetFocus(HWND hWnd) {
  HWND previous = GetFocus();
  if (hWnd && !FromHandle(hWnd)) return nullptr;
  if (hWnd == previous) return previous;
  if (Window* losing = FromHandle(previous)) {
    SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    if (losing->kind == WindowKind::Edit) NotifyParent(losing, EN_KILLFOCUS);
  }
  g_focus = hWnd;
  if (Window* gaining = FromHandle(hWnd)) {
    SendMessageA(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    if (gaining->kind == WindowKind::Edit) NotifyParent(gaining, EN_SETFOCUS);
  }
  return previous;
}

extern "C" BOOL WINAPI GetCaretPos(LPPOINT lpPoint) {
  Window* edit = FromHandle(GetFocus());
  if (!lpPoint || !edit || edit->kind != WindowKind::Edit) return FALSE;
  lpPoint->x = static_cast<LONG>(edit->selEnd * kCaretCharWidth);
  lpPoint->y = 0;
  return TRUE;
}
