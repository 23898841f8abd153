// The library's process-wide state: one parsed copy of each book, shared by every handle on its path, and
// the table that turns 32-bit handles into books. One lock serialises every call into the library.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "book_file.h"

namespace bkconv {

class Registry {
public:
  static Registry& Instance();
  std::mutex& Lock() { return mutex_; }

  // Opens the book at path, making an empty one when there is none, and hands out a handle.
  ULONG Open(const std::string& path, ULONG* handle);
  // The book behind a handle; null for one that is not open (never opened, closed, or made up).
  CachedBook* Find(ULONG handle);
  bool Close(ULONG handle);

private:
  struct Slot {
    std::shared_ptr<CachedBook> book;
    ULONG generation = 0;
  };
  void Trim();

  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<CachedBook>> books_;
  std::vector<Slot> slots_;
  uint64_t clock_ = 0;
};

} // namespace bkconv
