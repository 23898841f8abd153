// Building, classifying and comparing entry identifiers. Every field is read and written with memcpy:
// the host's blocks carry no alignment promise.
#include "provider/entry_id.h"

#include <cstring>

#include "provider/module_state.h"
#include "provider/session.h"

namespace abk {

HRESULT MakeEntryId(const AddressBookSession& session, ULONG flags, ULONG recordId, ULONG typeWord,
                    const void* sourceEntryId, LPENTRYID* result) {
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(kEntryIdSize, &block);
  if (FAILED(hr)) return hr;

  ProviderEntryId id;
  memset(&id, 0, sizeof id);
  memcpy(&id.serviceUid, &session.ServiceUid(), sizeof id.serviceUid);
  memcpy(id.flags, &flags, sizeof id.flags);
  if (sourceEntryId) id.parent = EntryKeyOf(sourceEntryId);
  id.self.recordId = recordId;
  id.self.typeWord = typeWord;

  memcpy(block, &id, sizeof id);
  *result = static_cast<LPENTRYID>(block);
  return S_OK;
}

static bool CarriesServiceUid(const AddressBookSession& session, const void* entryId) {
  return memcmp(static_cast<const BYTE*>(entryId) + offsetof(ProviderEntryId, serviceUid), &session.ServiceUid(),
                sizeof(MAPIUID)) == 0;
}

bool IsOwnEntryId(const AddressBookSession& session, ULONG size, const void* entryId) {
  if (size < kEntryIdSize || !entryId) return false;
  if (IsBadReadPtr(entryId, size)) return false;
  return CarriesServiceUid(session, entryId);
}

ULONG ClassifyEntryId(const AddressBookSession& session, ULONG size, const void* entryId) {
  if (size == 0 || !entryId) return kEntryTypeRoot;
  // Anything shorter than a whole identifier cannot be ours, and is never read past its length.
  if (size < kEntryIdSize || IsBadReadPtr(entryId, kEntryIdSize)) return kEntryTypeForeign;
  if (!CarriesServiceUid(session, entryId)) return kEntryTypeForeign;
  return EntryKeyOf(entryId).typeWord;
}

ULONG SameEntry(const void* entryId1, const void* entryId2) {
  const BYTE* a = static_cast<const BYTE*>(entryId1);
  const BYTE* b = static_cast<const BYTE*>(entryId2);
  if (memcmp(a + offsetof(ProviderEntryId, self), b + offsetof(ProviderEntryId, self), sizeof(EntryKey)) != 0) return 0;
  if (memcmp(a + offsetof(ProviderEntryId, serviceUid), b + offsetof(ProviderEntryId, serviceUid), sizeof(MAPIUID)) !=
      0)
    return 0;
  return 1;
}

EntryKey EntryKeyOf(const void* entryId) {
  EntryKey key;
  memcpy(&key, static_cast<const BYTE*>(entryId) + offsetof(ProviderEntryId, self), sizeof key);
  return key;
}

EntryKey ParentKeyOf(const void* entryId) {
  EntryKey key;
  memcpy(&key, static_cast<const BYTE*>(entryId) + offsetof(ProviderEntryId, parent), sizeof key);
  return key;
}

} // namespace abk
