// Small helpers for reading and setting properties of the provider's objects in tests, and for
// giving each test a book file of its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace abktest {

// A string property read back from an object, "(missing)" when it is not there.
std::string ReadString(IMAPIProp* object, ULONG tag);
// Sets string properties on an object.
HRESULT SetStrings(IMAPIProp* object, const std::vector<std::pair<ULONG, std::string>>& values);

// A fresh, not yet existing book path in the temporary folder, unique to the running test.
std::string NewBookPath();

} // namespace abktest
