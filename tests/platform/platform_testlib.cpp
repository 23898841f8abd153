// Tiny module the platform test loads by its Windows name to exercise LoadLibraryA and the driver folder rule.
#include <windows.h>
#include <winspool.h>

extern "C" ABK_EXPORT int AbkTestLibAnswer() { return 42; }

// Asks for the driver folder from inside this module, like the provider does.
// The result is used after the call on purpose: a tail call would make the
// test program, not this module, the caller.
extern "C" ABK_EXPORT DWORD AbkTestLibDriverDirectory(char* buffer, DWORD size) {
  DWORD needed = 0;
  BOOL ok = GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), size, &needed);
  return ok ? needed : 0;
}
