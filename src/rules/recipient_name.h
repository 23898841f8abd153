// The recipient name the person dialog builds from the name parts, for every place that builds one.
#pragma once

#include <cstddef>

namespace abk {

// Joins the non-empty parts (prefix, first, last, suffix) with single spaces into out (outSize bytes, at
// least 1), cutting the result to what fits. Null parts count as empty.
void ComposeRecipientName(const char* prefix, const char* first, const char* last, const char* suffix, char* out,
                          size_t outSize);

} // namespace abk
