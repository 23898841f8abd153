// Locking, reading, committing to and rewriting a book's file.
//
// Durability rules. Every path that touches a book's file keeps them:
//
// 1. One opening, one transaction. What an opening changes lives in memory until the opening commits:
//    then it is written as one transaction (a Begin frame saying how many frames follow, then the
//    frames) in one write just after the last whole transaction, and flushed; the call reports success
//    only once the flush has returned. A commit that fails is cut back off and changes nothing.
// 2. Committed bytes are never written again. Transactions are only appended. Making or compacting a
//    book writes a whole new file beside it (under a name of its own, made exclusively), flushes it,
//    gives it the book's permissions, renames it over the book (the real file behind any symbolic link)
//    and flushes the folder, so the path always names a complete book: the old one or the new one. A book
//    with several hard links is never renamed over: that would split its names into two books.
// 3. One opening at a time. Every opening holds the lock of the book's own file from its start to its
//    end, so what it reads and what it then writes see no other writer in between, and a reader sees only
//    committed transactions. A rename replaces the file the lock is on, so whoever takes the lock checks
//    afterwards that the path still names the file locked, and starts again when it does not.
// 4. An unfinished transaction at the end of the file (a crash cut the write short, in any order of its
//    sectors) was never committed: readers stop before it, and the next commit cuts it off first.
//    Damage to committed data is reported, never read past: the book is refused with its own status.
// 5. So a crash at any point leaves the book as it was before the transaction in flight or as it is after
//    it: an unflushed append is at most an unfinished transaction, an unfinished rewrite at most a stray
//    temporary file beside the book.
#include "book_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fault_hook.h"

namespace bkconv {
namespace {

constexpr uint64_t kDefaultLockWaitMs = 10000;

// Books smaller than this many dead bytes are never compacted: rewriting them would cost more than
// the space it gives back.
constexpr uint64_t kCompactionFloor = 64 * 1024;

ULONG ReadRange(const OsFile& file, uint64_t offset, uint64_t length, std::vector<BYTE>& out) {
  out.resize(static_cast<size_t>(length));
  size_t read = 0;
  OsError error = file.ReadAt(offset, out.data(), out.size(), &read);
  if (error != OsError::None) return StatusOf(error);
  out.resize(read);
  return 0;
}

ULONG RefuseHeader(const CachedBook& book, HeaderCheck check) {
  switch (check) {
  case HeaderCheck::NewerVersion:
    Explain(book.path, "written in a newer format than version " + std::to_string(kFormatVersion) +
                           ", which is all this library reads");
    return STORE_STATUS_FILE_ERROR;
  case HeaderCheck::NotABook:
    Explain(book.path, "not an address book");
    return STORE_STATUS_FILE_ERROR;
  default:
    Explain(book.path, "damaged at byte 0 (the header)");
    return STORE_STATUS_DAMAGED;
  }
}

ULONG Damaged(const CachedBook& book, uint64_t offset) {
  Explain(book.path, "damaged at byte " + std::to_string(offset));
  return STORE_STATUS_DAMAGED;
}

// Reads what the file holds beyond what book already knows: only the appended transactions when it is
// the same file grown, the whole file otherwise.
ULONG CatchUp(CachedBook& book, const FileKey& key) {
  static_assert(kMaxBookSize == 256u << 20, "the message below names the limit");
  if (key.size > kMaxBookSize) {
    Explain(book.path, "larger than 256 MiB, more than any book holds");
    return STORE_STATUS_FILE_ERROR;
  }
  std::vector<BYTE> bytes;
  bool sameFile = book.loaded && !book.needsReload && book.keyValid && key.identity == book.key.identity &&
                  key.size >= book.parsedEnd;
  uint64_t stamp = 0;
  uint32_t version = 0;
  if (sameFile) {
    // Identity alone can deceive: a file system may give a new file the number of one deleted earlier.
    // The stamp, new in every file written whole, settles it.
    sameFile = ReadRange(book.file, 0, kHeaderSize, bytes) == 0 &&
               CheckHeader(bytes.data(), bytes.size(), &stamp, &version) == HeaderCheck::Valid && stamp == book.stamp;
  }
  if (sameFile) {
    ULONG status = ReadRange(book.file, book.parsedEnd, key.size - book.parsedEnd, bytes);
    if (status) return status;
    ReadOutcome read = ReadLog(bytes, 0, book.state, book.position);
    if (read.damaged) return Damaged(book, book.parsedEnd + read.damageAt);
    book.parsedEnd += read.end;
    book.tornTail = read.torn;
    return 0;
  }

  // The header first, so that a file which is no book is not read any further.
  ULONG status = ReadRange(book.file, 0, kHeaderSize, bytes);
  if (status) return status;
  HeaderCheck check = CheckHeader(bytes.data(), bytes.size(), &stamp, &version);
  if (check != HeaderCheck::Valid) return RefuseHeader(book, check);
  status = ReadRange(book.file, 0, key.size, bytes);
  if (status) return status;
  BookState state;
  LogPosition position;
  position.version = version;
  ReadOutcome read = ReadLog(bytes, kHeaderSize, state, position);
  if (read.damaged) return Damaged(book, read.damageAt);
  book.state = std::move(state);
  book.position = position;
  book.stamp = stamp;
  book.parsedEnd = read.end;
  book.tornTail = read.torn;
  book.loaded = true;
  return 0;
}

struct WriteSession {
  explicit WriteSession(CachedBook& b) : book(b), faults(FaultPlan::FromEnvironment()) {}
  CachedBook& book;
  FaultPlan faults;
  bool crashed = false; // the test hook cut the power: nothing more reaches the disk
};

// One file-changing step, through the test hook; partial is what a crash in the middle of it leaves.
template <class Action, class Partial> OsError RunStep(WriteSession& s, Action action, Partial partial) {
  if (s.crashed) return OsError::Failed;
  switch (s.faults.Next()) {
  case Fault::None:
    break;
  case Fault::DiskFull:
    return OsError::DiskFull;
  case Fault::IoError:
    return OsError::Failed;
  case Fault::Crash:
    partial();
    s.crashed = true;
    return OsError::Failed;
  }
  return action();
}
template <class Action> OsError RunStep(WriteSession& s, Action action) {
  return RunStep(s, action, [] {});
}

ULONG Failed(WriteSession& s, OsError error) {
  if (!s.crashed) return StatusOf(error);
  // What a crash leaves is read afresh, as the next process to open the book would read it.
  s.book.needsReload = true;
  return STORE_STATUS_DISK_ERROR;
}

// The whole book as one transaction: the counters first (the highest ids may belong to deleted entries,
// and they stay used), the imports taken in, then every entry.
std::vector<Operation> WholeBook(const BookState& state) {
  std::vector<Operation> ops;
  Operation counters;
  counters.code = OpCode::Counters;
  counters.nextPerson = state.NextPerson();
  counters.nextGroup = state.NextGroup();
  ops.push_back(counters);
  for (uint64_t fingerprint : state.Imported()) {
    Operation imported;
    imported.code = OpCode::Imported;
    imported.fingerprint = fingerprint;
    ops.push_back(imported);
  }
  for (const auto& [id, entry] : state.Entries()) {
    Operation create;
    create.id = id;
    ops.push_back(create);
    if (!entry.count) continue;
    Operation set;
    set.code = OpCode::Set;
    set.id = id;
    set.count = entry.count;
    set.packed = entry.packed;
    ops.push_back(std::move(set));
  }
  return ops;
}

// Writes target as a whole new file and renames it over the book (rule 2). Afterwards the book's file is
// the new one, unlocked (on Windows closed): the caller's opening is over, or starts again.
ULONG WriteWhole(WriteSession& s, const BookState& target) {
  CachedBook& book = s.book;
  std::vector<BYTE> bytes;
  uint64_t stamp = UniqueSeed();
  uint64_t sequence = book.position.sequence ? book.position.sequence : 1;
  AppendHeader(bytes, stamp);
  AppendTransaction(bytes, sequence, WholeBook(target));
  // What is about to be written, read back: it becomes the cached state, with the new file's frame
  // sizes, and a fault in the encoding shows here instead of in the next reader.
  BookState written;
  LogPosition position;
  ReadOutcome read = ReadLog(bytes, kHeaderSize, written, position);
  if (read.damaged || read.torn || read.end != bytes.size()) return STORE_STATUS_FILE_ERROR;

  std::string real = ResolveLinks(book.path);
  OsFile out;
  std::string temp;
  OsError error = CreateTempBeside(real, &out, &temp);
  if (error != OsError::None) return StatusOf(error);
  error = RunStep(
      s, [&] { return out.WriteAt(0, bytes.data(), bytes.size()); },
      [&] { out.WriteAt(0, bytes.data(), bytes.size() / 2); });
  if (error == OsError::None) error = RunStep(s, [&] { return out.Flush(); });
  // The book's permissions go with it: a book only its owner may read stays so.
  if (error == OsError::None && book.file.IsOpen()) error = out.CopyAccessFrom(book.file);
#ifdef _WIN32
  // Windows renames nothing that a handle without delete sharing holds open, this library's included.
  out.Close();
  book.file.Close();
#endif
  if (error == OsError::None) error = RunStep(s, [&] { return ReplaceFile(temp, real); });
  if (error != OsError::None) {
    if (!s.crashed) RemoveFile(temp);
    return Failed(s, error);
  }
  error = RunStep(s, [&] { return FlushFolderOf(real); });
  if (error != OsError::None) return Failed(s, error);

  book.state = std::move(written);
  book.position = position;
  book.stamp = stamp;
  book.parsedEnd = bytes.size();
  book.tornTail = false;
  book.loaded = true;
  book.needsReload = false;
#ifdef _WIN32
  book.keyValid = StatPath(real, &book.key) == OsError::None;
#else
  book.file.Swap(out); // the old file, and its lock, go with out
  book.keyValid = book.file.Status(&book.key) == OsError::None;
#endif
  return 0;
}

// Appends the transaction's frames and flushes them (rule 1); a failure cuts them back off.
ULONG Append(WriteSession& s, const std::vector<Operation>& ops) {
  CachedBook& book = s.book;
  std::vector<BYTE> bytes;
  if (book.position.version < kFirstTransactionVersion) {
    for (const Operation& op : ops)
      AppendFrame(bytes, op);
  } else {
    AppendTransaction(bytes, book.position.sequence + 1, ops);
  }
  uint64_t at = book.parsedEnd;
  OsError error = OsError::None;
  // An unfinished transaction left by a crash is cut off first: frames behind it would not be read.
  if (book.tornTail) error = RunStep(s, [&] { return book.file.Truncate(at); });
  if (error == OsError::None)
    error = RunStep(
        s, [&] { return book.file.WriteAt(at, bytes.data(), bytes.size()); },
        [&] { book.file.WriteAt(at, bytes.data(), bytes.size() / 2); });
  if (error == OsError::None) error = RunStep(s, [&] { return book.file.Flush(); });
  if (error != OsError::None) {
    if (!s.crashed && book.file.Truncate(at) == OsError::None) book.file.Flush();
    return Failed(s, error);
  }
  LogPosition position = book.position;
  ReadOutcome read = ReadLog(bytes, 0, book.state, position);
  if (read.damaged || read.torn || read.end != bytes.size()) {
    book.needsReload = true;
    return STORE_STATUS_FILE_ERROR;
  }
  book.position = position;
  book.parsedEnd = at + bytes.size();
  book.tornTail = false;
  book.keyValid = book.file.Status(&book.key) == OsError::None;
  return 0;
}

// Compacts once the dead bytes outweigh the live ones. The transaction before it is already committed,
// so a compaction that fails costs only space, and the next commit tries again.
ULONG CompactIfWorthwhile(WriteSession& s) {
  CachedBook& book = s.book;
  if (s.crashed) return STORE_STATUS_DISK_ERROR;
  uint64_t live = book.state.LiveBytes();
  uint64_t dead = book.parsedEnd - kHeaderSize - live;
  if (dead <= live || dead < kCompactionFloor || book.key.links > 1) return 0;
  BookState current = book.state;
  WriteWhole(s, current);
  return s.crashed ? ULONG{STORE_STATUS_DISK_ERROR} : 0;
}

// Writes the transaction: one append, one flush. The state goes back to what is committed first, and
// the frames written are then read into it as any reader would read them.
ULONG Commit(WriteSession& s) {
  CachedBook& book = s.book;
  if (book.spoiled) return STORE_STATUS_INVALID_ARGUMENT;
  if (book.txn.Empty()) return 0;
  std::vector<Operation> ops = book.txn.Changes(book.state);
  book.txn.Undo(book.state);
  if (ops.empty()) return 0;
  if (book.readOnly) {
    Explain(book.path, "opened for reading only: the file may not be written");
    return STORE_STATUS_DISK_ERROR;
  }
  return Append(s, ops);
}

// Before a change: the book takes no changes after a rollback through a nested handle, nor when it can
// only be read.
ULONG Writable(const CachedBook& book) {
  if (book.spoiled) return STORE_STATUS_INVALID_ARGUMENT;
  if (book.readOnly) {
    Explain(book.path, "opened for reading only: the file may not be written");
    return STORE_STATUS_DISK_ERROR;
  }
  return 0;
}

// 5 for an id that was handed out and deleted since, 4 for one never handed out.
ULONG MissingStatus(const BookState& state, ULONG id) {
  return state.WasDeleted(id) ? STORE_STATUS_NO_RECORD : STORE_STATUS_NOT_FOUND;
}

} // namespace

ULONG StatusOf(OsError error) {
  switch (error) {
  case OsError::DiskFull:
    return STORE_STATUS_DISK_FULL;
  case OsError::Busy:
    return STORE_STATUS_BUSY;
  case OsError::NotRegular:
    return STORE_STATUS_FILE_ERROR;
  default:
    return STORE_STATUS_DISK_ERROR;
  }
}

void Explain(const std::string& path, const std::string& why) {
  std::string message = "BKCONV: " + path + ": " + why + "\n";
  OutputDebugStringA(message.c_str());
}

uint64_t LockDeadline() {
  std::string setting = GetEnvironment("BKCONV_LOCK_WAIT_MS");
  uint64_t wait = setting.empty() ? kDefaultLockWaitMs : std::strtoull(setting.c_str(), nullptr, 10);
  return MonotonicMilliseconds() + wait;
}

ULONG AttachFile(CachedBook& book, const std::string& path, const FileKey& seen) {
  if (book.file.IsOpen()) return 0;
  OsFile file;
  bool readOnly = false;
  OsError error = file.Open(path, OsFile::ReadWrite);
  if (error == OsError::Denied) {
    readOnly = true;
    error = file.Open(path, OsFile::ReadOnly);
  }
  if (error == OsError::NotRegular) {
    Explain(path, "not a regular file");
    return STORE_STATUS_FILE_ERROR;
  }
  if (error != OsError::None) return StatusOf(error);
  FileKey key;
  error = file.Status(&key);
  if (error != OsError::None) return StatusOf(error);
  if (!(key.identity == seen.identity)) return kFileMoved;
  book.file.Swap(file);
  book.readOnly = readOnly;
  book.path = path;
  return 0;
}

ULONG Refresh(CachedBook& book, const FileKey& key) {
  // The common case: the file is as it was when it was last read.
  if (book.loaded && !book.needsReload && book.keyValid && key == book.key) return 0;
  ULONG status = 0;
  if (key.size == 0) {
    // An empty file is no book yet: it becomes an empty one, whole, as a new book is made.
    if (book.readOnly) {
      Explain(book.path, "an empty file that may not be written: not an address book");
      return STORE_STATUS_FILE_ERROR;
    }
    WriteSession s(book);
    status = WriteWhole(s, BookState());
    return status ? status : kFileMoved;
  }
  status = CatchUp(book, key);
  if (status) {
    book.needsReload = true;
    return status;
  }
  book.needsReload = false;
  book.key = key;
  book.keyValid = true;
  // A version 1 book is rewritten as version 2, whole, by its first opening that may write: only then is
  // a transaction of several changes committed at once. One with several names cannot be renamed over:
  // it stays at version 1, each change of a transaction its own frame. Either way the opening starts
  // again, since a rewrite leaves the file unlocked.
  if (book.position.version < kFirstTransactionVersion && !book.readOnly && key.links <= 1 && !book.keepOldFormat) {
    WriteSession s(book);
    BookState current = book.state;
    // A rewrite that fails (a folder that may not be written, a Windows process holding the file) leaves
    // the book as it is: it is then written at version 1, a frame per change, by this process.
    if (WriteWhole(s, current)) book.keepOldFormat = true;
    return kFileMoved;
  }
  return 0;
}

ULONG CommitNow(CachedBook& book) {
  WriteSession s(book);
  return Commit(s);
}

ULONG FinishOpening(CachedBook& book) {
  // One session for the commit and the compaction after it: the test hook counts their steps together.
  WriteSession s(book);
  ULONG status = Commit(s);
  if (book.spoiled) DropChanges(book);
  book.spoiled = false;
  if (!status) status = CompactIfWorthwhile(s);
  book.file.Unlock();
#ifdef _WIN32
  // Closed between openings, so that a compaction by another process can replace the file.
  book.file.Close();
#endif
  return status;
}

void DropChanges(CachedBook& book) { book.txn.Undo(book.state); }

ULONG RewriteBook(CachedBook& book, const BookState& target) {
  WriteSession s(book);
  return WriteWhole(s, target);
}

ULONG MakeBook(const std::string& path) {
  std::string real = ResolveLinks(path);
  CachedBook fresh;
  fresh.path = real;
  WriteSession s(fresh);
  std::vector<BYTE> bytes;
  AppendHeader(bytes, UniqueSeed());
  AppendTransaction(bytes, 1, WholeBook(BookState()));
  OsFile out;
  std::string temp;
  OsError error = CreateTempBeside(real, &out, &temp);
  if (error != OsError::None) return StatusOf(error);
  error = RunStep(
      s, [&] { return out.WriteAt(0, bytes.data(), bytes.size()); },
      [&] { out.WriteAt(0, bytes.data(), bytes.size() / 2); });
  if (error == OsError::None) error = RunStep(s, [&] { return out.Flush(); });
  out.Close();
  // Only where nothing is: a book that another process made meanwhile is never replaced.
  if (error == OsError::None) {
    error = RunStep(s, [&] { return RenameNoReplace(temp, real); });
    if (error == OsError::Failed && !s.crashed) {
      RemoveFile(temp);
      return kBookExists;
    }
  }
  if (error != OsError::None) {
    if (!s.crashed) RemoveFile(temp);
    return Failed(s, error);
  }
  error = RunStep(s, [&] { return FlushFolderOf(real); });
  return error == OsError::None ? 0 : Failed(s, error);
}

ULONG CreateEntryIn(CachedBook& book, bool group, ULONG* id) {
  if (ULONG status = Writable(book)) return status;
  *id = book.state.NextId(group);
  // Every id of the range was handed out once; none is handed out twice.
  if (!*id) return STORE_STATUS_DISK_FULL;
  book.txn.Remember(book.state, *id);
  Operation op;
  op.id = *id;
  book.state.Apply(op, 0);
  return 0;
}

ULONG SetRecordsIn(CachedBook& book, ULONG id, ULONG count, std::vector<BYTE>& packed, bool* changed) {
  *changed = false;
  const Entry* entry = book.state.Find(id);
  if (!entry) return MissingStatus(book.state, id);
  // Saving what is stored already changes nothing.
  if (entry->count == count && entry->packed == packed) return 0;
  if (ULONG status = Writable(book)) return status;
  book.txn.Remember(book.state, id);
  Operation op;
  op.code = OpCode::Set;
  op.id = id;
  op.count = count;
  op.packed = std::move(packed);
  book.state.Apply(op, 0);
  *changed = true;
  return 0;
}

ULONG DeleteEntryIn(CachedBook& book, ULONG id) {
  if (!book.state.Find(id)) return MissingStatus(book.state, id);
  if (ULONG status = Writable(book)) return status;
  book.txn.Remember(book.state, id);
  Operation op;
  op.code = OpCode::Delete;
  op.id = id;
  book.state.Apply(op, 0);
  return 0;
}

ULONG MarkImportedIn(CachedBook& book, uint64_t fingerprint) {
  if (book.state.Imported().count(fingerprint)) return 0;
  if (ULONG status = Writable(book)) return status;
  book.txn.Remember(book.state, 0);
  Operation op;
  op.code = OpCode::Imported;
  op.fingerprint = fingerprint;
  book.state.Apply(op, 0);
  return 0;
}

} // namespace bkconv
