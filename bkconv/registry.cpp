// Handles, the cache of parsed books, and the thread that has books open.
#include "registry.h"

#include <algorithm>
#include <chrono>

#ifndef _WIN32
#include <pthread.h>
#endif

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

// A path whose file keeps being replaced between the look and the lock is given up after this many tries.
constexpr int kReachAttempts = 8;

#ifndef _WIN32
// fork copies the library's state into the child as it was at that moment, another thread's open books
// included; the child holds none of the parent's locks (they belong to the process), so it starts afresh.
void BeforeFork() { Registry::Instance().Lock().lock(); }
void AfterForkInParent() { Registry::Instance().Lock().unlock(); }
#endif

} // namespace

Registry& Registry::Instance() {
  static Registry registry;
#ifndef _WIN32
  static bool forkWatched = [] {
    pthread_atfork(BeforeFork, AfterForkInParent, [] {
      Registry& child = Registry::Instance();
      child.ResetInChild();
      child.mutex_.unlock();
    });
    return true;
  }();
  (void)forkWatched;
#endif
  return registry;
}

void Registry::ResetInChild() {
  owner_ = std::thread::id();
  ownerHandles_ = 0;
  slots_.clear();
  for (auto& [identity, book] : books_) {
    book->depth = 0;
    book->spoiled = false;
    book->txn = Transaction();
    book->needsReload = true;
    book->file.Close();
  }
}

ULONG Registry::TakeOwnership(std::unique_lock<std::mutex>& hold, uint64_t deadline) {
  std::thread::id me = std::this_thread::get_id();
  while (owner_ != std::thread::id() && owner_ != me) {
    uint64_t now = MonotonicMilliseconds();
    if (now >= deadline) return STORE_STATUS_BUSY;
    released_.wait_for(hold, std::chrono::milliseconds(deadline - now));
  }
  owner_ = me;
  return 0;
}

void Registry::Recover() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (owner_ == std::this_thread::get_id()) ReleaseOwnershipIfIdle();
}

void Registry::ReleaseOwnershipIfIdle() {
  if (ownerHandles_ != 0) return;
  owner_ = std::thread::id();
  released_.notify_all();
}

ULONG Registry::LockWithin(std::unique_lock<std::mutex>& hold, CachedBook& book, uint64_t deadline) {
  unsigned pause = 1;
  for (;;) {
    OsError error = book.file.TryLock();
    if (error == OsError::None) return 0;
    if (error != OsError::Busy) return StatusOf(error);
    uint64_t now = MonotonicMilliseconds();
    if (now >= deadline) {
      Explain(book.path, "still in use by another process; given up waiting");
      return STORE_STATUS_BUSY;
    }
    // This thread owns the library's books meanwhile: other threads wait for it, not for the mutex.
    hold.unlock();
    Pause(static_cast<unsigned>(std::min<uint64_t>(pause, deadline - now)));
    hold.lock();
    pause = pause < 50 ? pause * 2 : 50;
  }
}

CachedBook& Registry::BookFor(const FileIdentity& identity) {
  std::unique_ptr<CachedBook>& book = books_[identity];
  if (!book) book = std::make_unique<CachedBook>();
  return *book;
}

void Registry::Rekey(CachedBook& book, const FileIdentity& before) {
  if (!book.keyValid || book.key.identity == before) return;
  auto node = books_.extract(before);
  if (node.empty() || node.mapped().get() != &book) {
    if (!node.empty()) books_.insert(std::move(node));
    return;
  }
  // A book cached earlier under the new identity is a file that no longer exists.
  auto stale = books_.find(book.key.identity);
  if (stale != books_.end()) {
    for (auto it = byPath_.begin(); it != byPath_.end();)
      it = it->second == stale->second.get() ? byPath_.erase(it) : std::next(it);
    books_.erase(stale);
  }
  node.key() = book.key.identity;
  books_.insert(std::move(node));
}

ULONG Registry::Settle(std::unique_lock<std::mutex>& hold, CachedBook& book, const std::string& path,
                       uint64_t deadline) {
  ULONG status = LockWithin(hold, book, deadline);
  if (status) return status;
  // The lock is on a file: the path must still name it once the lock is held (a compaction renames).
  FileKey now;
  OsError error = StatPath(path, &now);
  if (error != OsError::None || !(now.identity == book.key.identity)) {
    book.file.Unlock();
    return kFileMoved;
  }
  FileIdentity before = book.key.identity;
  status = Refresh(book, now);
  Rekey(book, before);
  if (status) book.file.Unlock();
  return status;
}

ULONG Registry::Reach(std::unique_lock<std::mutex>& hold, const std::string& path, uint64_t deadline,
                      CachedBook** found) {
  // A book this thread has open already, by this name or by another: the opening joins it.
  auto hint = byPath_.find(path);
  if (hint != byPath_.end() && hint->second->depth > 0) {
    *found = hint->second;
    return 0;
  }
  // The usual case: the file this path led to last is still open here. Lock it, then one file-status
  // call tells whether it is still the book and whether it changed.
  if (hint != byPath_.end() && hint->second->file.IsOpen() && hint->second->keyValid) {
    ULONG status = Settle(hold, *hint->second, path, deadline);
    if (status != kFileMoved) {
      if (!status) *found = hint->second;
      return status;
    }
  }

  FileKey key;
  OsError error = StatPath(path, &key);
  if (error == OsError::NotFound) {
    ULONG status = MakeBook(path);
    return status && status != kBookExists ? status : kFileMoved;
  }
  if (error == OsError::NotRegular) Explain(path, "not a regular file");
  if (error != OsError::None) return StatusOf(error);
  CachedBook& book = BookFor(key.identity);
  CachedBook* before = hint != byPath_.end() ? hint->second : nullptr;
  byPath_[path] = &book;
  // The file this path led to before was replaced: unless another name still leads to it, nothing will.
  if (before && before != &book) ForgetIfUnreached(before);
  if (book.depth > 0) {
    *found = &book;
    return 0;
  }
  ULONG status = AttachFile(book, path, key);
  if (status) return status;
  if (!book.keyValid) {
    // Nothing read yet: the identity is what the lock check compares with.
    book.key = key;
    book.keyValid = true;
    book.loaded = false;
  }
  status = Settle(hold, book, path, deadline);
  if (!status) *found = &book;
#ifdef _WIN32
  if (status) book.file.Close();
#endif
  return status;
}

ULONG Registry::Open(std::unique_lock<std::mutex>& hold, const std::string& path, ULONG* handle) {
  uint64_t deadline = LockDeadline();
  ULONG status = TakeOwnership(hold, deadline);
  if (status) return status;
  CachedBook* book = nullptr;
  status = kFileMoved;
  for (int attempt = 0; attempt < kReachAttempts && status == kFileMoved; ++attempt)
    status = Reach(hold, path, deadline, &book);
  if (status == kFileMoved) status = STORE_STATUS_DISK_ERROR;
  if (status) {
    ReleaseOwnershipIfIdle();
    return status;
  }

  size_t index = 0;
  while (index < slots_.size() && slots_[index].book)
    ++index;
  if (index == kMaxSlots) {
    if (book->depth == 0) Release(*book);
    ReleaseOwnershipIfIdle();
    return STORE_STATUS_DISK_ERROR;
  }
  if (index == slots_.size()) slots_.emplace_back();
  Slot& slot = slots_[index];
  slot.generation = slot.generation % kMaxGeneration + 1;
  slot.book = book;
  slot.changed = false;
  book->depth += 1;
  book->lastUse = ++clock_;
  ownerHandles_ += 1;
  *handle = (slot.generation << 16) | static_cast<ULONG>(index + 1);
  return 0;
}

Registry::Slot* Registry::SlotOf(ULONG handle) {
  size_t index = handle & 0xFFFF;
  if (index == 0 || index > slots_.size()) return nullptr;
  Slot& slot = slots_[index - 1];
  if (!slot.book || slot.generation != handle >> 16 || owner_ != std::this_thread::get_id()) return nullptr;
  return &slot;
}

CachedBook* Registry::Find(ULONG handle) {
  Slot* slot = SlotOf(handle);
  return slot ? slot->book : nullptr;
}

ULONG Registry::Release(CachedBook& book) {
  FileIdentity before = book.key.identity;
  ULONG status = FinishOpening(book);
  Rekey(book, before);
  return status;
}

ULONG Registry::Close(ULONG handle, bool* known) {
  Slot* slot = SlotOf(handle);
  *known = slot != nullptr;
  if (!slot) return 0;
  CachedBook& book = *slot->book;
  slot->book = nullptr;
  slot->changed = false;
  book.depth -= 1;
  book.lastUse = ++clock_;
  ownerHandles_ -= 1;
  ULONG status = book.depth == 0 ? Release(book) : 0;
  ReleaseOwnershipIfIdle();
  Trim();
  return status;
}

ULONG Registry::Commit(ULONG handle) {
  Slot* slot = SlotOf(handle);
  if (!slot) return STORE_STATUS_INVALID_ARGUMENT;
  CachedBook& book = *slot->book;
  // Nested: the outermost opening commits the whole transaction when it ends.
  if (book.depth > 1) return book.spoiled ? ULONG{STORE_STATUS_INVALID_ARGUMENT} : 0;
  slot->changed = false;
  return CommitNow(book);
}

ULONG Registry::Rollback(ULONG handle) {
  Slot* slot = SlotOf(handle);
  if (!slot) return STORE_STATUS_INVALID_ARGUMENT;
  if (!slot->changed) return 0;
  CachedBook& book = *slot->book;
  DropChanges(book);
  if (book.depth > 1) book.spoiled = true;
  for (Slot& other : slots_)
    if (other.book == &book) other.changed = false;
  return 0;
}

void Registry::NoteChange(ULONG handle) {
  Slot* slot = SlotOf(handle);
  if (!slot) return;
  // Every opening of the book that is open now contains the change, the outer ones included.
  for (Slot& other : slots_)
    if (other.book == slot->book) other.changed = true;
}

void Registry::ForgetIfUnreached(CachedBook* book) {
  if (book->depth) return;
  for (const auto& [path, reached] : byPath_)
    if (reached == book) return;
  for (auto it = books_.begin(); it != books_.end(); ++it) {
    if (it->second.get() != book) continue;
    books_.erase(it);
    return;
  }
}

void Registry::Trim() {
  for (;;) {
    size_t closed = 0;
    auto oldest = books_.end();
    for (auto it = books_.begin(); it != books_.end(); ++it) {
      if (it->second->depth) continue;
      ++closed;
      if (oldest == books_.end() || it->second->lastUse < oldest->second->lastUse) oldest = it;
    }
    if (closed <= kKeptClosedBooks) return;
    for (auto it = byPath_.begin(); it != byPath_.end();)
      it = it->second == oldest->second.get() ? byPath_.erase(it) : std::next(it);
    books_.erase(oldest);
  }
}

} // namespace bkconv
