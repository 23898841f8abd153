// CnvAddressBook: takes a plain CSV book, found beside the user's default book, into that book in one
// atomic rewrite, then renames the CSV aside. docs/store-format.md describes the columns.
#pragma once

#include "store/store_abi.h"

namespace bkconv {

// The number of entries taken in; 0 when there is nothing to convert or on failure, which sets *status.
ULONG ImportDefaultCsv(ULONG* status);

} // namespace bkconv
