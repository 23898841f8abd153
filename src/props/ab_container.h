// ABContainer: the root container (the whole address book) and each group (a distribution list). One
// class serves both: IABContainer and IDistList share their table slot for slot.
#pragma once

#include "props/prop_object.h"
#include "provider/ref_count.h"

namespace abk {

class TableData;

class ABContainer final : public PropObject<IABContainer> {
public:
  // A container built and initialised, not loaded; one reference for the caller. A group's object type
  // is set to MAPI_DISTLIST.
  static HRESULT Create(AddressBookSession* session, const EntryKey* parent, const void* entryId, bool isGroup,
                        ABContainer** result);
  // Built, initialised and loaded from the store (for the root container: every entry of the book).
  static HRESULT Open(AddressBookSession* session, const EntryKey* parent, const void* entryId, bool isGroup,
                      ABContainer** result);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                   ULONG ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                                   ULONG ulFlags, LPSPropProblemArray* lppProblems) override;
  HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray lpIncludeProps, ULONG ulUIParam, LPMAPIPROGRESS lpProgress,
                                      LPCIID lpInterface, LPVOID lpDestObj, ULONG ulFlags,
                                      LPSPropProblemArray* lppProblems) override;

  // IMAPIContainer
  HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT STDMETHODCALLTYPE GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
  HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
  HRESULT STDMETHODCALLTYPE SetSearchCriteria(LPSRestriction lpRestriction, LPENTRYLIST lpContainerList,
                                              ULONG ulSearchFlags) override;
  HRESULT STDMETHODCALLTYPE GetSearchCriteria(ULONG ulFlags, LPSRestriction* lppRestriction,
                                              LPENTRYLIST* lppContainerList, ULONG* lpulSearchState) override;

  // IABContainer / IDistList
  HRESULT STDMETHODCALLTYPE CreateEntry(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulCreateFlags,
                                        LPMAPIPROP* lppMAPIPropEntry) override;
  HRESULT STDMETHODCALLTYPE CopyEntries(LPENTRYLIST lpEntries, ULONG ulUIParam, LPMAPIPROGRESS lpProgress,
                                        ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE DeleteEntries(LPENTRYLIST lpEntries, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPADRLIST lpAdrList,
                                         LPFlagList lpFlagList) override;

  ABContainer(AddressBookSession* session, const EntryKey* parent, const void* entryId);
  ~ABContainer();

private:
  HRESULT Initialize();
  // The contents table, built by the first call and kept; one reference for the caller.
  HRESULT Contents(TableData** table);
  HRESULT BuildContentsTable();
  HRESULT AppendRow(LPTABLEDATA table, ContainerReader& reader, EntryKey key, PropList& scratch);
  HRESULT BuildRow(PropList& scratch, LPSPropValue* row);

  LPTABLEDATA contents_ = nullptr; // built by the first GetContentsTable, kept until destruction
  RefCount refCount_;
  CRITICAL_SECTION containerLock_; // the contents table and, with the properties' lock, the member list
};

} // namespace abk
