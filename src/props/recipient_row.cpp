// Filling a recipient row with an entry's values, for PrepareRecips and ResolveNames.
#include "props/recipient_row.h"

#include <cstring>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/module_state.h"

namespace abk {

static bool IsOutOfMemory(HRESULT hr) { return hr == E_OUTOFMEMORY || hr == MAPI_E_NOT_ENOUGH_MEMORY; }

HRESULT RebuildRecipientRow(ADRENTRY& row, LPSPropTagArray tags, PropList& stored) {
  ULONG oldCount = row.cValues;
  LPSPropValue old = row.rgPropVals;
  ULONG capacity = tags->cValues + oldCount;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(capacity * sizeof(SPropValue), &block);
  if (FAILED(hr)) return hr;
  auto* values = static_cast<LPSPropValue>(block);
  memset(values, 0, capacity * sizeof(SPropValue));

  // Values of the old row that have been moved into the new one.
  bool droppedSmall[64] = {};
  bool* dropped = droppedSmall;
  bool* droppedHeap = nullptr;
  if (oldCount > 64) {
    droppedHeap = static_cast<bool*>(HeapAllocate(oldCount * sizeof(bool)));
    if (!droppedHeap) {
      FreeBuffer(block);
      return E_OUTOFMEMORY;
    }
    memset(droppedHeap, 0, oldCount * sizeof(bool));
    dropped = droppedHeap;
  }

  // Running out of memory fails the row whole and leaves it as it was: a row handed back with a value
  // missing would read as an entry without it.
  ULONG next = 0;
  for (ULONG t = 0; SUCCEEDED(hr) && t < tags->cValues; ++t) {
    ULONG tag = tags->aulPropTag[t];
    const SPropValue* own = FindPropValue(old, oldCount, tag);
    ULONG ownIndex = own ? static_cast<ULONG>(own - old) : 0;
    SPropValue& value = values[next++];
    PropElement* element = stored.TakeProp(tag);
    if (element) {
      hr = CopyStoredValue(*element, block, &value);
      PropList::FreeElement(element);
      if (own) dropped[ownIndex] = true;
      continue;
    }
    // A tag asked for again finds the row's value taken already: it gets an error value like any tag the
    // row does not hold.
    if (own && !dropped[ownIndex]) {
      HRESULT copied = CopyPropValue(&value, own, block);
      if (SUCCEEDED(copied)) {
        dropped[ownIndex] = true;
        continue;
      }
      if (IsOutOfMemory(copied)) hr = copied;
    }
    memset(&value, 0, sizeof value);
    MakeNotFoundValue(&value, tag);
  }
  for (ULONG i = 0; SUCCEEDED(hr) && i < oldCount; ++i) {
    if (dropped[i]) continue;
    HRESULT copied = CopyPropValue(&values[next], &old[i], block);
    if (IsOutOfMemory(copied)) hr = copied;
    if (FAILED(copied)) MakeNotFoundValue(&values[next], old[i].ulPropTag);
    ++next;
  }
  HeapFree(droppedHeap);
  if (FAILED(hr)) {
    FreeBuffer(block);
    return hr;
  }

  FreeBuffer(old);
  row.rgPropVals = values;
  row.cValues = next;
  return S_OK;
}

} // namespace abk
