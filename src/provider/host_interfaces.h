// What the provider relies on of the host that loads it: the support object's operation table and the
// shapes of the two exports, shared by the provider and by the substitute host.
#pragma once

#include "platform/platform.h"

// The host's support object. Its table begins like MAPI's IMAPISupport (IUnknown, GetLastError,
// GetMemAllocRoutines) and then continues with the host's own operations, so it is declared here rather
// than borrowed from the SDK. Slots, counting QueryInterface as 0:
//   4 GetMemAllocRoutines, 5 RegisterServiceUid, 6 unused, 7 DoCopyTo, 8 DoCopyProps.
struct IABHostSupport : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMemAllocRoutines(LPALLOCATEBUFFER* lpAllocateBuffer,
                                                        LPALLOCATEMORE* lpAllocateMore, LPFREEBUFFER* lpFreeBuffer) = 0;
  // Told once, after a session has been opened, which service instance it serves.
  virtual HRESULT STDMETHODCALLTYPE RegisterServiceUid(LPMAPIUID lpServiceUid, ULONG ulFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
  // The argument lists of MAPI's DoCopyTo and DoCopyProps: the source object, then the caller's own
  // CopyTo / CopyProps arguments.
  virtual HRESULT STDMETHODCALLTYPE DoCopyTo(LPCIID lpSrcInterface, LPVOID lpSrcObj, ULONG ciidExclude,
                                             LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps, ULONG ulUIParam,
                                             LPMAPIPROGRESS lpProgress, LPCIID lpDestInterface, LPVOID lpDestObj,
                                             ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoCopyProps(LPCIID lpSrcInterface, LPVOID lpSrcObj, LPSPropTagArray lpIncludeProps,
                                                ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpDestInterface,
                                                LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
};
typedef IABHostSupport* LPABHOSTSUPPORT;

// ABProviderOpen: C calling convention, nine arguments. Arguments 4 to 7 are reserved words.
typedef HRESULT(__cdecl ABPROVIDEROPEN)(HINSTANCE hInstance, LPABHOSTSUPPORT lpSupport, LPMAPIPROP lpProfile,
                                        ULONG ulReserved4, ULONG ulReserved5, ULONG ulReserved6, ULONG ulReserved7,
                                        LPFREEBUFFER lpFreeProfileProps, LPADRBOOK* lppSession);
typedef ABPROVIDEROPEN* LPABPROVIDEROPEN;

// ABServiceEntry: standard calling convention, eight arguments.
typedef HRESULT(WINAPI ABSERVICEENTRY)(HINSTANCE hInstance, HWND hwndParent, ULONG ulFlags, ULONG ulContext,
                                       ULONG cValues, LPSPropValue lpProps, LPMAPIPROP lpProfile,
                                       LPABHOSTSUPPORT lpSupport);
typedef ABSERVICEENTRY* LPABSERVICEENTRY;

// Profile property holding the address-book file path (provider-defined, string).
#define PR_AB_FILE_PATH PROP_TAG(PT_STRING8, 0x6600)

// Service entry contexts and flags (MAPI's service-provider values).
#ifndef MSG_SERVICE_INSTALL
#define MSG_SERVICE_INSTALL 0x00000001
#define MSG_SERVICE_CREATE 0x00000002
#define MSG_SERVICE_CONFIGURE 0x00000003
#define MSG_SERVICE_DELETE 0x00000004
#define MSG_SERVICE_UNINSTALL 0x00000005
#endif
#ifndef SERVICE_UI_ALWAYS
#define SERVICE_UI_ALWAYS 0x00000002
#endif
#ifndef SERVICE_UI_ALLOWED
#define SERVICE_UI_ALLOWED 0x00000010
#endif
