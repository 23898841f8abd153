// Bracketing several provider operations in one opening of the book.
#include "host/book_transaction.h"

namespace host {

namespace {

template <class T> T* Export(HMODULE module, const char* name) {
  return module ? reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

} // namespace

BookTransaction::~BookTransaction() {
  if (handle_ == STORE_BAD_HANDLE) return;
  ULONG status = 0;
  if (!committed_) Export<STORE_ROLLBACKADDRESSBOOK>(module_, "RollbackAddressBook")(handle_, &status);
  Export<STORE_CLOSEADDRESSBOOK>(module_, "CloseAddressBook")(handle_);
}

bool BookTransaction::Begin(ULONG* status) {
  // The library the session loaded; one without transactions brackets nothing.
  module_ = GetModuleHandleA("BKCONV.DLL");
  auto* open = Export<STORE_OPENADDRESSBOOK>(module_, "OpenAddressBook");
  if (!open || !Export<STORE_COMMITADDRESSBOOK>(module_, "CommitAddressBook") ||
      !Export<STORE_ROLLBACKADDRESSBOOK>(module_, "RollbackAddressBook"))
    return true;
  *status = 0;
  handle_ = open(path_.empty() ? nullptr : path_.c_str(), status);
  return handle_ != STORE_BAD_HANDLE;
}

bool BookTransaction::Commit(ULONG* status) {
  committed_ = true;
  if (handle_ == STORE_BAD_HANDLE) return true;
  *status = 0;
  return Export<STORE_COMMITADDRESSBOOK>(module_, "CommitAddressBook")(handle_, status) != 0;
}

} // namespace host
