// Helpers on single property values shared by the session, the entry objects and the tables.
#pragma once

#include "platform/platform.h"

namespace abk {

// Deep copy of one value; the pointed-to bytes go in a block chained to parent with AllocateMore.
HRESULT CopyPropValue(SPropValue* destination, const SPropValue* source, void* parent);

// The first value whose tag equals the tag in all 32 bits, or null.
const SPropValue* FindPropValue(const SPropValue* values, ULONG count, ULONG tag);

// Orders two values of one type; 0 means equal. Floating-point values that differ by less than 1
// compare equal, NaN equals only NaN; unknown types always compare equal.
LONG ComparePropValues(const SPropValue* a, const SPropValue* b, ULONG type);

// The not-found error form of a tag; returns MAPI_W_ERRORS_RETURNED.
HRESULT MakeNotFoundValue(SPropValue* destination, ULONG tag);

// Length in bytes of a wide string including its two-byte terminator.
size_t WideStringBytes(const WCHAR* text);

} // namespace abk
