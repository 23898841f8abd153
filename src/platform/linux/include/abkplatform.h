// Test knobs of libabkwin.so: fake the Windows version and the printer driver folder.
#ifndef ABKPLATFORM_H
#define ABKPLATFORM_H

#include <windows.h>

// What GetVersionExA/GetVersion report from now on (all threads).
// The default mimics Windows 7 SP1: VER_PLATFORM_WIN32_NT, 6.1, build 7601.
ABK_EXTERN_C void AbkPlatformSetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);
ABK_EXTERN_C void AbkPlatformResetVersion(void);

// Folder GetPrinterDriverDirectoryA reports; null goes back to the default
// rule (ABK_PRINTER_DRIVER_DIR, else the calling module's folder).
ABK_EXTERN_C void AbkPlatformSetPrinterDriverDirectory(const char* dirOrNull);

#endif // ABKPLATFORM_H
