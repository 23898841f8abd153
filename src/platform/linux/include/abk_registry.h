// The few registry calls the provider and its tests make. On Linux the current user's hive is a small
// settings file: $ABK_REGISTRY_FILE, else $XDG_CONFIG_HOME/abk/registry, else ~/.config/abk/registry.
#ifndef ABK_REGISTRY_H
#define ABK_REGISTRY_H

#include "abk_winerror.h"
#include "abk_wintypes.h"

typedef LONG LSTATUS;
typedef DWORD REGSAM;

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

ABK_EXTERN_C LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                                          HKEY* phkResult);
ABK_EXTERN_C LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                                            REGSAM samDesired, void* lpSecurityAttributes, HKEY* phkResult,
                                            LPDWORD lpdwDisposition);
ABK_EXTERN_C LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                             LPBYTE lpData, LPDWORD lpcbData);
ABK_EXTERN_C LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                                           const BYTE* lpData, DWORD cbData);
ABK_EXTERN_C LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
ABK_EXTERN_C LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
ABK_EXTERN_C LSTATUS WINAPI RegCloseKey(HKEY hKey);

#define RegOpenKeyEx RegOpenKeyExA
#define RegCreateKeyEx RegCreateKeyExA
#define RegQueryValueEx RegQueryValueExA
#define RegSetValueEx RegSetValueExA
#define RegDeleteValue RegDeleteValueA
#define RegDeleteKey RegDeleteKeyA

#endif // ABK_REGISTRY_H
