// Instantiates the MAPI interface identifiers that the project compares against. Linux's stand-in headers
// define them inline; mingw's headers define them only in a unit that asks for each one.
#ifdef _WIN32
#include <windows.h>
#define INITGUID
#define USES_IID_IMAPIProp
#define USES_IID_IMAPIPropData
#define USES_IID_IMAPIContainer
#define USES_IID_IABContainer
#define USES_IID_IDistList
#define USES_IID_IMailUser
#define USES_IID_IAddrBook
#define USES_IID_IMAPITable
#define USES_IID_IMAPITableData
#define USES_IID_IMAPIAdviseSink
#define USES_IID_IMAPIProgress
#define USES_IID_IProfSect
#define USES_IID_IMAPIStatus
#include <initguid.h>
#include <mapiguid.h>
#endif
