// Handles and the cache of parsed books.
#include "registry.h"

namespace bkconv {
namespace {

// A handle is (generation << 16) | (slot + 1). The generation changes each time a slot is reused, so a
// handle kept after CloseAddressBook names nothing rather than someone else's book; it stays below
// 0x8000, so no handle is 0xFFFFFFFF, the failure value of OpenAddressBook, and none is 0.
constexpr size_t kMaxSlots = 0xFFFF;
constexpr ULONG kMaxGeneration = 0x7FFF;

// Books without an open handle stay parsed, since the provider opens and closes around every single
// operation; a few are kept, the most recently used.
constexpr size_t kKeptClosedBooks = 4;

} // namespace

Registry& Registry::Instance() {
  static Registry registry;
  return registry;
}

ULONG Registry::Open(const std::string& path, ULONG* handle) {
  std::shared_ptr<CachedBook>& slotBook = books_[path];
  if (!slotBook) {
    slotBook = std::make_shared<CachedBook>();
    slotBook->path = path;
  }
  std::shared_ptr<CachedBook> book = slotBook;
  ULONG status = RefreshBook(*book);
  if (status == kBookMissing) status = CreateBook(*book);
  if (status) {
    if (book->handles == 0 && !book->loaded) books_.erase(path);
    return status;
  }

  size_t index = 0;
  while (index < slots_.size() && slots_[index].book)
    ++index;
  if (index == kMaxSlots) return STORE_STATUS_DISK_ERROR;
  if (index == slots_.size()) slots_.emplace_back();
  Slot& slot = slots_[index];
  slot.generation = slot.generation % kMaxGeneration + 1;
  slot.book = book;
  book->handles += 1;
  book->lastUse = ++clock_;
  *handle = (slot.generation << 16) | static_cast<ULONG>(index + 1);
  return 0;
}

CachedBook* Registry::Find(ULONG handle) {
  size_t index = handle & 0xFFFF;
  if (index == 0 || index > slots_.size()) return nullptr;
  Slot& slot = slots_[index - 1];
  if (!slot.book || slot.generation != handle >> 16) return nullptr;
  return slot.book.get();
}

bool Registry::Close(ULONG handle) {
  CachedBook* book = Find(handle);
  if (!book) return false;
  book->handles -= 1;
  book->lastUse = ++clock_;
  slots_[(handle & 0xFFFF) - 1].book.reset();
  Trim();
  return true;
}

void Registry::Trim() {
  for (;;) {
    size_t closed = 0;
    auto oldest = books_.end();
    for (auto it = books_.begin(); it != books_.end(); ++it) {
      if (it->second->handles) continue;
      ++closed;
      if (oldest == books_.end() || it->second->lastUse < oldest->second->lastUse) oldest = it;
    }
    if (closed <= kKeptClosedBooks) return;
    books_.erase(oldest);
  }
}

} // namespace bkconv
