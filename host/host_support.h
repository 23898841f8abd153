// The host's support object handed to the provider: memory routines, the service-identifier
// registration, and the two copy operations. Tests can make its calls fail and read what it was told.
#pragma once

#include "platform/platform.h"
#include "provider/host_interfaces.h"

namespace host {

class HostSupport final : public IABHostSupport {
public:
  HostSupport() = default;

  // Test controls.
  HRESULT memAllocRoutinesResult = S_OK; // what GetMemAllocRoutines answers
  ULONG registerCalls = 0;
  MAPIUID registeredUid{};
  ULONG copyToCalls = 0;
  ULONG copyPropsCalls = 0;
  LONG RefCount() const { return refCount_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT STDMETHODCALLTYPE GetMemAllocRoutines(LPALLOCATEBUFFER* lpAllocateBuffer, LPALLOCATEMORE* lpAllocateMore,
                                                LPFREEBUFFER* lpFreeBuffer) override;
  HRESULT STDMETHODCALLTYPE RegisterServiceUid(LPMAPIUID lpServiceUid, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE Reserved6() override;
  HRESULT STDMETHODCALLTYPE DoCopyTo(LPCIID lpSrcInterface, LPVOID lpSrcObj, ULONG ciidExclude, LPCIID rgiidExclude,
                                     LPSPropTagArray lpExcludeProps, ULONG ulUIParam, LPMAPIPROGRESS lpProgress,
                                     LPCIID lpDestInterface, LPVOID lpDestObj, ULONG ulFlags,
                                     LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE DoCopyProps(LPCIID lpSrcInterface, LPVOID lpSrcObj, LPSPropTagArray lpIncludeProps,
                                        ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpDestInterface,
                                        LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) override;

private:
  // Lives as long as its owner (a test fixture or the host tool); the count only shows balance.
  LONG refCount_ = 1;
};

} // namespace host
