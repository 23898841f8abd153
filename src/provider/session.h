// AddressBookSession: the object ABProviderOpen hands to the host, one per opened address book. It
// answers a few properties of its own, compares identifiers, keeps the advise registrations, and is the
// way into every entry of the book.
#pragma once

#include "platform/platform.h"
#include "provider/advise_list.h"
#include "provider/host_interfaces.h"
#include "provider/ref_count.h"

namespace abk {

class StoreLibrary;

constexpr size_t kSessionDisplayNameChars = 64;

class AddressBookSession final : public IAddrBook {
public:
  // A new session with count 0, or null when memory runs out.
  static AddressBookSession* Create(HINSTANCE instance, const BYTE* serviceUid);
  // Destroys a session whose initialisation failed (it holds no reference yet).
  static void Destroy(AddressBookSession* session);

  // Binds the store library and takes the support object; on success the count is 1.
  HRESULT Initialize(LPCSTR libraryPath, LPCSTR filePath, LPCSTR displayName, LPABHOSTSUPPORT support);

  // What the objects opened through the session use.
  HINSTANCE Instance() const { return instance_; }
  const MAPIUID& ServiceUid() const { return serviceUid_; }
  StoreLibrary* Store() const { return store_; }
  LPCSTR DisplayName() const { return displayName_; }
  LPABHOSTSUPPORT Support() const { return support_; }
  // Every registered sink hears of every change (see AdviseList).
  void NotifyAdviseSinks(ULONG count, LPNOTIFICATION notifications);

  // The slots below are in the interfaces' order. Where each is written:
  //   session.cpp             QueryInterface, AddRef, Release; the slots the session does not offer
  //                           (GetLastError, SaveChanges, OpenProperty, SetProps, DeleteProps, CopyTo,
  //                           CopyProps, GetNamesFromIDs, GetIDsFromNames, CreateOneOff, ResolveName,
  //                           Address, RecipOptions, QueryDefaultRecipOpt, GetPAB, SetPAB, GetDefaultDir,
  //                           SetDefaultDir, GetSearchPath, SetSearchPath)
  //   session_props.cpp       GetProps, GetPropList
  //   session_open.cpp        OpenEntry, PrepareRecips
  //   session_ids.cpp         CompareEntryIDs, Advise, Unadvise
  //   dialogs/entry_launch.cpp NewEntry, Details (the person and group dialogs)

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IMAPIProp
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

  // IAddrBook
  HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
  HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                            LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) override;
  HRESULT STDMETHODCALLTYPE Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                   LPMAPIADVISESINK lpAdviseSink, ULONG* lpulConnection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(ULONG ulConnection) override;
  HRESULT STDMETHODCALLTYPE CreateOneOff(LPTSTR lpszName, LPTSTR lpszAdrType, LPTSTR lpszAddress, ULONG ulFlags,
                                         ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
  HRESULT STDMETHODCALLTYPE NewEntry(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cbEIDContainer, LPENTRYID lpEIDContainer,
                                     ULONG cbEIDNewEntryTpl, LPENTRYID lpEIDNewEntryTpl, ULONG* lpcbEIDNewEntry,
                                     LPENTRYID* lppEIDNewEntry) override;
  HRESULT STDMETHODCALLTYPE ResolveName(ULONG_PTR ulUIParam, ULONG ulFlags, LPTSTR lpszNewEntryTitle,
                                        LPADRLIST lpAdrList) override;
  HRESULT STDMETHODCALLTYPE Address(ULONG_PTR* lpulUIParam, LPADRPARM lpAdrParms, LPADRLIST* lppAdrList) override;
  HRESULT STDMETHODCALLTYPE Details(ULONG* lpulUIParam, LPFNDISMISS lpfnDismiss, LPVOID lpvDismissContext,
                                    ULONG cbEntryID, LPENTRYID lpEntryID, LPFNBUTTON lpfButtonCallback,
                                    LPVOID lpvButtonContext, LPTSTR lpszButtonText, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE RecipOptions(ULONG_PTR ulUIParam, ULONG ulFlags, LPADRENTRY lpRecip) override;
  HRESULT STDMETHODCALLTYPE QueryDefaultRecipOpt(LPTSTR lpszAdrType, ULONG ulFlags, ULONG* lpcValues,
                                                 LPSPropValue* lppOptions) override;
  HRESULT STDMETHODCALLTYPE GetPAB(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
  HRESULT STDMETHODCALLTYPE SetPAB(ULONG cbEntryID, LPENTRYID lpEntryID) override;
  HRESULT STDMETHODCALLTYPE GetDefaultDir(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
  HRESULT STDMETHODCALLTYPE SetDefaultDir(ULONG cbEntryID, LPENTRYID lpEntryID) override;
  HRESULT STDMETHODCALLTYPE GetSearchPath(ULONG ulFlags, LPSRowSet* lppSearchPath) override;
  HRESULT STDMETHODCALLTYPE SetSearchPath(ULONG ulFlags, LPSRowSet lpSearchPath) override;
  HRESULT STDMETHODCALLTYPE PrepareRecips(ULONG ulFlags, LPSPropTagArray lpPropTagArray,
                                          LPADRLIST lpRecipList) override;

  AddressBookSession(HINSTANCE instance, const BYTE* serviceUid);
  ~AddressBookSession();

private:
  HRESULT BuildProperty(ULONG tag, SPropValue& value, void* parentBlock);

  HINSTANCE instance_;
  char* displayName_ = nullptr; // at most 64 characters
  MAPIUID serviceUid_;
  StoreLibrary* store_ = nullptr;
  AdviseList* adviseList_ = nullptr;
  LPABHOSTSUPPORT support_ = nullptr;
  RefCount refCount_;
};

} // namespace abk
