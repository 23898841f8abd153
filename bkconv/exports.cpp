// The library's exports: argument checks, the process-wide lock, and nothing thrown across them.
#include <cstring>
#include <mutex>
#include <string>

#include "book_file.h"
#include "csv_import.h"
#include "default_book.h"
#include "registry.h"
#include "salvage.h"

using namespace bkconv;

namespace {

using Hold = std::unique_lock<std::mutex>;

ULONG Fail(ULONG* status, ULONG word, ULONG value) {
  if (status) *status = word;
  return value;
}

// Runs body under the library's lock. body sets word to report a failure; anything thrown (memory running
// out, mostly) becomes a disk-error status, since the call interface has no better word for it.
template <class Body> ULONG Guarded(ULONG* status, ULONG failure, Body body) {
  try {
    Hold hold(Registry::Instance().Lock());
    ULONG word = 0;
    ULONG result = body(hold, word);
    if (word) return Fail(status, word, failure);
    return result;
  } catch (...) {
    Registry::Instance().Recover();
    return Fail(status, STORE_STATUS_DISK_ERROR, failure);
  }
}

// The book of a handle, or null with status 1.
CachedBook* BookOf(ULONG handle, ULONG& word) {
  CachedBook* book = Registry::Instance().Find(handle);
  if (!book) word = STORE_STATUS_INVALID_ARGUMENT;
  return book;
}

// 5 for an id that was handed out and deleted since, 4 for one never handed out.
ULONG MissingStatus(const BookState& state, ULONG id) {
  return state.WasDeleted(id) ? STORE_STATUS_NO_RECORD : STORE_STATUS_NOT_FOUND;
}

ULONG CreateEntry(ULONG handle, ULONG* status, bool group) {
  return Guarded(status, group ? STORE_NO_GROUP : STORE_NO_PERSON, [&](Hold&, ULONG& word) -> ULONG {
    CachedBook* book = BookOf(handle, word);
    if (!book) return 0;
    ULONG id = 0;
    word = CreateEntryIn(*book, group, &id);
    if (!word) Registry::Instance().NoteChange(handle);
    return id;
  });
}

std::string PathOrDefault(LPCSTR path, ULONG& word) {
  if (path && path[0]) return std::string(path);
  return DefaultBookPath(&word);
}

} // namespace

extern "C" {

ULONG WINAPI OpenAddressBook(LPCSTR path, ULONG* status) {
  return Guarded(status, STORE_BAD_HANDLE, [&](Hold& hold, ULONG& word) -> ULONG {
    std::string file = PathOrDefault(path, word);
    if (word) return 0;
    ULONG handle = 0;
    word = Registry::Instance().Open(hold, file, &handle);
    return handle;
  });
}

// Ends an opening; the last opening of a book commits what it changed. Non-zero when that worked.
ULONG WINAPI CloseAddressBook(ULONG handle) {
  return Guarded(nullptr, 0, [&](Hold&, ULONG&) -> ULONG {
    bool known = false;
    ULONG status = Registry::Instance().Close(handle, &known);
    return known && !status ? 1 : 0;
  });
}

ULONG WINAPI GetRecordId(ULONG handle, ULONG selector, ULONG* status, StoreIdList* list) {
  return Guarded(status, STORE_CALL_FAILED, [&](Hold&, ULONG& word) -> ULONG {
    CachedBook* book = BookOf(handle, word);
    if (!book) return 0;
    if (selector != STORE_SELECT_ALL_ENTRIES || !list) {
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
  return Guarded(status, STORE_CALL_FAILED, [&](Hold&, ULONG& word) -> ULONG {
    CachedBook* book = BookOf(handle, word);
    if (!book) return 0;
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
    size_t room = static_cast<size_t>(block->count) * STORE_FIELD_RECORD_SIZE;
    if (entry->count && !UnpackRecords(entry->packed, entry->count, block->records, room)) {
      word = STORE_STATUS_DISK_ERROR;
      return 0;
    }
    block->count = entry->count;
    return entry->count;
  });
}

ULONG WINAPI SetProps(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block) {
  return Guarded(status, 0, [&](Hold&, ULONG& word) -> ULONG {
    CachedBook* book = BookOf(handle, word);
    if (!book) return 0;
    std::vector<BYTE> packed;
    if (!block || (block->count && !block->records) ||
        (block->count && !PackRecords(block->records, block->count, &packed))) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    bool changed = false;
    word = SetRecordsIn(*book, recordId, block->count, packed, &changed);
    if (changed) Registry::Instance().NoteChange(handle);
    return 1;
  });
}

// The second argument is reserved: callers pass 0, and any other value is ignored.
ULONG WINAPI DeleteProps(ULONG handle, ULONG, ULONG* status, ULONG recordId) {
  return Guarded(status, 0, [&](Hold&, ULONG& word) -> ULONG {
    CachedBook* book = BookOf(handle, word);
    if (!book) return 0;
    word = DeleteEntryIn(*book, recordId);
    if (!word) Registry::Instance().NoteChange(handle);
    return 1;
  });
}

ULONG WINAPI CnvAddressBook(ULONG* word) {
  return Guarded(word, 0, [&](Hold& hold, ULONG& failure) -> ULONG { return ImportDefaultCsv(hold, &failure); });
}

ULONG WINAPI CommitAddressBook(ULONG handle, ULONG* status) {
  return Guarded(status, 0, [&](Hold&, ULONG& word) -> ULONG {
    word = Registry::Instance().Commit(handle);
    return 1;
  });
}

ULONG WINAPI RollbackAddressBook(ULONG handle, ULONG* status) {
  return Guarded(status, 0, [&](Hold&, ULONG& word) -> ULONG {
    word = Registry::Instance().Rollback(handle);
    return 1;
  });
}

ULONG WINAPI SalvageAddressBook(LPCSTR path, ULONG mode, StoreSalvageReport* report, ULONG* status) {
  return Guarded(status, 0, [&](Hold& hold, ULONG& word) -> ULONG {
    if (!report || report->size < sizeof *report || mode > STORE_SALVAGE_REPAIR) {
      word = STORE_STATUS_INVALID_ARGUMENT;
      return 0;
    }
    std::string file = PathOrDefault(path, word);
    if (word) return 0;
    word =
        Registry::Instance().Exclusively(hold, [&] { return SalvageBook(file, mode == STORE_SALVAGE_REPAIR, report); });
    return 1;
  });
}

} // extern "C"
