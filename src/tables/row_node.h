// A stored table row: one host block holding the row header, the table's bookkeeping and the values.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace abk {

// One block from the host's AllocateBuffer; the values' strings and binaries are chained to it with
// AllocateMore, so a single FreeBuffer releases the whole row.
struct RowNode {
  SRow row;              // ulAdrEntryPad, cValues, lpProps (pointing at the values inside this block)
  const SPropValue* key; // the row's first value carrying the index tag; null when it has none
  RowNode* nextInBucket; // chain of the index's hash bucket
  ULONG hash;            // hash of the key, kept so that growing the index needs no rehashing
  ULONG slot;            // where the row index keeps it (see RowIndex)
};

// Fills values[i] for each tag: a deep copy of the first source value carrying exactly that tag, or the
// not-found error value. Returns the first copy failure, else the last fill's result (S_OK, or
// MAPI_W_ERRORS_RETURNED when the last tag was missing).
HRESULT ProjectValues(const SPropValue* source, ULONG sourceCount, const ULONG* tags, ULONG tagCount,
                      SPropValue* values, void* parent);

// Builds a node for the given row projected onto the columns; key is looked up with indexTag. On
// failure nothing is left allocated.
HRESULT BuildRowNode(const SRow& given, const SPropTagArray& columns, ULONG indexTag, RowNode** node);

// A copy of a stored row in one host block: the SRow header followed by its values, for the caller to
// free with one FreeBuffer.
HRESULT CopyRowOut(const SRow& stored, const SPropTagArray& columns, LPSRow* copy);

void FreeRowNode(RowNode* node);

} // namespace abk
