// SalvageAddressBook: reading every committed transaction a damaged book still holds, and, to repair it,
// writing them as the book while the damaged file is kept aside, untouched.
#pragma once

#include <string>

#include "store/store_abi.h"

namespace bkconv {

// Fills report; 0 or a status word (the book could not be read at all, or not be rewritten).
ULONG SalvageBook(const std::string& path, bool repair, StoreSalvageReport* report);

} // namespace bkconv
