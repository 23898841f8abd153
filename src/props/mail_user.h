// MailUser: one person of the address book, handed to the host with the IMailUser layout. Copies go
// through the host's support object; everything else is the property object's.
#pragma once

#include "props/prop_object.h"
#include "provider/ref_count.h"

namespace abk {

class MailUser final : public PropObject<IMailUser> {
public:
  // Builds a person from its record: constructed, initialised and loaded; one reference for the caller.
  static HRESULT Open(AddressBookSession* session, const EntryKey* parent, const void* entryId, MailUser** result);
  // Builds an empty person that has no record yet (made by a container's CreateEntry).
  static HRESULT Create(AddressBookSession* session, const EntryKey* parent, const void* entryId, MailUser** result);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                   ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                   ULONG ulFlags, LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray lpIncludeProps, ULONG ulUIParam, LPMAPIPROGRESS lpProgress,
                                      LPCIID lpInterface, LPVOID lpDestObj, ULONG ulFlags,
                                      LPSPropProblemArray* lppProblems) override;

  MailUser(AddressBookSession* session, const EntryKey* parent, const void* entryId);
  ~MailUser();

private:
  HRESULT Initialize();

  RefCount refCount_;
};

} // namespace abk
