// Adding entries to a container and deleting them: a group gains and loses members, the root container
// loses entries of the address book.
#include <cstring>
#include <vector>

#include "props/ab_container.h"
#include "provider/host_input.h"
#include "provider/scoped_lock.h"
#include "provider/session.h"
#include "store/store_records.h"

namespace abk {

namespace {

// An identifier the container can take: one of this service's persons or groups, 40 readable bytes.
// Anything shorter is refused without being read.
bool IsUsableEntry(AddressBookSession& session, const SBinary& id, ULONG* kind) {
  if (id.cb < kEntryIdSize || IsBadReadPtr(id.lpb, kEntryIdSize)) return false;
  *kind = ClassifyEntryId(session, id.cb, id.lpb);
  if (*kind & (kEntryTypeForeign | kEntryTypeTemplateBit)) return false;
  return true;
}

} // namespace

HRESULT STDMETHODCALLTYPE ABContainer::CopyEntries(LPENTRYLIST lpEntries, ULONG, LPMAPIPROGRESS, ULONG) {
  if (!ReadableEntryList(lpEntries)) return E_INVALIDARG;
  bool refused = false;
  EntryKey self = OwnKey();
  {
    ScopedLock container(containerLock_);
    for (ULONG i = 0; i < lpEntries->cValues; ++i) {
      ULONG kind = 0;
      const SBinary& id = lpEntries->lpbin[i];
      if (!IsUsableEntry(Session(), id, &kind) ||
          (ObjectTypeOf(kind) != kEntryTypePerson && ObjectTypeOf(kind) != kEntryTypeGroup)) {
        refused = true;
        continue;
      }
      EntryKey key = EntryKeyOf(id.lpb);
      // A group never becomes a member of itself.
      if (key.recordId == self.recordId && key.typeWord == self.typeWord) {
        refused = true;
        continue;
      }
      // The member list is also read by SaveChanges under the property lock (taken after ours). The save
      // adds just these to the group as stored then.
      ScopedLock props(PropLock());
      if (Link().Members().AddMember(key) && Link().NoteMemberAdded(key))
        MarkModified();
      else
        refused = true;
    }
  }
  // One transaction: the group as stored then, with these added. The save tells the advise sinks, so it
  // runs outside the container's lock.
  OpenedBook book(Link().Library(), OpenedBook::kWriting);
  HRESULT hr = book.Open();
  if (SUCCEEDED(hr)) hr = SaveChanges(0);
  if (SUCCEEDED(hr)) hr = book.Commit();
  if (FAILED(hr) || refused) return MAPI_W_PARTIAL_COMPLETION;
  return hr;
}

HRESULT STDMETHODCALLTYPE ABContainer::DeleteEntries(LPENTRYLIST lpEntries, ULONG) {
  if (!ReadableEntryList(lpEntries)) return E_INVALIDARG;
  bool problem = false;
  bool changed = false;
  EntryKey self = OwnKey();
  {
    ScopedLock container(containerLock_);
    // Every deletion is one transaction; the contents table follows the book once it is written.
    OpenedBook book(Link().Library(), OpenedBook::kWriting);
    HRESULT hr = book.Open();
    std::vector<ULONG> gone;
    HRESULT firstRefusal = S_OK;
    for (ULONG i = 0; SUCCEEDED(hr) && i < lpEntries->cValues; ++i) {
      ULONG kind = 0;
      const SBinary& id = lpEntries->lpbin[i];
      if (!IsUsableEntry(Session(), id, &kind)) {
        problem = true;
        continue;
      }
      EntryKey key = EntryKeyOf(id.lpb);
      if (self.typeWord == kEntryTypeRoot) {
        // The entry leaves the address book. One that is gone already is reported as a partial
        // completion; any other failure ends the whole deletion, which then changes nothing.
        HRESULT deleted = DeleteEntry(Link().Library(), key);
        if (deleted == MAPI_E_NOT_FOUND) {
          problem = true;
          if (SUCCEEDED(firstRefusal)) firstRefusal = deleted;
          continue;
        }
        if (FAILED(deleted)) {
          hr = deleted;
          break;
        }
      } else if (self.typeWord == kEntryTypeGroup) {
        bool noted = false;
        {
          ScopedLock props(PropLock());
          Link().Members().RemoveMember(key); // the entry stays in the address book
          noted = Link().NoteMemberRemoved(key);
        }
        if (!noted) {
          hr = E_OUTOFMEMORY;
          break;
        }
      }
      gone.push_back(key.recordId);
    }
    if (SUCCEEDED(hr) && self.typeWord == kEntryTypeGroup) {
      EntryKey parent = ParentKey();
      ScopedLock props(PropLock());
      hr = Link().SaveEntry(self, parent); // the shortened member list
    }
    if (SUCCEEDED(hr)) hr = book.Commit();
    // A refusal inside spoils the whole transaction: it, rather than the commit, says why.
    if (FAILED(hr)) return FAILED(firstRefusal) ? firstRefusal : hr;
    for (ULONG recordId : gone) {
      if (!contents_) break;
      SPropValue index{};
      index.ulPropTag = PR_INSTANCE_KEY;
      index.Value.bin = {sizeof(ULONG), reinterpret_cast<LPBYTE>(&recordId)};
      if (FAILED(contents_->HrDeleteRow(&index))) problem = true;
    }
    changed = !gone.empty();
  }
  // The advise sinks hear of it with the container's lock released.
  if (changed) NotifyModified();
  return problem ? MAPI_W_PARTIAL_COMPLETION : S_OK;
}

} // namespace abk
