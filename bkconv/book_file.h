// One book's file and what this process knows of it: locking it, catching up with what other processes
// committed, writing a transaction, compacting, and making a new book. The durability rules are written
// down in book_file.cpp.
#pragma once

#include <string>

#include "book_state.h"
#include "log_reader.h"
#include "os_file.h"
#include "transaction.h"

namespace bkconv {

// Outcomes beside the status words of the call interface; they never reach a caller.
constexpr ULONG kBookExists = 0x100; // a new book was to be made, but one appeared at the path meanwhile
constexpr ULONG kFileMoved = 0x101;  // the file at the path was replaced (meanwhile, or by this call): start again

// One book as this process knows it, shared by every handle on it, whatever name reached it.
struct CachedBook {
  std::string path;           // the name it was last reached by
  BookState state;            // what the file holds, with the open transaction's changes applied
  Transaction txn;            // the changes of the thread that has the book open
  OsFile file;                // the lock is taken on it; on POSIX it stays open between openings
  bool readOnly = false;      // the file could be opened for reading only
  bool loaded = false;        // state holds what the file held
  bool needsReload = false;   // something went wrong: read the whole file again next time
  bool tornTail = false;      // an unfinished write follows parsedEnd: it is cut off before the next one
  bool keepOldFormat = false; // a version 1 book that could not be rewritten as version 2
  bool keyValid = false;
  FileKey key;            // the file-status answer that state matches
  uint64_t stamp = 0;     // the header's stamp, new in every file written whole
  uint64_t parsedEnd = 0; // end of the last whole transaction
  LogPosition position;   // the format version and the number of the last transaction read
  int depth = 0;          // handles of the owning thread open on it
  bool spoiled = false;   // rolled back through a nested handle: nothing more of this transaction counts
  uint64_t lastUse = 0;
};

// How long an opening waits for a book that another thread or process holds (10 s; BKCONV_LOCK_WAIT_MS
// changes it), as a deadline on MonotonicMilliseconds.
uint64_t LockDeadline();

// Opens the book's file at path unless it is open already, and checks that it is the file seen there.
ULONG AttachFile(CachedBook& book, const std::string& path, const FileKey& seen);
// Brings the state up to date with the locked file, now seen as key: nothing to do when it is as it was
// when last read, the appended transactions when it grew, the whole file otherwise.
ULONG Refresh(CachedBook& book, const FileKey& key);
// Ends the last opening: commits the transaction, compacts when worthwhile, releases the lock.
ULONG FinishOpening(CachedBook& book);
// Commits the transaction now (one write, one flush); the lock stays. A failure drops the transaction.
ULONG CommitNow(CachedBook& book);
// Drops what the transaction changed.
void DropChanges(CachedBook& book);
// Writes target as the book's whole new file, renamed over the old one (the real file behind a link),
// with the old file's permissions when book.file is open. Afterwards book.file is the new file, unlocked.
ULONG RewriteBook(CachedBook& book, const BookState& target);
// Makes an empty book at path (the file a link there points to); kBookExists when one appeared meanwhile.
ULONG MakeBook(const std::string& path);

// The changes a transaction is made of, applied to the state at once. Each returns 0 or a status word.
ULONG CreateEntryIn(CachedBook& book, bool group, ULONG* id);
// changed tells whether the book now differs (setting what is stored changes nothing).
ULONG SetRecordsIn(CachedBook& book, ULONG id, ULONG count, std::vector<BYTE>& packed, bool* changed);
ULONG DeleteEntryIn(CachedBook& book, ULONG id);
ULONG MarkImportedIn(CachedBook& book, uint64_t fingerprint);

// The library's word for a failed file call.
ULONG StatusOf(OsError error);
// Writes one line through the debug output (on Linux to standard error, when ABK_DEBUG_OUTPUT is set).
void Explain(const std::string& path, const std::string& why);

} // namespace bkconv
