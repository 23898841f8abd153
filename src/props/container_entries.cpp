// Adding entries to a container and deleting them: a group gains and loses members, the root container
// loses entries of the address book.
#include <cstring>

#include "props/ab_container.h"
#include "provider/session.h"

namespace {

// An identifier the container can take: one of this service's persons or groups, 40 readable bytes.
// Anything shorter is refused without being read.
bool IsUsableEntry(AddressBookSession& session, const SBinary& id, ULONG* kind) {
  if (id.cb < ENTRYID_SIZE || !id.lpb || IsBadReadPtr(id.lpb, ENTRYID_SIZE)) return false;
  *kind = ClassifyEntryId(session, id.cb, id.lpb);
  if (*kind & (ENTRY_TYPE_FOREIGN | ENTRY_TYPE_TEMPLATE_BIT)) return false;
  return true;
}

bool IsReadableList(LPENTRYLIST list) {
  if (!list || IsBadReadPtr(list, sizeof *list)) return false;
  if (list->cValues && (!list->lpbin || IsBadReadPtr(list->lpbin, list->cValues * sizeof(SBinary)))) return false;
  return true;
}

} // namespace

HRESULT STDMETHODCALLTYPE ABContainer::CopyEntries(LPENTRYLIST lpEntries, ULONG, LPMAPIPROGRESS, ULONG) {
  if (!IsReadableList(lpEntries)) return E_INVALIDARG;
  LockContainer();
  bool refused = false;
  EntryKey self = OwnKey();
  for (ULONG i = 0; i < lpEntries->cValues; ++i) {
    ULONG kind = 0;
    const SBinary& id = lpEntries->lpbin[i];
    if (!IsUsableEntry(Session(), id, &kind) ||
        ((kind & 0xF) != ENTRY_TYPE_PERSON && (kind & 0xF) != ENTRY_TYPE_GROUP)) {
      refused = true;
      continue;
    }
    EntryKey key = EntryKeyOf(id.lpb);
    // A group never becomes a member of itself.
    if (key.recordId == self.recordId && key.typeWord == self.typeWord) {
      refused = true;
      continue;
    }
    // The member list is also read by SaveChanges under the property lock (taken after ours).
    LockProps();
    if (Link().Members().AddMember(key))
      MarkModified();
    else
      refused = true;
    UnlockProps();
  }
  HRESULT hr = SaveChanges(0);
  UnlockContainer();
  if (FAILED(hr) || refused) return MAPI_W_PARTIAL_COMPLETION;
  return hr;
}

HRESULT STDMETHODCALLTYPE ABContainer::DeleteEntries(LPENTRYLIST lpEntries, ULONG) {
  if (!IsReadableList(lpEntries)) return E_INVALIDARG;
  LockContainer();
  bool problem = false;
  ULONG deleted = 0;
  EntryKey self = OwnKey();
  for (ULONG i = 0; i < lpEntries->cValues; ++i) {
    ULONG kind = 0;
    const SBinary& id = lpEntries->lpbin[i];
    if (!IsUsableEntry(Session(), id, &kind)) {
      problem = true;
      continue;
    }
    EntryKey key = EntryKeyOf(id.lpb);
    if (contents_) {
      SPropValue index{};
      index.ulPropTag = PR_INSTANCE_KEY;
      index.Value.bin = {sizeof(ULONG), reinterpret_cast<LPBYTE>(&key.recordId)};
      if (FAILED(contents_->HrDeleteRow(&index))) problem = true;
    }
    if (self.typeWord == ENTRY_TYPE_ROOT) {
      // The entry leaves the address book. A deletion the store refused is reported as a partial
      // completion, as CopyEntries reports a write that failed: never as plain success.
      if (FAILED(DeleteEntry(Link().Library(), key))) problem = true;
    } else if (self.typeWord == ENTRY_TYPE_GROUP) {
      LockProps();
      Link().Members().RemoveMember(key); // the entry stays in the address book
      UnlockProps();
    }
    ++deleted;
  }
  if (self.typeWord == ENTRY_TYPE_GROUP) {
    EntryKey parent = ParentKey();
    LockProps();
    if (FAILED(Link().SaveEntry(self, parent))) problem = true; // the shortened member list
    UnlockProps();
  }
  if (deleted) NotifyModified();
  UnlockContainer();
  return problem ? MAPI_W_PARTIAL_COMPLETION : S_OK;
}
