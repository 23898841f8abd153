// Filling a recipient row with an entry's values, for PrepareRecips and ResolveNames.
#include "props/recipient_row.h"

#include <cstring>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/module_state.h"

namespace abk {

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

  ULONG next = 0;
  for (ULONG t = 0; t < tags->cValues; ++t) {
    ULONG tag = tags->aulPropTag[t];
    const SPropValue* own = FindPropValue(old, oldCount, tag);
    ULONG ownIndex = own ? static_cast<ULONG>(own - old) : 0;
    SPropValue& value = values[next++];
    PropElement* element = stored.TakeProp(tag);
    if (element) {
      if (FAILED(CopyStoredValue(*element, block, &value))) {
        memset(&value, 0, sizeof value);
        value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
        value.Value.err = E_OUTOFMEMORY;
      }
      PropList::FreeElement(element);
      if (own) dropped[ownIndex] = true;
      continue;
    }
    // A tag asked for again finds the row's value taken already: it gets an error value like any tag the
    // row does not hold.
    if (own && !dropped[ownIndex] && SUCCEEDED(CopyPropValue(&value, own, block))) {
      dropped[ownIndex] = true;
      continue;
    }
    memset(&value, 0, sizeof value);
    MakeNotFoundValue(&value, tag);
  }
  for (ULONG i = 0; i < oldCount; ++i) {
    if (dropped[i]) continue;
    if (FAILED(CopyPropValue(&values[next], &old[i], block))) MakeNotFoundValue(&values[next], old[i].ulPropTag);
    ++next;
  }
  HeapFree(droppedHeap);

  FreeBuffer(old);
  row.rgPropVals = values;
  row.cValues = next;
  return S_OK;
}

} // namespace abk
