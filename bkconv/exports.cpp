// The library's nine exports: argument checks, the process-wide lock, and nothing thrown across them.
#include <cstring>
#include <mutex>
#include <string>

#include "book_file.h"
#include "csv_import.h"
#include "default_book.h"
#include "registry.h"

using namespace bkconv;

namespace {

ULONG Fail(ULONG* status, ULONG word, ULONG value) {
  if (status) *status = word;
  return value;
}

// Runs body under the library's lock. body sets word to report a failure; anything thrown (memory running
// out, mostly) becomes a disk-error status, since the call interface has no better word for it.
template <class Body> ULONG Guarded(ULONG* status, ULONG failure, Body body) {
  try {
    std::lock_guard<std::mutex> guard(Registry::Instance().Lock());
    ULONG word = 0;
    ULONG result = body(word);
    if (word) return Fail(status, word, failure);
    return result;
  } catch (...) {
    return Fail(status, STORE_STATUS_DISK_ERROR, failure);
  }
}

// 5 for an id that was handed out and deleted since, 4 for one never handed out.
ULONG MissingStatus(const BookState& state, ULONG id) {
  return state.WasDeleted(id) ? STORE_STATUS_NO_RECORD : STORE_STATUS_NOT_FOUND;
}

ULONG CreateEntry(ULONG handle, ULONG* status, bool group) {
  return Guarded(status, group ? STORE_NO_GROUP : STORE_NO_PERSON, [&](ULONG& word) -> ULONG {
    CachedBook* book = Registry::Instance().Find(handle);
    if (!book) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    ULONG id = 0;
    word = CommitChange(*book, [&](const BookState& state, Operation& op) -> ULONG {
      id = state.NextId(group);
      // Every id of the range was handed out once; none is handed out twice.
      if (!id) return STORE_STATUS_DISK_FULL;
      op.code = OpCode::Create;
      op.id = id;
      return 0;
    });
    return id;
  });
}

} // namespace

extern "C" {

ULONG WINAPI OpenAddressBook(LPCSTR path, ULONG* status) {
  return Guarded(status, STORE_BAD_HANDLE, [&](ULONG& word) -> ULONG {
    std::string file = path && path[0] ? std::string(path) : DefaultBookPath(&word);
    if (word) return 0;
    ULONG handle = 0;
    word = Registry::Instance().Open(file, &handle);
    return handle;
  });
}

ULONG WINAPI CloseAddressBook(ULONG handle) {
  return Guarded(nullptr, 0, [&](ULONG&) -> ULONG { return Registry::Instance().Close(handle) ? 1 : 0; });
}

ULONG WINAPI GetRecordId(ULONG handle, ULONG selector, ULONG* status, StoreIdList* list) {
  return Guarded(status, STORE_CALL_FAILED, [&](ULONG& word) -> ULONG {
    CachedBook* book = Registry::Instance().Find(handle);
    if (!book || selector != STORE_SELECT_ALL_ENTRIES || !list) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    const auto& entries = book->state.Entries();
    ULONG total = static_cast<ULONG>(entries.size());
    ULONG room = list->count;
    list->count = total;
    if (!list->ids) return total;
    // Ascending ids: the persons in the order they were made, then the groups.
    ULONG filled = 0;
    for (const auto& entry : entries) {
      if (filled == room) break;
      list->ids[filled++] = entry.first;
    }
    if (room < total) word = STORE_STATUS_INVALID_ARGUMENT;
    return total;
  });
}

ULONG WINAPI CreateContactEntry(ULONG handle, ULONG* status) { return CreateEntry(handle, status, false); }

ULONG WINAPI CreateGroupEntry(ULONG handle, ULONG* status) { return CreateEntry(handle, status, true); }

ULONG WINAPI GetProps(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block) {
  return Guarded(status, STORE_CALL_FAILED, [&](ULONG& word) -> ULONG {
    CachedBook* book = Registry::Instance().Find(handle);
    if (!book) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    const Entry* entry = book->state.Find(recordId);
    if (!entry) {
      word = MissingStatus(book->state, recordId);
      return 0;
    }
    if (!block) return entry->count;
    if (block->count < entry->count || (entry->count && !block->records)) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    if (!entry->records.empty()) memcpy(block->records, entry->records.data(), entry->records.size());
    block->count = entry->count;
    return entry->count;
  });
}

ULONG WINAPI SetProps(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block) {
  return Guarded(status, 0, [&](ULONG& word) -> ULONG {
    CachedBook* book = Registry::Instance().Find(handle);
    size_t length = 0;
    if (!book || !block || (block->count && !block->records) ||
        (block->count && !MeasureRecords(block->records, block->count, &length))) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    word = CommitChange(*book, [&](const BookState& state, Operation& op) -> ULONG {
      const Entry* entry = state.Find(recordId);
      if (!entry) return MissingStatus(state, recordId);
      // Saving what is stored already changes nothing, so nothing is written.
      if (entry->count == block->count && entry->records.size() == length &&
          (length == 0 || memcmp(entry->records.data(), block->records, length) == 0))
        return kNoChange;
      op.code = OpCode::Set;
      op.id = recordId;
      op.count = block->count;
      if (length) op.records.assign(block->records, block->records + length);
      return 0;
    });
    return 1;
  });
}

// The second argument is reserved: callers pass 0, and any other value is ignored.
ULONG WINAPI DeleteProps(ULONG handle, ULONG, ULONG* status, ULONG recordId) {
  return Guarded(status, 0, [&](ULONG& word) -> ULONG {
    CachedBook* book = Registry::Instance().Find(handle);
    if (!book) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    word = CommitChange(*book, [&](const BookState& state, Operation& op) -> ULONG {
      if (!state.Find(recordId)) return MissingStatus(state, recordId);
      op.code = OpCode::Delete;
      op.id = recordId;
      return 0;
    });
    return 1;
  });
}

ULONG WINAPI CnvAddressBook(ULONG* word) {
  return Guarded(word, 0, [&](ULONG& failure) -> ULONG { return ImportDefaultCsv(&failure); });
}

} // extern "C"
