// Reading, appending to and rewriting a book's file.
//
// Durability rules. Every path that touches a book's file keeps them:
//
// 1. Committed means flushed. A change is one frame written just after the last whole frame, then
//    flushed; the call reports success only once the flush has returned.
// 2. Committed bytes are never written again. Frames are only appended. Creating or compacting a book
//    writes a whole new file beside it (BOOK.new), flushes it, renames it over the book and flushes the
//    folder, so the path always names a complete file: the old one or the new one.
// 3. One writer at a time. Appending, cutting back and renaming happen only under the exclusive lock of
//    BOOK.lock, a file kept beside the book for nothing else: the book itself is replaced by renames, so
//    a lock on it could guard a file that is no longer the book. Under the lock a writer first catches up
//    with the file, so it never writes over another writer's frame, never appends to a file already
//    renamed away, and hands out ids from the latest counters.
// 4. Never append after a torn tail: frames behind one would read as damage. A writer that finds one
//    rewrites the book whole first.
// 5. A write that failed is cut back off (best effort). Should that fail too, what remains is a torn
//    tail, or, if the frame was whole, a change reported as failed that readers will nevertheless see.
// 6. Readers never write, not even to cut off a torn tail. They read under the shared lock, so they only
//    see whole, flushed frames, and they take the file's status while still holding it.
// 7. So a crash at any point leaves the book as it was before the change in flight or as it is after it:
//    an unflushed append is at most a torn tail, an unfinished rewrite at most a stray BOOK.new that the
//    next rewrite replaces.
#include "book_file.h"

#include <cstdint>
#include <string>

#include "fault_hook.h"

namespace bkconv {
namespace {

ULONG StatusOf(OsError error) { return error == OsError::DiskFull ? STORE_STATUS_DISK_FULL : STORE_STATUS_DISK_ERROR; }

std::string LockPath(const std::string& path) { return path + ".lock"; }
std::string TempPath(const std::string& path) { return path + ".new"; }

ULONG ReadRange(const OsFile& file, uint64_t offset, uint64_t length, std::vector<BYTE>& out) {
  if (length > SIZE_MAX / 2) return STORE_STATUS_DISK_ERROR;
  out.resize(static_cast<size_t>(length));
  size_t read = 0;
  OsError error = file.ReadAt(offset, out.data(), out.size(), &read);
  if (error != OsError::None) return StatusOf(error);
  out.resize(read);
  return 0;
}

// Applies the frames of data from offset on. end: just past the last whole frame, or where the damage
// is; torn: a torn tail follows.
ULONG ApplyFrames(const std::vector<BYTE>& data, size_t offset, BookState& state, size_t* end, bool* torn) {
  *torn = false;
  for (;;) {
    *end = offset;
    FrameView frame;
    FrameScan scan = ScanFrame(data.data(), data.size(), offset, &frame);
    if (scan == FrameScan::End) return 0;
    if (scan == FrameScan::TornTail) {
      *torn = true;
      return 0;
    }
    Operation op;
    if (scan == FrameScan::Damaged || !DecodeOperation(frame.payload, frame.payloadSize, &op) ||
        !state.Apply(op, frame.frameSize))
      return STORE_STATUS_FILE_ERROR;
    offset += frame.frameSize;
  }
}

// The call interface has one word for every refusal; the debug output says which it was.
ULONG Refuse(const CachedBook& book, const std::string& why) {
  std::string message = "BKCONV: " + book.path + ": " + why + "\n";
  OutputDebugStringA(message.c_str());
  return STORE_STATUS_FILE_ERROR;
}

ULONG RefuseHeader(const CachedBook& book, HeaderCheck check) {
  switch (check) {
  case HeaderCheck::NewerVersion:
    return Refuse(book, "written in a newer format than version " + std::to_string(kFormatVersion) +
                            ", which is all this library reads");
  case HeaderCheck::NotABook:
    return Refuse(book, "not an address book");
  default:
    return Refuse(book, "damaged header");
  }
}

void RememberKey(CachedBook& book) { book.keyValid = StatPath(book.path, &book.key) == OsError::None; }

// Reads what the file holds beyond what book already knows: only the appended frames when it is the same
// file grown, the whole file otherwise. A failure leaves the state that was (committed data still) and
// asks for a full reload next time.
ULONG CatchUp(CachedBook& book, const OsFile& file) {
  FileIdentity identity;
  uint64_t size = 0;
  OsError error = file.Identity(&identity, &size);
  if (error != OsError::None) return StatusOf(error);
  if (size == 0) return kBookMissing;

  std::vector<BYTE> bytes;
  bool sameFile = book.loaded && !book.needsReload && identity == book.identity && size >= book.parsedEnd;
  if (sameFile) {
    // Identity alone can deceive: a file system may give a new file the number of one deleted earlier.
    // The stamp, new in every file written whole, settles it.
    uint64_t stamp = 0;
    sameFile = ReadRange(file, 0, kHeaderSize, bytes) == 0 &&
               CheckHeader(bytes.data(), bytes.size(), &stamp) == HeaderCheck::Valid && stamp == book.stamp;
  }

  if (sameFile) {
    ULONG status = ReadRange(file, book.parsedEnd, size - book.parsedEnd, bytes);
    size_t end = 0;
    bool torn = false;
    if (!status) status = ApplyFrames(bytes, 0, book.state, &end, &torn);
    if (status) {
      book.needsReload = true;
      if (status != STORE_STATUS_FILE_ERROR) return status;
      return Refuse(book, "damaged at byte " + std::to_string(book.parsedEnd + end));
    }
    book.parsedEnd += end;
    book.tornTail = torn;
    return 0;
  }

  // The header first, so that a file which is no book is not read any further.
  uint64_t stamp = 0;
  ULONG status = ReadRange(file, 0, kHeaderSize, bytes);
  if (status) return status;
  HeaderCheck check = CheckHeader(bytes.data(), bytes.size(), &stamp);
  if (check != HeaderCheck::Valid) {
    book.needsReload = true;
    return RefuseHeader(book, check);
  }
  status = ReadRange(file, 0, size, bytes);
  if (status) return status;
  BookState state;
  size_t end = 0;
  bool torn = false;
  status = ApplyFrames(bytes, kHeaderSize, state, &end, &torn);
  if (status) {
    book.needsReload = true;
    return Refuse(book, "damaged at byte " + std::to_string(end));
  }
  book.state = std::move(state);
  book.identity = identity;
  book.stamp = stamp;
  book.parsedEnd = end;
  book.tornTail = torn;
  book.loaded = true;
  book.needsReload = false;
  return 0;
}

void LockForReading(OsFile& lock, const std::string& path) {
  // A folder where the lock file cannot be made has no writers either (they need it), so the book there
  // is read without a lock.
  std::string lockPath = LockPath(path);
  if (lock.Open(lockPath, OsFile::OpenOrCreate) != OsError::None &&
      lock.Open(lockPath, OsFile::ReadOnly) != OsError::None)
    return;
  lock.Lock(false);
}

struct WriteSession {
  explicit WriteSession(CachedBook& b) : book(b), faults(FaultPlan::FromEnvironment()) {}
  CachedBook& book;
  FaultPlan faults;
  bool crashed = false; // the test hook cut the power: nothing more reaches the disk
  OsFile lock;
  OsFile data;
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

ULONG Failed(WriteSession& s, OsError error) {
  if (!s.crashed) return StatusOf(error);
  // What a crash leaves is read afresh, as the next process to open the book would read it.
  s.book.needsReload = true;
  return STORE_STATUS_DISK_ERROR;
}

ULONG LockForWriting(WriteSession& s) {
  OsError error = s.lock.Open(LockPath(s.book.path), OsFile::OpenOrCreate);
  if (error == OsError::None) error = s.lock.Lock(true);
  return error == OsError::None ? 0 : StatusOf(error);
}

void EncodeBook(const BookState& state, uint64_t stamp, std::vector<BYTE>& out) {
  AppendHeader(out, stamp);
  // The counters come first: the highest ids may belong to deleted entries, and they stay used.
  Operation counters;
  counters.code = OpCode::Counters;
  counters.nextPerson = state.NextPerson();
  counters.nextGroup = state.NextGroup();
  AppendFrame(out, counters);
  for (uint64_t fingerprint : state.Imported()) {
    Operation imported;
    imported.code = OpCode::Imported;
    imported.fingerprint = fingerprint;
    AppendFrame(out, imported);
  }
  for (const auto& [id, entry] : state.Entries()) {
    Operation create;
    create.id = id;
    AppendFrame(out, create);
    if (entry.count) AppendSetFrame(out, id, entry.count, entry.records.data());
  }
}

// Writes state as a whole new file and renames it over the book (rule 2).
ULONG Rewrite(WriteSession& s, const BookState& state) {
  CachedBook& book = s.book;
  std::vector<BYTE> bytes;
  uint64_t stamp = UniqueSeed();
  EncodeBook(state, stamp, bytes);
  // What is about to be written, read back: it becomes the cached state, with the new file's frame
  // sizes, and a fault in the encoding shows here instead of in the next reader.
  BookState written;
  size_t end = 0;
  bool torn = false;
  if (ApplyFrames(bytes, kHeaderSize, written, &end, &torn) || torn || end != bytes.size())
    return STORE_STATUS_FILE_ERROR;

  // Windows renames nothing over an open file, so the book's own handle goes first.
  s.data.Close();
  std::string temp = TempPath(book.path);
  OsFile out;
  OsError error = out.Open(temp, OsFile::CreateTruncate);
  if (error == OsError::None)
    error = RunStep(
        s, [&] { return out.WriteAt(0, bytes.data(), bytes.size()); },
        [&] { out.WriteAt(0, bytes.data(), bytes.size() / 2); });
  if (error == OsError::None)
    error = RunStep(
        s, [&] { return out.Flush(); }, [] {});
  FileIdentity identity;
  uint64_t size = 0;
  if (error == OsError::None) error = out.Identity(&identity, &size);
  out.Close();
  if (error == OsError::None)
    error = RunStep(
        s, [&] { return ReplaceFile(temp, book.path); }, [] {});
  if (error != OsError::None) {
    if (!s.crashed) RemoveFile(temp);
    return Failed(s, error);
  }

  book.state = std::move(written);
  book.identity = identity;
  book.stamp = stamp;
  book.parsedEnd = end;
  book.tornTail = false;
  book.loaded = true;
  book.needsReload = false;
  error = RunStep(
      s, [&] { return FlushFolderOf(book.path); }, [] {});
  if (error != OsError::None) return Failed(s, error);
  RememberKey(book);
  return 0;
}

// Appends op's frame and flushes it (rule 1); a failure cuts it back off (rule 5).
ULONG Append(WriteSession& s, Operation& op) {
  CachedBook& book = s.book;
  std::vector<BYTE> frame;
  AppendFrame(frame, op);
  uint64_t at = book.parsedEnd;
  OsError error = RunStep(
      s, [&] { return s.data.WriteAt(at, frame.data(), frame.size()); },
      [&] { s.data.WriteAt(at, frame.data(), frame.size() / 2); });
  if (error == OsError::None)
    error = RunStep(
        s, [&] { return s.data.Flush(); }, [] {});
  if (error != OsError::None) {
    if (!s.crashed && s.data.Truncate(at) == OsError::None) s.data.Flush();
    return Failed(s, error);
  }
  book.state.Apply(op, frame.size());
  book.parsedEnd = at + frame.size();
  s.data.Close();
  RememberKey(book);
  return 0;
}

// Compacts once the dead bytes outweigh the live ones. The change before it is already committed, so a
// compaction that fails costs only space, and the next change tries again.
ULONG CompactIfWorthwhile(WriteSession& s) {
  CachedBook& book = s.book;
  uint64_t live = book.state.LiveBytes();
  uint64_t dead = book.parsedEnd - kHeaderSize - live;
  if (dead <= live || dead < kCompactionFloor) return 0;
  Rewrite(s, book.state);
  return s.crashed ? ULONG{STORE_STATUS_DISK_ERROR} : 0;
}

// Takes the writer lock and catches up; a torn tail is rewritten away before anything is appended (rule 4).
ULONG BeginWrite(WriteSession& s) {
  CachedBook& book = s.book;
  ULONG status = LockForWriting(s);
  if (status) return status;
  OsError error = s.data.Open(book.path, OsFile::ReadWrite);
  if (error != OsError::None) return StatusOf(error);
  status = CatchUp(book, s.data);
  if (status == kBookMissing) return STORE_STATUS_DISK_ERROR;
  if (status) return status;
  if (!book.tornTail) return 0;
  status = Rewrite(s, book.state);
  if (status) return status;
  error = s.data.Open(book.path, OsFile::ReadWrite);
  return error == OsError::None ? 0 : StatusOf(error);
}

} // namespace

ULONG RefreshBook(CachedBook& book) {
  FileKey key;
  OsError error = StatPath(book.path, &key);
  if (error == OsError::NotFound) return kBookMissing;
  if (error != OsError::None) return StatusOf(error);
  // The common case: one file-status call, and the file is as it was when it was last read.
  if (book.loaded && !book.needsReload && !book.tornTail && book.keyValid && key == book.key) return 0;

  OsFile lock;
  LockForReading(lock, book.path);
  OsFile data;
  error = data.Open(book.path, OsFile::ReadOnly);
  if (error == OsError::NotFound) return kBookMissing;
  if (error != OsError::None) return StatusOf(error);
  ULONG status = CatchUp(book, data);
  if (status) return status;
  data.Close();
  RememberKey(book);
  return 0;
}

ULONG CreateBook(CachedBook& book) {
  WriteSession s(book);
  ULONG status = LockForWriting(s);
  if (status) return status;
  // Another handle or process may have made it while this one waited for the lock.
  OsError error = s.data.Open(book.path, OsFile::ReadWrite);
  if (error == OsError::None) {
    status = CatchUp(book, s.data);
    if (status != kBookMissing) {
      s.data.Close();
      if (!status) RememberKey(book);
      return status;
    }
  } else if (error != OsError::NotFound) {
    return StatusOf(error);
  }
  return Rewrite(s, BookState());
}

ULONG CommitChange(CachedBook& book, const ChangeBuilder& build) {
  WriteSession s(book);
  ULONG status = BeginWrite(s);
  if (status) return status;
  Operation op;
  status = build(book.state, op);
  if (status == kNoChange) {
    s.data.Close();
    RememberKey(book);
    return 0;
  }
  if (status) return status;
  status = Append(s, op);
  if (status) return status;
  return CompactIfWorthwhile(s);
}

ULONG CommitRewrite(CachedBook& book, const RewriteBuilder& build) {
  WriteSession s(book);
  ULONG status = BeginWrite(s);
  if (status) return status;
  BookState replacement;
  status = build(book.state, replacement);
  if (status == kNoChange) {
    s.data.Close();
    RememberKey(book);
    return 0;
  }
  if (status) return status;
  return Rewrite(s, replacement);
}

} // namespace bkconv
