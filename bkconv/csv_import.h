// CnvAddressBook: takes a plain CSV book, found beside the user's default book, into that book in one
// transaction, then renames the CSV aside. docs/store-format.md describes the columns.
#pragma once

#include <mutex>

#include "store/store_abi.h"

namespace bkconv {

// The number of entries taken in; 0 when there is nothing to convert or on failure, which sets *status.
// hold is the caller's lock of the library's mutex.
ULONG ImportDefaultCsv(std::unique_lock<std::mutex>& hold, ULONG* status);

} // namespace bkconv
