// Property values and tag arrays built from fuzz input, every byte they point to in the host block
// chain of a parent block, so one HostFreeBuffer of the parent frees them.
#pragma once

#include "fuzz/fuzz_input.h"
#include "platform/platform.h"

namespace abkfuzz {

// A tag: a property id the provider knows (or any), with the type it should have (or any).
ULONG FuzzTag(FuzzInput& in);
// Fills value with a value of its tag's type; pointers go to blocks chained to parent. Returns false
// when the host refused memory (the value is then PT_NULL).
bool FuzzValue(FuzzInput& in, void* parent, SPropValue& value);
// count values in one new host block; null when the host refused memory.
LPSPropValue FuzzValues(FuzzInput& in, ULONG count);
// A tag array of count tags in a new host block; null when the host refused memory.
LPSPropTagArray FuzzTags(FuzzInput& in, ULONG count);

} // namespace abkfuzz
