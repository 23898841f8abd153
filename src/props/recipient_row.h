// Recipient rows (ADRENTRY) filled with an entry's values: the rows PrepareRecips and ResolveNames hand
// back.
#pragma once

#include "platform/platform.h"
#include "props/prop_list.h"

namespace abk {

// The most columns a recipient row is filled with: more is no real request.
constexpr ULONG kMaxRecipientTags = 0xFFFF;

// Rebuilds one recipient row: the requested tags first (the entry's stored value, else the row's own),
// then the row's other values in their order. The old value array is freed and replaced; when memory runs
// out the row is left as it was and the failure returned.
HRESULT RebuildRecipientRow(ADRENTRY& row, LPSPropTagArray tags, PropList& stored);

} // namespace abk
