// Where the current user's default book lives: a null or empty path given to OpenAddressBook means it.
#pragma once

#include <string>

#include "store/store_abi.h"

namespace bkconv {

constexpr char kDefaultBookName[] = "default.adr";
constexpr char kDefaultCsvName[] = "default.csv";

// The default book's path, its folders made if missing; empty with a status word when neither can be had.
std::string DefaultBookPath(ULONG* status);

} // namespace bkconv
