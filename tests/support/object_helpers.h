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

// Points the user's default-book folder at a private folder for the life of the object, and removes it
// afterwards. Folder() is where the store library keeps the default book (and looks for a CSV book).
class DefaultBookHome {
public:
  DefaultBookHome();
  ~DefaultBookHome();
  std::string Folder() const;
  // Writes a CSV book beside the default book, for the store library's conversion.
  void WriteCsvBook(const std::string& text) const;

private:
  std::string home_;
};

// A fresh, not yet existing book path in the temporary folder, unique to the running test.
std::string NewBookPath();

} // namespace abktest
