// Keeping a cached book in step with its file: catching up with what others appended, appending one
// change, rewriting the whole book atomically. The durability rules are written down in book_file.cpp.
#pragma once

#include <functional>
#include <string>

#include "book_state.h"
#include "os_file.h"

namespace bkconv {

// Outcomes beside the status words of the call interface; they never reach a caller.
constexpr ULONG kBookMissing = 0x100; // nothing at the path, or an empty file
constexpr ULONG kNoChange = 0x101;    // a change that finds nothing to write

// Books smaller than this many dead bytes are never compacted: rewriting them would cost more than
// the space it gives back.
constexpr uint64_t kCompactionFloor = 64 * 1024;

// One book as this process knows it, shared by every handle on the same path.
struct CachedBook {
  std::string path;
  BookState state;
  bool loaded = false;      // state holds what the file held
  bool needsReload = false; // something went wrong: read the whole file again next time
  bool tornTail = false;    // the file ends in the remains of an unfinished write
  bool keyValid = false;
  FileKey key; // the file-status answer that state matches
  FileIdentity identity;
  uint64_t stamp = 0;     // the header's stamp, new in every file written whole
  uint64_t parsedEnd = 0; // end of the last whole frame
  int handles = 0;
  uint64_t lastUse = 0;
};

// Brings book up to date with its file: nothing to do when one file-status call shows it unchanged, the
// appended frames when it grew, the whole file otherwise. kBookMissing when there is no book at the path.
ULONG RefreshBook(CachedBook& book);

// Makes an empty book at the path unless one appeared meanwhile (an empty file counts as none).
ULONG CreateBook(CachedBook& book);

// Decides, from the book as it stands under the writer lock, the one operation to append; returns 0,
// kNoChange, or a status word that ends the change.
using ChangeBuilder = std::function<ULONG(const BookState&, Operation&)>;
ULONG CommitChange(CachedBook& book, const ChangeBuilder& build);

// Decides, under the writer lock, the whole new content of the book, written at once.
using RewriteBuilder = std::function<ULONG(const BookState&, BookState&)>;
ULONG CommitRewrite(CachedBook& book, const RewriteBuilder& build);

} // namespace bkconv
