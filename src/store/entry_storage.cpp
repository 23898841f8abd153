// Entry storage on top of the store library: records to properties and back.
#include "store/entry_storage.h"

#include <cstring>

#include "props/entry_props.h"
#include "provider/heap.h"
#include "store/store_records.h"

namespace abk {

namespace {

struct FieldMapping {
  ULONG fieldId;
  ULONG tag;
};

// Store field ids and the string properties they hold, the same in both directions.
constexpr FieldMapping kFieldMap[] = {
    {0x001, PR_DISPLAY_NAME},
    {0x002, PR_DISPLAY_NAME_PREFIX},
    {0x003, PR_GIVEN_NAME},
    {0x004, PR_MIDDLE_NAME},
    {0x005, PR_SURNAME},
    {0x006, PR_NAME_SUFFIX},
    {0x008, PR_COMMENT},
    {0x110, PR_HOME_FAX_NUMBER},
    {0x111, PR_SECONDARY_FAX_DESCRIPTION},
    {0x112, PR_SECONDARY_FAX_EXTRA1},
    {0x113, PR_SECONDARY_FAX_EXTRA2},
    {0x114, PR_SECONDARY_FAX_EXTRA3},
    {0x200, PR_COMPANY_NAME},
    {0x201, PR_DEPARTMENT_NAME},
    {0x210, PR_BUSINESS_FAX_NUMBER},
    {0x211, PR_PRIMARY_FAX_DESCRIPTION},
    {0x212, PR_PRIMARY_FAX_EXTRA1},
    {0x213, PR_PRIMARY_FAX_EXTRA2},
    {0x214, PR_PRIMARY_FAX_EXTRA3},
};

bool IsTemplateRecord(ULONG recordId) {
  return recordId == kPersonTemplateRecordId || recordId == kGroupTemplateRecordId;
}

bool IsMemberRecord(const BYTE* record) { return RecordWord(record, 0) == STORE_MEMBER_MARKER; }

HRESULT SetEmptyString(PropList& list, ULONG tag) {
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.lpszA = const_cast<LPSTR>("");
  return list.SetProp(value);
}

// The member record of recordId among a group's records, or null.
BYTE* FindMemberRecord(RecordSet& records, ULONG recordId) {
  RecordSet::Cursor cursor(records);
  BYTE* record = nullptr;
  size_t size = 0;
  while (cursor.Next(&record, &size)) {
    if (IsMemberRecord(record) && RecordWord(record, offsetof(GroupMemberRecord, memberId)) == recordId) return record;
  }
  return nullptr;
}

bool HoldsNonEmptyString(PropList& list, ULONG tag) {
  PropElement* element = list.FindProp(tag);
  return element && PROP_TYPE(element->value.ulPropTag) == PT_STRING8 && element->value.Value.lpszA &&
         element->value.Value.lpszA[0];
}

// The whole record set of a group written in its own right: its string fields, then one member record
// per listed key, each keeping the flags word stored for it.
HRESULT WriteOwnRecord(OpenedBook& book, const EntryKey& key, PropList& list, const MemberList* members) {
  if (list.Count() == 0) return S_OK;
  bool isGroup = key.typeWord == kEntryTypeGroup && members;
  size_t capacity = list.Count() + (isGroup ? members->Count() : 0);
  size_t size = capacity * STORE_FIELD_RECORD_SIZE;
  auto* buffer = static_cast<BYTE*>(HeapAllocate(size ? size : 1));
  if (!buffer) return E_OUTOFMEMORY;
  memset(buffer, 0, size);

  BYTE* p = buffer;
  ULONG built = 0;
  for (PropElement* element = list.First(); element; element = element->next) {
    ULONG fieldId = FieldIdForProperty(element->value.ulPropTag);
    // Only strings are written: another type stored under a string's identifier is never read as one.
    if (!fieldId || PROP_TYPE(element->value.ulPropTag) != PT_STRING8 || !element->value.Value.lpszA) continue;
    StoreFieldRecord record{};
    record.fieldId = fieldId;
    strncpy(record.value, element->value.Value.lpszA, STORE_FIELD_VALUE_SIZE - 1);
    memcpy(p, &record, sizeof record);
    p += sizeof record;
    ++built;
  }

  HRESULT hr = S_OK;
  if (isGroup) {
    // A group whose record holds nothing yet (a new one) has no flags to carry over.
    RecordSet stored;
    hr = stored.Read(book, key.recordId);
    for (ULONG i = 0; SUCCEEDED(hr) && i < members->Count(); ++i) {
      const EntryKey& member = members->At(i);
      GroupMemberRecord record{};
      record.marker = STORE_MEMBER_MARKER;
      record.memberId = member.recordId;
      BYTE* old = FindMemberRecord(stored, member.recordId);
      if (old)
        record.faxSelection = RecordWord(old, offsetof(GroupMemberRecord, faxSelection));
      else
        record.faxSelection = member.typeWord == kEntryTypePerson ? kFaxSelectPrimary | kFaxSelectSecondary : 0;
      memcpy(p, &record, sizeof record);
      p += sizeof record;
      ++built;
    }
  }

  if (SUCCEEDED(hr)) {
    StoreRecordBlock block{built, buffer};
    if (!book.Library().setProps(book.Handle(), key.recordId, book.Status(), &block)) hr = book.Failure();
  }
  HeapFree(buffer);
  return hr;
}

// Only this member's selection in the group it was opened through: the choice of each number that
// `changed` names (a field mask, see FieldIndexForProperty), the other kept as stored.
HRESULT WriteMemberSelection(OpenedBook& book, const EntryKey& key, const EntryKey& group, PropList& list,
                             ULONG changed) {
  RecordSet records;
  HRESULT hr = records.Read(book, group.recordId);
  if (FAILED(hr) || records.Count() == 0) return hr;
  BYTE* record = FindMemberRecord(records, key.recordId);
  if (!record) return S_OK;
  ULONG flags = RecordWord(record, offsetof(GroupMemberRecord, faxSelection));
  const struct {
    ULONG tag;
    ULONG bit;
  } numbers[] = {{PR_BUSINESS_FAX_NUMBER, kFaxSelectPrimary}, {PR_HOME_FAX_NUMBER, kFaxSelectSecondary}};
  ULONG chosen = flags;
  for (const auto& number : numbers) {
    if (!(changed >> FieldIndexForProperty(number.tag) & 1)) continue;
    chosen = HoldsNonEmptyString(list, number.tag) ? chosen | number.bit : chosen & ~number.bit;
  }
  if (chosen == flags) return S_OK;
  memcpy(record + offsetof(GroupMemberRecord, faxSelection), &chosen, sizeof chosen);
  StoreRecordBlock block{records.Count(), records.Data()};
  if (!book.Library().setProps(book.Handle(), group.recordId, book.Status(), &block)) return book.Failure();
  return S_OK;
}

// ResolveRecord on a book already open.
HRESULT ResolveIn(OpenedBook& book, ULONG mode, EntryKey& key) {
  if (mode != RESOLVE_EXISTING && mode != RESOLVE_OR_CREATE) return E_FAIL;
  if (key.typeWord == kEntryTypeRoot) {
    key.recordId = kRootRecordId;
    return S_OK;
  }
  StoreLibrary& library = book.Library();
  if (!IsTemplateRecord(key.recordId)) {
    if (library.getProps(book.Handle(), key.recordId, book.Status(), nullptr) == STORE_CALL_FAILED)
      return book.Failure();
    return S_OK;
  }
  if (mode == RESOLVE_EXISTING) return MAPI_E_NOT_FOUND;

  switch (ObjectTypeOf(key.typeWord)) {
  case kEntryTypePerson: {
    ULONG id = library.createContactEntry(book.Handle(), book.Status());
    if (id == STORE_NO_PERSON) return book.Failure();
    key = EntryKey{id, kEntryTypePerson};
    return S_OK;
  }
  case kEntryTypeGroup: {
    ULONG id = library.createGroupEntry(book.Handle(), book.Status());
    if (id == STORE_NO_GROUP) return book.Failure();
    key = EntryKey{id, kEntryTypeGroup};
    return S_OK;
  }
  default:
    return MAPI_E_INVALID_ENTRYID;
  }
}

// As a member of the group whose records are given: the fax-number blocks the group does not use for
// this entry read as empty strings.
HRESULT BlankUnchosenBlocks(RecordSet& groupRecords, const EntryKey& key, PropList& list) {
  BYTE* member = FindMemberRecord(groupRecords, key.recordId);
  if (!member) return S_OK;
  ULONG flags = RecordWord(member, offsetof(GroupMemberRecord, faxSelection));
  HRESULT hr = S_OK;
  if (!(flags & kFaxSelectPrimary)) {
    for (ULONG tag : kPrimaryFaxBlock)
      if (FAILED(hr = SetEmptyString(list, tag))) return hr;
  }
  if (!(flags & kFaxSelectSecondary)) {
    for (ULONG tag : kSecondaryFaxBlock)
      if (FAILED(hr = SetEmptyString(list, tag))) return hr;
  }
  return S_OK;
}

// The entry's own fields, on a book already open.
HRESULT ReadPropertiesIn(OpenedBook& book, const EntryKey& key, PropList& list, ULONG* fieldsRead) {
  ULONG unused = 0;
  if (!fieldsRead) fieldsRead = &unused;
  *fieldsRead = 0;
  if (key.typeWord == kEntryTypeRoot) return S_OK;
  RecordSet records;
  HRESULT hr = records.Read(book, key.recordId);
  if (FAILED(hr)) return hr;
  RecordSet::Cursor cursor(records);
  BYTE* record = nullptr;
  size_t size = 0;
  while (cursor.Next(&record, &size)) {
    ULONG tag = PropertyForFieldId(RecordWord(record, 0));
    if (!tag || size != STORE_FIELD_RECORD_SIZE) continue;
    char text[STORE_FIELD_VALUE_SIZE];
    RecordValue(record, text);
    SPropValue value{};
    value.ulPropTag = tag;
    value.Value.lpszA = text;
    hr = list.AppendProp(value);
    if (FAILED(hr)) return hr;
    ++*fieldsRead;
  }
  return S_OK;
}

// Every entry of the book: the count, then the list. An entry made between the two calls (by another
// thread or process) makes the list refuse for want of room; grew says so.
HRESULT ReadAllIdsOnce(OpenedBook& book, MemberList& members, bool* grew) {
  StoreLibrary& library = book.Library();
  StoreIdList list{0, nullptr};
  if (library.getRecordId(book.Handle(), STORE_SELECT_ALL_ENTRIES, book.Status(), &list) == STORE_CALL_FAILED)
    return book.Failure();
  ULONG count = list.count;
  if (count == 0) return S_OK;
  if (count > 0x7FFFFFFF / sizeof(ULONG)) return MAPI_E_DISK_ERROR;
  auto* ids = static_cast<ULONG*>(HeapAllocate(count * sizeof(ULONG)));
  if (!ids) return E_OUTOFMEMORY;
  list = StoreIdList{count, ids};
  if (library.getRecordId(book.Handle(), STORE_SELECT_ALL_ENTRIES, book.Status(), &list) == STORE_CALL_FAILED) {
    HeapFree(ids);
    *grew = *book.Status() == STORE_STATUS_INVALID_ARGUMENT;
    return book.Failure();
  }
  ULONG listed = list.count < count ? list.count : count;
  HRESULT hr = S_OK;
  for (ULONG i = 0; i < listed && SUCCEEDED(hr); ++i)
    if (!members.AddMember(EntryKey{ids[i], TypeWordForRecordId(ids[i])})) hr = E_OUTOFMEMORY;
  HeapFree(ids);
  return hr;
}

// As with a record's records, a list that grew meanwhile is asked for again, a few times at most.
constexpr int kListAttempts = 4;

// ReadMemberKeys on a book already open.
HRESULT ReadMemberKeysIn(OpenedBook& book, const EntryKey& key, MemberList& members) {
  if (key.typeWord != kEntryTypeRoot && key.typeWord != kEntryTypeGroup) return E_INVALIDARG;
  HRESULT hr = S_OK;
  if (key.typeWord == kEntryTypeGroup) {
    RecordSet records;
    hr = records.Read(book, key.recordId);
    if (FAILED(hr)) return hr;
    RecordSet::Cursor cursor(records);
    BYTE* record = nullptr;
    size_t size = 0;
    while (cursor.Next(&record, &size)) {
      if (!IsMemberRecord(record)) continue;
      ULONG id = RecordWord(record, offsetof(GroupMemberRecord, memberId));
      if (!members.AddMember(EntryKey{id, TypeWordForRecordId(id)})) return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  for (int attempt = 0; attempt < kListAttempts; ++attempt) {
    bool grew = false;
    hr = ReadAllIdsOnce(book, members, &grew);
    if (!grew) return hr;
  }
  return hr;
}

// Whether a save of key through parent writes the entry's own record: everywhere but a person opened
// through a group, which records there only which of its numbers the group uses (a group reached through
// another group is written in its own right).
bool WritesOwnRecord(const EntryKey& key, const EntryKey& parent) {
  return parent.typeWord == kEntryTypeRoot || key.typeWord == kEntryTypeGroup;
}

constexpr ULONG kEveryField = 0xFFFFFFFF;

HRESULT WriteIn(OpenedBook& book, const EntryKey& key, const EntryKey& parent, PropList& list,
                const MemberList* members) {
  if (WritesOwnRecord(key, parent)) return WriteOwnRecord(book, key, list, members);
  if (parent.typeWord == kEntryTypeGroup) return WriteMemberSelection(book, key, parent, list, kEveryField);
  return S_OK;
}

// Adds a new entry to the group it was created in: a person with both numbers chosen, a group with none.
HRESULT JoinGroup(OpenedBook& book, const EntryKey& group, const EntryKey& member) {
  RecordSet stored;
  HRESULT hr = stored.Read(book, group.recordId);
  if (FAILED(hr) || FindMemberRecord(stored, member.recordId)) return hr;
  size_t size = stored.Size() + STORE_MEMBER_RECORD_SIZE;
  auto* buffer = static_cast<BYTE*>(HeapAllocate(size));
  if (!buffer) return E_OUTOFMEMORY;
  size_t used = 0;
  RecordSet::Cursor cursor(stored);
  BYTE* record = nullptr;
  size_t recordSize = 0;
  while (cursor.Next(&record, &recordSize)) {
    memcpy(buffer + used, record, recordSize);
    used += recordSize;
  }
  GroupMemberRecord joined{};
  joined.marker = STORE_MEMBER_MARKER;
  joined.memberId = member.recordId;
  joined.faxSelection = member.typeWord == kEntryTypePerson ? kFaxSelectPrimary | kFaxSelectSecondary : 0;
  memcpy(buffer + used, &joined, sizeof joined);
  StoreRecordBlock block{stored.Count() + 1, buffer};
  hr = book.Library().setProps(book.Handle(), group.recordId, book.Status(), &block) ? S_OK : book.Failure();
  HeapFree(buffer);
  return hr;
}

// ReadEntryProperties on a book already open: the parent group's records are read after the entry's own.
HRESULT ReadWithParent(OpenedBook& book, const EntryKey& key, const EntryKey* parent, PropList& list,
                       ULONG* fieldsRead) {
  HRESULT hr = ReadPropertiesIn(book, key, list, fieldsRead);
  if (FAILED(hr) || !parent || parent->typeWord != kEntryTypeGroup || key.typeWord == kEntryTypeRoot) return hr;
  RecordSet group;
  hr = group.Read(book, parent->recordId);
  if (FAILED(hr)) return hr;
  return BlankUnchosenBlocks(group, key, list);
}

} // namespace

ULONG FieldIdForProperty(ULONG tag) {
  for (const FieldMapping& mapping : kFieldMap)
    if (PROP_ID(mapping.tag) == PROP_ID(tag)) return mapping.fieldId;
  return 0;
}

int FieldIndexForProperty(ULONG tag) {
  for (size_t i = 0; i < sizeof kFieldMap / sizeof kFieldMap[0]; ++i)
    if (PROP_ID(kFieldMap[i].tag) == PROP_ID(tag)) return static_cast<int>(i);
  return -1;
}

ULONG PropertyForFieldId(ULONG fieldId) {
  for (const FieldMapping& mapping : kFieldMap)
    if (mapping.fieldId == fieldId) return mapping.tag;
  return 0;
}

HRESULT ResolveRecord(StoreLibrary& library, ULONG mode, EntryKey& key) {
  if (mode != RESOLVE_EXISTING && mode != RESOLVE_OR_CREATE) return E_FAIL;
  if (key.typeWord == kEntryTypeRoot) {
    key.recordId = kRootRecordId;
    return S_OK;
  }
  OpenedBook book(library, mode == RESOLVE_OR_CREATE ? OpenedBook::kWriting : OpenedBook::kReading);
  HRESULT hr = book.Open();
  if (FAILED(hr)) return hr;
  EntryKey resolved = key;
  hr = ResolveIn(book, mode, resolved);
  if (SUCCEEDED(hr) && mode == RESOLVE_OR_CREATE) hr = book.Commit();
  if (SUCCEEDED(hr)) key = resolved;
  return hr;
}

HRESULT ReadEntryProperties(StoreLibrary& library, const EntryKey& key, const EntryKey* parent, PropList& list,
                            ULONG* fieldsRead) {
  if (fieldsRead) *fieldsRead = 0;
  if (key.typeWord == kEntryTypeRoot) return S_OK;
  OpenedBook book(library);
  HRESULT hr = book.Open();
  if (FAILED(hr)) return hr;
  return ReadWithParent(book, key, parent, list, fieldsRead);
}

HRESULT ReadMemberKeys(StoreLibrary& library, const EntryKey& key, MemberList& members) {
  if (key.typeWord != kEntryTypeRoot && key.typeWord != kEntryTypeGroup) return E_INVALIDARG;
  OpenedBook book(library);
  HRESULT hr = book.Open();
  if (FAILED(hr)) return hr;
  return ReadMemberKeysIn(book, key, members);
}

HRESULT WriteEntry(StoreLibrary& library, const EntryKey& key, const EntryKey& parent, PropList& list,
                   const MemberList* members) {
  OpenedBook book(library, OpenedBook::kWriting);
  HRESULT hr = book.Open();
  if (SUCCEEDED(hr)) hr = WriteIn(book, key, parent, list, members);
  if (SUCCEEDED(hr)) hr = book.Commit();
  return hr;
}

HRESULT DeleteEntry(StoreLibrary& library, const EntryKey& key) {
  if (key.typeWord == kEntryTypeRoot) return E_INVALIDARG;
  OpenedBook book(library, OpenedBook::kWriting);
  HRESULT hr = book.Open();
  if (FAILED(hr)) return hr;
  STORE_DELETEPROPS* deleteProps = library.LookUpDeleteProps();
  if (!deleteProps) return E_OUTOFMEMORY;
  if (!deleteProps(book.Handle(), 0, book.Status(), key.recordId)) return book.Failure();
  return book.Commit();
}

StoreLink::StoreLink(StoreLibrary* library) : library_(library) { library_->AddRef(); }

StoreLink::~StoreLink() {
  props_.Clear();
  members_.Clear();
  library_->Release();
}

HRESULT StoreLink::LoadEntry(const EntryKey& key, const EntryKey* parent) {
  OpenedBook book(*library_);
  HRESULT hr = book.Open();
  // The root container has no record of its own: it opens even when the book cannot be read, and a
  // container whose members cannot all be listed still opens, with the members read so far.
  if (key.typeWord == kEntryTypeRoot) {
    membersRead_ = SUCCEEDED(hr) ? ReadMemberKeysIn(book, key, members_) : hr;
    return S_OK;
  }
  if (FAILED(hr)) return hr;
  // Reading the record checks that it exists; a template names no record yet.
  if (IsTemplateRecord(key.recordId)) return MAPI_E_NOT_FOUND;
  ULONG fieldsRead = 0;
  hr = ReadWithParent(book, key, parent, props_, &fieldsRead);
  if (FAILED(hr)) return hr;
  if (key.typeWord == kEntryTypeGroup) membersRead_ = ReadMemberKeysIn(book, key, members_);
  // A record without any field the provider knows still opens, with an empty name, so that it can be
  // shown, named and deleted.
  if (fieldsRead == 0 && !props_.FindProp(PR_DISPLAY_NAME)) hr = SetEmptyString(props_, PR_DISPLAY_NAME);
  return hr;
}

HRESULT StoreLink::SaveEntry(EntryKey& key, const EntryKey& parent) {
  OpenedBook book(*library_, OpenedBook::kWriting);
  HRESULT hr = book.Open();
  if (FAILED(hr)) return hr;
  if (!IsTemplateRecord(key.recordId)) {
    hr = ResolveIn(book, RESOLVE_EXISTING, key);
    if (SUCCEEDED(hr)) hr = SaveStored(book, key, parent);
    return hr;
  }
  // A new entry: its record is made and written whole; one made through a group also joins it.
  EntryKey created = key;
  hr = ResolveIn(book, RESOLVE_OR_CREATE, created);
  if (FAILED(hr)) return hr;
  hr = WriteOwnRecord(book, created, props_, &members_);
  if (SUCCEEDED(hr) && parent.typeWord == kEntryTypeGroup) hr = JoinGroup(book, parent, created);
  if (FAILED(hr) && !library_->rollbackAddressBook) {
    // A new record whose first write failed would be an empty entry in the book: it goes again (a
    // library that rolls back drops it with the rest), and the key still names the template, so a later
    // save creates the entry afresh.
    STORE_DELETEPROPS* deleteProps = library_->LookUpDeleteProps();
    if (deleteProps) deleteProps(book.Handle(), 0, book.Status(), created.recordId);
  }
  if (SUCCEEDED(hr)) hr = book.Commit();
  if (FAILED(hr)) return hr;
  key = created;
  ForgetChanges();
  return S_OK;
}

// The stored entry, read again in this opening, with this object's changes applied.
HRESULT StoreLink::SaveStored(OpenedBook& book, const EntryKey& key, const EntryKey& parent) {
  if (!WritesOwnRecord(key, parent)) {
    HRESULT hr = WriteMemberSelection(book, key, parent, props_, changedFields_);
    if (SUCCEEDED(hr)) hr = book.Commit();
    if (SUCCEEDED(hr)) ForgetChanges();
    return hr;
  }
  // The object's own properties in their order, then the fields as stored now, then the fields this
  // object changed over them.
  PropList merged, stored;
  HRESULT hr = S_OK;
  for (PropElement* element = props_.First(); SUCCEEDED(hr) && element; element = element->next)
    if (FieldIndexForProperty(element->value.ulPropTag) < 0) hr = merged.AppendProp(element->value);
  if (SUCCEEDED(hr)) hr = ReadPropertiesIn(book, key, stored, nullptr);
  for (PropElement* element = stored.First(); SUCCEEDED(hr) && element; element = element->next)
    hr = merged.SetProp(element->value);
  for (PropElement* element = props_.First(); SUCCEEDED(hr) && element; element = element->next) {
    int field = FieldIndexForProperty(element->value.ulPropTag);
    if (field >= 0 && (changedFields_ >> field & 1)) hr = merged.SetProp(element->value);
  }
  bool isGroup = key.typeWord == kEntryTypeGroup;
  MemberList members;
  if (SUCCEEDED(hr) && isGroup) hr = ReadMemberKeysIn(book, key, members);
  for (ULONG i = 0; SUCCEEDED(hr) && i < removed_.Count(); ++i)
    members.RemoveMember(removed_.At(i));
  for (ULONG i = 0; SUCCEEDED(hr) && i < added_.Count(); ++i)
    if (!members.AddMember(added_.At(i))) hr = E_OUTOFMEMORY;
  if (SUCCEEDED(hr)) hr = WriteOwnRecord(book, key, merged, isGroup ? &members : nullptr);
  if (SUCCEEDED(hr)) hr = book.Commit();
  if (FAILED(hr)) return hr;
  props_.Swap(merged);
  if (isGroup) {
    members_.Swap(members);
    membersRead_ = S_OK;
  }
  ForgetChanges();
  return S_OK;
}

void StoreLink::NoteChanged(ULONG tag) {
  int field = FieldIndexForProperty(tag);
  if (field >= 0) changedFields_ |= 1u << field;
}

bool StoreLink::NoteMemberAdded(const EntryKey& key) {
  removed_.RemoveMember(key);
  return added_.AddMember(key);
}

bool StoreLink::NoteMemberRemoved(const EntryKey& key) {
  added_.RemoveMember(key);
  return removed_.AddMember(key);
}

void StoreLink::ForgetChanges() {
  changedFields_ = 0;
  added_.Clear();
  removed_.Clear();
}

HRESULT ContainerReader::Open(const EntryKey& container) {
  HRESULT hr = book_.Open();
  if (FAILED(hr)) return hr;
  isGroup_ = container.typeWord == kEntryTypeGroup;
  if (isGroup_) groupRead_ = group_.Read(book_, container.recordId);
  return S_OK;
}

HRESULT ContainerReader::Read(const EntryKey& key, PropList& list) {
  if (key.typeWord == kEntryTypeRoot) return S_OK;
  if (IsTemplateRecord(key.recordId)) return MAPI_E_NOT_FOUND;
  HRESULT hr = ReadPropertiesIn(book_, key, list, nullptr);
  if (FAILED(hr) || !isGroup_) return hr;
  if (FAILED(groupRead_)) return groupRead_;
  return BlankUnchosenBlocks(group_, key, list);
}

} // namespace abk
