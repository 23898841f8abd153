// The generic window calls: dialog items, window text, window longs, enabled and visible state.
#include "window.h"

#include <algorithm>
#include <cstring>

namespace abkwin {
namespace {

bool IsDialog(Window* window) { return window && window->kind == WindowKind::Dialog; }

} // namespace
} // namespace abkwin

using namespace abkwin;

extern "C" HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  Window* dialog = FromHandle(hDlg);
  if (!dialog) return nullptr;
  for (Window* child : dialog->children) {
    if (child->id == nIDDlgItem) return ToHandle(child);
  }
  return nullptr;
}

extern "C" int WINAPI GetDlgCtrlID(HWND hWnd) {
  Window* window = FromHandle(hWnd);
  return window ? window->id : 0;
}

extern "C" HWND WINAPI GetParent(HWND hWnd) {
  Window* window = FromHandle(hWnd);
  return window ? ToHandle(window->parent) : nullptr;
}

extern "C" LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) return 0;
  return SendMessageA(item, Msg, wParam, lParam);
}

extern "C" BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!FromHandle(hWnd)) return FALSE;
  return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

extern "C" int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (lpString && nMaxCount > 0) lpString[0] = '\0';
  if (!FromHandle(hWnd) || nMaxCount <= 0) return 0;
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, nMaxCount, reinterpret_cast<LPARAM>(lpString)));
}

extern "C" int WINAPI GetWindowTextLengthA(HWND hWnd) {
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

extern "C" BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) return FALSE;
  return SetWindowTextA(item, lpString);
}

extern "C" UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) {
    if (lpString && cchMax > 0) lpString[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

extern "C" LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  Window* window = FromHandle(hWnd);
  if (!window) return 0;
  if (nIndex == GWL_STYLE) return static_cast<LONG_PTR>(window->style);
  if (nIndex == GWL_EXSTYLE) return static_cast<LONG_PTR>(window->exStyle);
  if (nIndex == GWLP_ID) return window->id;
  if (nIndex == GWLP_USERDATA) return window->userData;
  if (nIndex < 0 || !IsDialog(window)) return 0;
  auto found = window->dialogLongs.find(nIndex);
  return found == window->dialogLongs.end() ? 0 : found->second;
}

extern "C" LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  Window* window = FromHandle(hWnd);
  if (!window) return 0;
  LONG_PTR previous = GetWindowLongPtrA(hWnd, nIndex);
  if (nIndex == GWL_STYLE) {
    window->style = static_cast<DWORD>(dwNewLong);
  } else if (nIndex == GWL_EXSTYLE) {
    window->exStyle = static_cast<DWORD>(dwNewLong);
  } else if (nIndex == GWLP_ID) {
    window->id = static_cast<int>(dwNewLong);
  } else if (nIndex == GWLP_USERDATA) {
    window->userData = dwNewLong;
  } else if (nIndex >= 0 && IsDialog(window)) {
    window->dialogLongs[nIndex] = dwNewLong;
  } else {
    return 0;
  }
  return previous;
}

extern "C" LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

extern "C" LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  LONG_PTR value = dwNewLong;
  if (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE) value = static_cast<LONG_PTR>(static_cast<DWORD>(dwNewLong));
  return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, value));
}

extern "C" BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) { return FromHandle(hWnd) ? TRUE : FALSE; }

extern "C" BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* window = FromHandle(hWnd);
  if (!window) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (bEnable) {
    window->style &= ~static_cast<DWORD>(WS_DISABLED);
  } else {
    window->style |= WS_DISABLED;
    if (GetFocus() == hWnd) SetFocus(nullptr);
  }
  return wasDisabled;
}

extern "C" BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = FromHandle(hWnd);
  return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Window* window = FromHandle(hWnd);
  if (!window) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  if (nCmdShow == SW_HIDE) {
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  } else {
    window->style |= WS_VISIBLE;
  }
  return wasVisible;
}

extern "C" int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  Window* window = FromHandle(hWnd);
  if (!window || !lpClassName || nMaxCount <= 0) return 0;
  size_t length = std::min(window->className.size(), static_cast<size_t>(nMaxCount - 1));
  memcpy(lpClassName, window->className.data(), length);
  lpClassName[length] = '\0';
  return static_cast<int>(length);
}

extern "C" BOOL WINAPI IsWindowVisible(HWND hWnd) {
  // Visible when it and every parent up to its dialog have WS_VISIBLE, as Windows answers.
  Window* window = FromHandle(hWnd);
  if (!window) return FALSE;
  for (; window; window = window->kind == WindowKind::Dialog ? nullptr : window->parent) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
  }
  return TRUE;
}

extern "C" BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  if (!button) return FALSE;
  SendMessageA(button, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

extern "C" UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}
