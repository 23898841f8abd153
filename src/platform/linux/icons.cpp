// LoadIconA and the icon sizes of GetSystemMetrics: an icon handle names the module's icon group resource.
#include <windows.h>

namespace {

// Stands for the system's icons (IDI_APPLICATION and the others, 32512 to 32518).
char g_systemIcon;

} // namespace

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
  if (nIndex == SM_CXICON || nIndex == SM_CYICON) return 32;
  if (nIndex == SM_CXSMICON || nIndex == SM_CYSMICON) return 16;
  return 0;
}

extern "C" HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (!hInstance) {
    ULONG_PTR id = reinterpret_cast<ULONG_PTR>(lpIconName);
    bool system = IS_INTRESOURCE(lpIconName) && id >= 32512 && id <= 32518;
    return system ? reinterpret_cast<HICON>(&g_systemIcon) : nullptr;
  }
  HRSRC found = FindResourceA(hInstance, lpIconName, RT_GROUP_ICON);
  if (!found) return nullptr;
  // The group's bytes live as long as the process: their address is a stable, distinct handle.
  return reinterpret_cast<HICON>(LockResource(LoadResource(hInstance, found)));
}
