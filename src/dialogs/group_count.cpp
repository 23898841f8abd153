// The group graph the dialogs count from: the provider's own contents tables of the book and its groups.
#include <new>

#include "dialogs/dialog_common.h"
#include "dialogs/group_rules.h"
#include "provider/session.h"
#include "resources/resource.h"

namespace abk {

namespace {

MemberKind KindOf(const BYTE* entryId) {
  ULONG type = TypeWordOf(entryId);
  if (type == kEntryTypePerson) return MemberKind::kPerson;
  if (type == kEntryTypeGroup) return MemberKind::kGroup;
  return MemberKind::kOther;
}

// A group the book lists but that does not open as an entry (a record a host saved without any field):
// it has no members to count, and it must not stop every other group from being saved.
bool IsUnopenable(AddressBookSession* session, const BYTE* id) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  HRESULT hr =
      session->OpenEntry(kEntryIdSize, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id)), nullptr, 0, &type, &object);
  if (object) object->Release();
  return hr == MAPI_E_NOT_FOUND;
}

} // namespace

ULONG RecordOfEntry(const BYTE* entryId) { return entryId ? EntryKeyOf(entryId).recordId : kNoEditedGroup; }

void ShowGroupMessage(HWND dialog, HINSTANCE instance, UINT textId, UINT icon) {
  ShowStringMessage(dialog, instance, textId, IDS_MESSAGE_CAPTION, MB_OK | icon);
}

BookGroupGraph::BookGroupGraph(AddressBookSession* session, const SRowSet* bookRows, const BYTE* edited)
    : session_(session), listed_(bookRows != nullptr), edited_(RecordOfEntry(edited)) {
  try {
    for (ULONG i = 0; bookRows && i < bookRows->cRows; ++i) {
      const BYTE* id = RowEntryId(bookRows->aRow[i]);
      if (!id || KindOf(id) != MemberKind::kGroup) continue;
      ULONG record = RecordOfEntry(id);
      if (record == edited_ || groups_.count(record)) continue;
      groups_[record].entryId = id;
      order_.push_back(record);
    }
  } catch (const std::bad_alloc&) {
    complete_ = false;
  }
}

BookGroupGraph::~BookGroupGraph() {
  for (LPSRowSet rows : readRows_)
    FreeRowSet(rows);
}

GraphMember BookGroupGraph::Member(const BYTE* entryId, ULONG flags) {
  GraphMember member;
  member.record = RecordOfEntry(entryId);
  member.kind = KindOf(entryId);
  member.numbers = flags & (kItemPrimaryFax | kItemSecondaryFax);
  if (member.kind != MemberKind::kGroup || listed_) return member;
  try {
    Group& group = groups_[member.record];
    if (!group.entryId) group.entryId = entryId;
  } catch (const std::bad_alloc&) {
    complete_ = false;
  }
  return member;
}

bool BookGroupGraph::Read(Group& group) {
  LPSRowSet rows = nullptr;
  if (!ReadContainerRows(session_, kEntryIdSize, reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(group.entryId)), 0,
                         &rows)) {
    if (!IsUnopenable(session_, group.entryId)) return false;
    group.read = true;
    return true;
  }
  try {
    readRows_.push_back(rows);
  } catch (const std::bad_alloc&) {
    FreeRowSet(rows);
    return false;
  }
  for (ULONG i = 0; rows && i < rows->cRows; ++i) {
    const BYTE* id = RowEntryId(rows->aRow[i]);
    if (!id) continue;
    GraphMember member = Member(id, MemberRowFlags(rows->aRow[i]));
    try {
      group.members.push_back(member);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (!complete_) return false;
  group.read = true;
  return true;
}

bool BookGroupGraph::MembersOf(ULONG record, MemberSpan* members) {
  *members = {};
  // The edited group's stored members are about to be replaced: they count nothing.
  if (listed_ && record == edited_) return true;
  auto found = groups_.find(record);
  if (found == groups_.end()) return true;
  Group& group = found->second;
  if (!group.read && !Read(group)) return false;
  members->items = group.members.data();
  members->count = group.members.size();
  return true;
}

} // namespace abk
