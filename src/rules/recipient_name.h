// The recipient name the person dialog builds from the name parts, for every place that builds one.
#pragma once

#include <cstddef>
#include <string>

namespace abk {

// Joins the non-empty parts (prefix, first, last, suffix) with single spaces into out (outSize bytes, at
// least 1), cutting the result to what fits. Null parts count as empty.
void ComposeRecipientName(const char* prefix, const char* first, const char* last, const char* suffix, char* out,
                          size_t outSize);
// The same, whole: for names read from a file, which are checked for length where they are stored.
std::string ComposeRecipientName(const std::string& prefix, const std::string& first, const std::string& last,
                                 const std::string& suffix);

} // namespace abk
