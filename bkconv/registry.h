// The library's process-wide state: one parsed copy of each book, found by the file's identity whatever
// name reaches it, the table that turns 32-bit handles into books, and which thread has books open.
//
// One thread at a time has books open: the others wait for it (as long as a book's lock is waited for in
// another process, then they get STORE_STATUS_BUSY). Openings of one book nested in that thread join the
// outermost one: one transaction, one lock, one view. A call with a handle comes from the thread that
// opened it. The mutex is held for the length of each call only.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "book_file.h"

namespace bkconv {

class Registry {
public:
  static Registry& Instance();
  std::mutex& Lock() { return mutex_; }

  // Opens the book at path, making an empty one when there is none, and hands out a handle. hold is the
  // caller's lock of Lock(), released while waiting for another thread.
  ULONG Open(std::unique_lock<std::mutex>& hold, const std::string& path, ULONG* handle);
  // The book behind a handle of the calling thread; null for one that is not open (never opened, closed,
  // made up, or another thread's).
  CachedBook* Find(ULONG handle);
  // Ends an opening; the last one of a book commits its transaction. Returns 0 or a status word, and
  // false in *known for a handle that is not open.
  ULONG Close(ULONG handle, bool* known);
  // Makes the transaction durable now (nested: at the end of the outermost opening).
  ULONG Commit(ULONG handle);
  ULONG Rollback(ULONG handle);
  // Notes that a change went through the handle: a rollback through it, or through any opening of the
  // book open now, then has something to drop.
  void NoteChange(ULONG handle);

  // After a call was cut short (memory ran out): a thread that holds no handle owns nothing.
  void Recover();

  // Runs work with the calling thread owning the library's books, for calls that take a path rather than a
  // handle (salvage); the thread must hold none open.
  template <class Work> ULONG Exclusively(std::unique_lock<std::mutex>& hold, Work work) {
    if (ownerHandles_ && owner_ == std::this_thread::get_id()) return STORE_STATUS_INVALID_ARGUMENT;
    ULONG status = TakeOwnership(hold, LockDeadline());
    if (status) return status;
    status = work();
    ReleaseOwnershipIfIdle();
    return status;
  }

private:
  struct Slot {
    CachedBook* book = nullptr;
    ULONG generation = 0;
    bool changed = false;
  };
  ULONG TakeOwnership(std::unique_lock<std::mutex>& hold, uint64_t deadline);
  void ReleaseOwnershipIfIdle();
  // Finds the book at path, locked and up to date (or joined); kFileMoved to try again.
  ULONG Reach(std::unique_lock<std::mutex>& hold, const std::string& path, uint64_t deadline, CachedBook** found);
  // Locks the book's file, checks that path still names it, and catches up with it.
  ULONG Settle(std::unique_lock<std::mutex>& hold, CachedBook& book, const std::string& path, uint64_t deadline);
  // Takes the lock of the book's file, waiting until the deadline at most (then STORE_STATUS_BUSY).
  ULONG LockWithin(std::unique_lock<std::mutex>& hold, CachedBook& book, uint64_t deadline);
  CachedBook& BookFor(const FileIdentity& identity);
  // Files the book under its identity again after a rewrite gave it a new file.
  void Rekey(CachedBook& book, const FileIdentity& before);
  // Ends the last opening of a book.
  ULONG Release(CachedBook& book);
  Slot* SlotOf(ULONG handle);
  // Drops a book no path leads to any more (its file was replaced), unless it is open.
  void ForgetIfUnreached(CachedBook* book);
  void Trim();
  void ResetInChild();

  std::mutex mutex_;
  std::condition_variable released_;
  std::thread::id owner_;
  int ownerHandles_ = 0;
  std::map<FileIdentity, std::unique_ptr<CachedBook>> books_;
  std::map<std::string, CachedBook*> byPath_; // the book a path led to last
  std::vector<Slot> slots_;
  uint64_t clock_ = 0;
};

} // namespace bkconv
