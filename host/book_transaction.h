// One opening of the book through the store library that the provider loaded. The provider's own
// openings of the book on this thread join it, so what the provider writes between Begin and Commit is
// one transaction: one flush, and all of it or nothing. With a store library that has no transactions,
// nothing is bracketed and every save of the provider stands on its own.
#pragma once

#include <string>

#include "platform/platform.h"
#include "store/store_abi.h"

namespace host {

class BookTransaction {
public:
  // The book the provider's session uses: its path, or empty for the user's default book.
  explicit BookTransaction(const std::string& bookPath) : path_(bookPath) {}
  ~BookTransaction(); // drops what was not committed
  BookTransaction(const BookTransaction&) = delete;
  BookTransaction& operator=(const BookTransaction&) = delete;

  // False when the book cannot be opened; status then holds the store's word.
  bool Begin(ULONG* status);
  bool Commit(ULONG* status);

private:
  std::string path_;
  HMODULE module_ = nullptr;
  ULONG handle_ = STORE_BAD_HANDLE;
  bool committed_ = false;
};

} // namespace host
