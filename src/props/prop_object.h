// PropObject: what every entry object handed to the host is built on. The object's properties live in
// memory (its StoreLink's PropList); the host reads them with GetProps and GetPropList, changes them with
// SetProps, and makes them durable with SaveChanges, which writes through the entry storage and tells
// the session's advise sinks.
//
// PropObjectCore holds the state and the work; PropObject<Interface> lays the operations out in the
// interface's table. Derived classes supply QueryInterface, AddRef, Release (and CopyTo, CopyProps).
#pragma once

#include "platform/platform.h"
#include "provider/entry_id.h"
#include "store/entry_storage.h"

namespace abk {

class AddressBookSession;

class PropObjectCore {
public:
  // Copies the identifier (zero-filled when null) and, when a parent key is given, takes it as the
  // identifier's parent pair.
  PropObjectCore(AddressBookSession* session, const EntryKey* parent, const void* entryId);
  ~PropObjectCore();
  PropObjectCore(const PropObjectCore&) = delete;
  PropObjectCore& operator=(const PropObjectCore&) = delete;

  // Creates the StoreLink with empty lists; E_OUTOFMEMORY when it cannot.
  HRESULT InitStoreLink();

  // Whether SetProps may store the tag: multi-valued, object and computed properties are refused.
  static HRESULT CheckWritable(ULONG tag);

  StoreLink& Link() { return *link_; }
  AddressBookSession& Session() { return *session_; }
  const ProviderEntryId& Identifier() const { return entryId_; }
  EntryKey OwnKey() const { return entryId_.self; }
  EntryKey ParentKey() const { return entryId_.parent; }
  bool IsModified() const { return (modified_ & 1) != 0; }
  // A stored person opened through a group: what it shows of its numbers is the group's choice.
  bool IsMemberView() const {
    return entryId_.self.typeWord == kEntryTypePerson && entryId_.parent.typeWord == kEntryTypeGroup;
  }
  void MarkModified() { modified_ |= 1; }
  // Guards the property list; a container takes it after its own lock.
  CRITICAL_SECTION& PropLock() { return propLock_; }
  // Tells every advise sink of the session that this object changed.
  void NotifyModified();

protected:
  HRESULT PropSaveChanges(ULONG flags);
  HRESULT PropGetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values);
  HRESULT PropGetPropList(ULONG flags, LPSPropTagArray* tags);
  HRESULT PropSetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems);

private:
  AddressBookSession* session_; // not counted: the session outlives its objects
  ProviderEntryId entryId_;
  ULONG modified_ = 0;
  StoreLink* link_ = nullptr;
  StoreLibrary* library_;
  CRITICAL_SECTION propLock_;
};

template <class Interface> class PropObject : public Interface, public PropObjectCore {
public:
  using PropObjectCore::PropObjectCore;

  HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
  HRESULT STDMETHODCALLTYPE SaveChanges(ULONG ulFlags) override { return PropSaveChanges(ulFlags); }
  HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                     LPSPropValue* lppPropArray) override {
    return PropGetProps(lpPropTagArray, ulFlags, lpcValues, lppPropArray);
  }
  HRESULT STDMETHODCALLTYPE GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override {
    return PropGetPropList(ulFlags, lppPropTagArray);
  }
  HRESULT STDMETHODCALLTYPE OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override { return MAPI_E_NO_SUPPORT; }
  HRESULT STDMETHODCALLTYPE SetProps(ULONG cValues, LPSPropValue lpPropArray,
                                     LPSPropProblemArray* lppProblems) override {
    return PropSetProps(cValues, lpPropArray, lppProblems);
  }
  HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
  HRESULT STDMETHODCALLTYPE CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                   LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                      LPSPropProblemArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) override {
    return MAPI_E_NO_SUPPORT;
  }
  HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override {
    return MAPI_E_NO_SUPPORT;
  }
};

} // namespace abk
