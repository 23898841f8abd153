// Linux stand-in for <winspool.h>: only the printer-driver-directory query the provider needs.
#ifndef _WINSPOOL_
#define _WINSPOOL_

#include <windows.h>

// Level must be 1. The answer is a folder without trailing slash: by default
// the folder of the shared object that makes the call (so a store library is
// looked up beside the provider); ABK_PRINTER_DRIVER_DIR in the environment
// or AbkPlatformSetPrinterDriverDirectory override it. pName and
// pEnvironment are ignored.
ABK_EXTERN_C BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                                    LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded);

#define GetPrinterDriverDirectory GetPrinterDriverDirectoryA

#endif // _WINSPOOL_
