// Entry storage: reading and writing the provider's entries in the address-book file through the store
// library, and the StoreLink every entry object keeps (its properties, its member keys, the library).
//
// Every operation that touches the file opens it once at its start and closes it before it returns, on
// every path: no handle outlives an operation, and one operation reads one state of the book. The root container
// (0xFFFFFFFF, 4) has no record of its own.
#pragma once

#include "platform/platform.h"
#include "props/prop_list.h"
#include "provider/entry_id.h"
#include "store/store_library.h"
#include "store/store_records.h"

namespace abk {

enum ResolveMode : ULONG { RESOLVE_EXISTING = 1, RESOLVE_OR_CREATE = 2 };

// The store field id of a property identifier, or 0 when the property is not kept in the file.
ULONG FieldIdForProperty(ULONG tag);
// The position of a property among the stored fields (0 to 18), or -1 when it is not one of them.
int FieldIndexForProperty(ULONG tag);
// The property tag of a store field id, or 0 when the field produces no property.
ULONG PropertyForFieldId(ULONG fieldId);

// Checks that the key names an existing record; with RESOLVE_OR_CREATE a template key gets a new record
// and is rewritten to name it.
HRESULT ResolveRecord(StoreLibrary& library, ULONG mode, EntryKey& key);
// Appends the entry's stored fields; read as a member of a group, the fax-number blocks the group does
// not use for it read as empty strings.
// fieldsRead, when given, receives the number of the record's own fields that became properties.
HRESULT ReadEntryProperties(StoreLibrary& library, const EntryKey& key, const EntryKey* parent, PropList& list,
                            ULONG* fieldsRead = nullptr);
// Adds the keys of every entry (root container) or of a group's members.
HRESULT ReadMemberKeys(StoreLibrary& library, const EntryKey& key, MemberList& members);
// Writes an entry in its own right (parent is the root container), or only its fax-number selection in
// the group it was opened through (parent is a group).
HRESULT WriteEntry(StoreLibrary& library, const EntryKey& key, const EntryKey& parent, PropList& list,
                   const MemberList* members);
HRESULT DeleteEntry(StoreLibrary& library, const EntryKey& key);

// Reads the entries a container lists from one opening of the book. A group's own records, which hold
// the fax-number choice of each member, are read once for all of them.
class ContainerReader final {
public:
  explicit ContainerReader(StoreLibrary& library) : book_(library) {}
  HRESULT Open(const EntryKey& container);
  // What ResolveRecord(RESOLVE_EXISTING) and ReadEntryProperties with the container as parent give.
  HRESULT Read(const EntryKey& key, PropList& list);

private:
  OpenedBook book_;
  RecordSet group_;
  bool isGroup_ = false;
  HRESULT groupRead_ = S_OK;
};

class StoreLink final {
public:
  // Takes one reference on the library for the life of the link.
  explicit StoreLink(StoreLibrary* library);
  ~StoreLink();
  StoreLink(const StoreLink&) = delete;
  StoreLink& operator=(const StoreLink&) = delete;

  HRESULT LoadEntry(const EntryKey& key, const EntryKey* parent);
  // Creates the record of a template key first (rewriting key), then writes the entry. An entry already
  // stored is read again inside the same opening of the book, and only what this object changed (see
  // below) is applied to it, so that what another host saved meanwhile is kept; the object then holds
  // the entry as written.
  HRESULT SaveEntry(EntryKey& key, const EntryKey& parent);

  // What this object changed since it was loaded or last saved: the properties set, the members added and
  // removed. False when memory runs out (the change is then refused).
  void NoteChanged(ULONG tag);
  bool NoteMemberAdded(const EntryKey& key);
  bool NoteMemberRemoved(const EntryKey& key);

  PropList& Props() { return props_; }
  MemberList& Members() { return members_; }
  // How reading the member list ended when the entry was loaded: a failure leaves it partial.
  HRESULT MembersRead() const { return membersRead_; }
  StoreLibrary& Library() { return *library_; }

private:
  HRESULT SaveStored(OpenedBook& book, const EntryKey& key, const EntryKey& parent);
  void ForgetChanges();

  PropList props_;
  MemberList members_;
  HRESULT membersRead_ = S_OK; // how reading the member list ended
  ULONG changedFields_ = 0;    // bit i: the field of FieldIndexForProperty i was set
  MemberList added_, removed_;
  StoreLibrary* library_;
};

} // namespace abk
