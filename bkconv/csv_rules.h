// The group rules the provider's dialogs keep, applied to the entries of a CSV book before it is taken in:
// no group containing itself, at most 256 member-list entries and 256 individual entries through nested
// groups, at most 3,000 entries.
#pragma once

#include <string>
#include <vector>

#include "csv_reader.h"

namespace bkconv {

// The problem of each entry that breaks a rule, by entry index; empty texts where none is broken. A problem
// of the whole file (too many entries) comes first, at index entries.size().
std::vector<std::string> CheckGroupRules(const std::vector<CsvEntry>& entries);

} // namespace bkconv
