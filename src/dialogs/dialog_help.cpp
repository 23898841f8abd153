// Context help for the dialogs: the help file path from the registry and the WinHelp requests.
#include "dialogs/dialog_common.h"
#include "provider/heap.h"
#include "resources/resource.h"

namespace abk {

namespace {

constexpr int kNameBufferSize = 256;
constexpr DWORD kPathBufferSize = 260;

// Loads a string into a new heap block; null when the block cannot be had or the string is missing.
char* LoadHeapString(HINSTANCE instance, UINT id) {
  char* text = static_cast<char*>(HeapAllocate(kNameBufferSize));
  if (text && LoadStringA(instance, id, text, kNameBufferSize) > 0) return text;
  HeapFree(text);
  return nullptr;
}

char* ReadPathValue(HKEY key, const char* valueName) {
  char* path = static_cast<char*>(HeapAllocate(kPathBufferSize));
  if (!path) return nullptr;
  DWORD size = kPathBufferSize;
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(path), &size) != ERROR_SUCCESS) {
    HeapFree(path);
    return nullptr;
  }
  // A value stored without its terminator still reads as a string.
  if (size >= kPathBufferSize) size = kPathBufferSize - 1;
  path[size] = '\0';
  return path;
}

} // namespace

char* GetHelpFilePath(HINSTANCE instance) {
  char* subkey = LoadHeapString(instance, IDS_HELP_REGISTRY_KEY);
  char* valueName = subkey ? LoadHeapString(instance, IDS_HELP_REGISTRY_VALUE) : nullptr;
  char* path = nullptr;
  HKEY key = nullptr;
  if (valueName && RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    path = ReadPathValue(key, valueName);
    RegCloseKey(key);
  }
  HeapFree(valueName);
  HeapFree(subkey);
  return path;
}

BOOL ShowDialogHelp(HWND dialog, HINSTANCE instance, UINT message, WPARAM wParam, LPARAM lParam, const DWORD* helpMap) {
  char* path = GetHelpFilePath(instance);
  ULONG_PTR map = reinterpret_cast<ULONG_PTR>(helpMap);
  if (message == WM_HELP && lParam) {
    HWND item = static_cast<HWND>(reinterpret_cast<LPHELPINFO>(lParam)->hItemHandle);
    WinHelpA(item, path, HELP_WM_HELP, map);
  } else if (message == WM_CONTEXTMENU) {
    WinHelpA(reinterpret_cast<HWND>(wParam), path, HELP_CONTEXTMENU, map);
  } else {
    WinHelpA(dialog, path, HELP_FINDER, 0);
  }
  HeapFree(path);
  return TRUE;
}

} // namespace abk
