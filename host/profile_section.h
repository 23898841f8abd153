// The provider's profile section as the host keeps it: a small property bag with the IMAPIProp
// layout. Tests can make its calls fail or answer short, and count what the provider did with it.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace host {

class ProfileSection final : public IMAPIProp {
public:
  ProfileSection() = default;

  // Direct access for the host itself and for tests.
  void SetString(ULONG tag, const std::string& value);
  void SetBinary(ULONG tag, const void* data, ULONG size);
  void SetLong(ULONG tag, LONG value);
  void Remove(ULONG tag);
  bool GetString(ULONG tag, std::string* value) const;
  bool GetBinary(ULONG tag, std::string* value) const;

  // Test controls.
  HRESULT getPropsResult = S_OK;    // a failure here is returned by GetProps
  HRESULT setPropsResult = S_OK;    // likewise for SetProps
  HRESULT saveChangesResult = S_OK; // likewise for SaveChanges
  ULONG getPropsCountLimit = ~0u;   // answer at most this many values
  ULONG getPropsCalls = 0;
  ULONG setPropsCalls = 0;
  ULONG saveChangesCalls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT STDMETHODCALLTYPE SaveChanges(ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                     LPSPropValue* lppPropArray) override;
  HRESULT STDMETHODCALLTYPE GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override;
  HRESULT STDMETHODCALLTYPE OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions, ULONG ulFlags,
                                         LPUNKNOWN* lppUnk) override;
  HRESULT STDMETHODCALLTYPE SetProps(ULONG cValues, LPSPropValue lpPropArray,
                                     LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                   ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                   ULONG ulFlags, LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray lpIncludeProps, ULONG ulUIParam, LPMAPIPROGRESS lpProgress,
                                      LPCIID lpInterface, LPVOID lpDestObj, ULONG ulFlags,
                                      LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid, ULONG ulFlags,
                                            ULONG* lpcPropNames, LPMAPINAMEID** lpppPropNames) override;
  HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG cPropNames, LPMAPINAMEID* lppPropNames, ULONG ulFlags,
                                            LPSPropTagArray* lppPropTags) override;

private:
  struct Stored {
    ULONG tag;
    LONG number;
    std::string bytes; // a string's characters or a binary value's bytes
  };
  Stored* Find(ULONG propId);
  const Stored* Find(ULONG propId) const;
  Stored& Slot(ULONG tag);
  HRESULT Fill(ULONG requestedTag, SPropValue& value, void* parentBlock) const;

  std::vector<Stored> props_;
  LONG refCount_ = 1;
};

} // namespace host
