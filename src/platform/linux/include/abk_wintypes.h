// Win32 base types with their Windows widths, so shared provider code sees the same sizes on Linux.
#ifndef ABK_WINTYPES_H
#define ABK_WINTYPES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

// ---------------------------------------------------------------------------
// Calling conventions and declaration decorations: meaningless on x86_64 Linux.
// ---------------------------------------------------------------------------
#ifndef __stdcall
#define __stdcall
#endif
#ifndef __cdecl
#define __cdecl
#endif
#define WINAPI
#define WINAPIV
#define APIENTRY
#define CALLBACK
#define PASCAL
#define STDMETHODCALLTYPE
#define STDMETHODVCALLTYPE
#define STDAPICALLTYPE
#define STDAPIVCALLTYPE
#define FAR
#define NEAR
#define CONST const
#define DECLSPEC_SELECTANY
#define DECLSPEC_NOVTABLE
#define EXTERN_C extern "C"

// Functions our libraries export with C linkage. Default visibility on the
// declaration keeps them importable even from code built with -fvisibility=hidden.
#define ABK_EXPORT __attribute__((visibility("default")))
#define ABK_EXTERN_C extern "C" ABK_EXPORT

// ---------------------------------------------------------------------------
// Integers. LONG/ULONG are 32-bit on Windows, so they must not be "long" here.
// ---------------------------------------------------------------------------
typedef void VOID;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef unsigned char BYTE;
typedef unsigned char BOOLEAN;
typedef short SHORT;
typedef unsigned short USHORT;
typedef unsigned short WORD;
typedef int INT;
typedef unsigned int UINT;
typedef int LONG;
typedef unsigned int ULONG;
typedef unsigned int DWORD;
typedef int BOOL;
typedef BOOL WINBOOL;
typedef float FLOAT;
typedef double DOUBLE;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef unsigned long long DWORDLONG;
typedef int INT32;
typedef unsigned int UINT32;
typedef long long INT64;
typedef unsigned long long UINT64;
typedef long long LONG64;
typedef unsigned long long ULONG64;
typedef unsigned long long DWORD64;

// Pointer-sized integers. Built on intptr_t so SIZE_T stays the same type as
// size_t, exactly as on Win64.
typedef std::intptr_t INT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef LONG_PTR SSIZE_T;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// ---------------------------------------------------------------------------
// Pointers to the above.
// ---------------------------------------------------------------------------
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* PBYTE;
typedef BYTE* LPBYTE;
typedef WORD* PWORD;
typedef WORD* LPWORD;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef ULONG* PULONG;
typedef ULONG* LPULONG;
typedef LONG* PLONG;
typedef LONG* LPLONG;
typedef INT* PINT;
typedef INT* LPINT;
typedef UINT* PUINT;
typedef UINT* LPUINT;
typedef BOOL* PBOOL;
typedef BOOL* LPBOOL;
typedef SHORT* PSHORT;
typedef USHORT* PUSHORT;
typedef ULONG_PTR* PULONG_PTR;
typedef SIZE_T* PSIZE_T;

// ---------------------------------------------------------------------------
// Characters and strings. This is an ANSI build: TCHAR is char. WCHAR is a
// 16-bit UTF-16 unit like on Windows, hence char16_t rather than wchar_t.
// ---------------------------------------------------------------------------
typedef char16_t WCHAR;
typedef char TCHAR;
typedef CHAR* PCHAR;
typedef CHAR* LPCH;
typedef const CHAR* LPCCH;
typedef const CHAR* PCCH;
typedef CHAR* PSTR;
typedef CHAR* LPSTR;
typedef const CHAR* PCSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* PWCHAR;
typedef WCHAR* LPWCH;
typedef const WCHAR* LPCWCH;
typedef const WCHAR* PCWCH;
typedef WCHAR* PWSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* PCWSTR;
typedef const WCHAR* LPCWSTR;
typedef TCHAR* PTSTR;
typedef TCHAR* LPTSTR;
typedef const TCHAR* PCTSTR;
typedef const TCHAR* LPCTSTR;

#define __TEXT(quote) quote
#define TEXT(quote) __TEXT(quote)

// ---------------------------------------------------------------------------
// Handles: distinct opaque pointer types so they cannot be mixed up silently.
// ---------------------------------------------------------------------------
#define DECLARE_HANDLE(name)                                                                                           \
  struct name##__ {                                                                                                    \
    int unused;                                                                                                        \
  };                                                                                                                   \
  typedef struct name##__* name

typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef HANDLE* LPHANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef void* HGDIOBJ;

DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HPEN);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HKEY);
DECLARE_HANDLE(HRSRC);
typedef HKEY* PHKEY;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

// Exported-function pointer as returned by GetProcAddress. Cast it through
// void (*)() before the real type, -Wcast-function-type complains otherwise
// (the same is true with the Windows headers).
typedef INT_PTR(WINAPI* FARPROC)();
typedef INT_PTR(WINAPI* NEARPROC)();
typedef INT_PTR(WINAPI* PROC)();

// ---------------------------------------------------------------------------
// Time and 64-bit structures.
// ---------------------------------------------------------------------------
typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

typedef union _LARGE_INTEGER {
  __extension__ struct {
    DWORD LowPart;
    LONG HighPart;
  };
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef union _ULARGE_INTEGER {
  __extension__ struct {
    DWORD LowPart;
    DWORD HighPart;
  };
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

// ---------------------------------------------------------------------------
// Status codes. SCODE and HRESULT are both 32-bit signed, so a comparison of
// an HRESULT with any E_ / MAPI_E_ constant is a plain int comparison.
// ---------------------------------------------------------------------------
typedef LONG HRESULT;
typedef LONG SCODE;
typedef SCODE* PSCODE;

// ---------------------------------------------------------------------------
// GUIDs. Same layout as the Windows struct (Data1 is 32-bit).
// ---------------------------------------------------------------------------
typedef struct _GUID {
  unsigned int Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
} GUID;

typedef GUID* LPGUID;
typedef const GUID* LPCGUID;
typedef GUID IID;
typedef IID* LPIID;
typedef GUID CLSID;
typedef CLSID* LPCLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const IID& REFCLSID;

inline int IsEqualGUID(REFGUID rguid1, REFGUID rguid2) { return !std::memcmp(&rguid1, &rguid2, sizeof(GUID)); }
inline int IsEqualIID(REFIID riid1, REFIID riid2) { return IsEqualGUID(riid1, riid2); }
inline int IsEqualCLSID(REFCLSID rclsid1, REFCLSID rclsid2) { return IsEqualGUID(rclsid1, rclsid2); }
inline bool operator==(REFGUID guidOne, REFGUID guidOther) { return IsEqualGUID(guidOne, guidOther) != 0; }

// Every GUID is an inline constant: each translation unit (and each shared
// object) gets a usable definition, so there is no INITGUID step on Linux.
// Defining INITGUID anyway changes nothing.
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)                                                   \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#define DEFINE_OLEGUID(name, l, w1, w2) DEFINE_GUID(name, l, w1, w2, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)

DEFINE_GUID(GUID_NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

// ---------------------------------------------------------------------------
// Small helpers from winnt.h / minwindef.h. No min/max macros on purpose:
// they would break std::min/std::max.
// ---------------------------------------------------------------------------
#define MAX_PATH 260

#define ZeroMemory(Destination, Length) std::memset((Destination), 0, (Length))
#define FillMemory(Destination, Length, Fill) std::memset((Destination), (Fill), (Length))
#define CopyMemory(Destination, Source, Length) std::memcpy((Destination), (Source), (Length))
#define MoveMemory(Destination, Source, Length) std::memmove((Destination), (Source), (Length))

#define MAKEWORD(a, b) ((WORD)(((BYTE)(((DWORD_PTR)(a)) & 0xff)) | ((WORD)((BYTE)(((DWORD_PTR)(b)) & 0xff))) << 8))
#define MAKELONG(a, b)                                                                                                 \
  ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))

#endif // ABK_WINTYPES_H
