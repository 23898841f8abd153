// A first stand-in for the store library that keeps every book in process memory. It honours the call
// interface (two-call patterns, record sizes, status words) so the provider can bind to it and be
// tested; the durable file store replaces it.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "store/store_abi.h"

namespace {

struct Book {
  std::map<ULONG, std::vector<BYTE>> records; // record id -> packed records
  ULONG nextPerson = 1;
  ULONG nextGroup = STORE_GROUP_BIT + 1;
};

struct State {
  State() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  std::map<std::string, Book> books; // by path; "" is the default book
  std::vector<Book*> handles;        // handle = index; null when closed
};

State& GetState() {
  static State state;
  return state;
}

class Locked {
public:
  Locked() { EnterCriticalSection(&GetState().lock); }
  ~Locked() { LeaveCriticalSection(&GetState().lock); }
};

ULONG Fail(ULONG* status, ULONG word, ULONG value) {
  if (status) *status = word;
  return value;
}

Book* BookFor(ULONG handle) {
  State& state = GetState();
  if (handle >= state.handles.size()) return nullptr;
  return state.handles[handle];
}

// Length of a packed record set, stepping by each record's own size.
size_t PackedLength(const BYTE* records, ULONG count) {
  size_t offset = 0;
  for (ULONG i = 0; i < count; ++i)
    offset += StoreRecordSize(records + offset);
  return offset;
}

} // namespace

extern "C" {

ULONG WINAPI OpenAddressBook(LPCSTR path, ULONG* status) {
  Locked locked;
  try {
    State& state = GetState();
    Book* book = &state.books[path ? path : ""];
    for (ULONG i = 0; i < state.handles.size(); ++i) {
      if (state.handles[i]) continue;
      state.handles[i] = book;
      return i;
    }
    state.handles.push_back(book);
    return static_cast<ULONG>(state.handles.size() - 1);
  } catch (...) {
    return Fail(status, STORE_STATUS_DISK_FULL, STORE_BAD_HANDLE);
  }
}

ULONG WINAPI CloseAddressBook(ULONG handle) {
  Locked locked;
  if (BookFor(handle)) GetState().handles[handle] = nullptr;
  return 1;
}

ULONG WINAPI GetRecordId(ULONG handle, ULONG selector, ULONG* status, StoreIdList* list) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book || selector != STORE_SELECT_ALL_ENTRIES || !list)
    return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_CALL_FAILED);
  ULONG total = static_cast<ULONG>(book->records.size());
  if (!list->ids) {
    list->count = total;
    return total;
  }
  if (list->count < total) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_CALL_FAILED);
  ULONG i = 0;
  for (const auto& entry : book->records)
    list->ids[i++] = entry.first;
  list->count = total;
  return total;
}

ULONG WINAPI CreateContactEntry(ULONG handle, ULONG* status) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_NO_PERSON);
  if (book->nextPerson >= STORE_GROUP_BIT) return Fail(status, STORE_STATUS_DISK_FULL, STORE_NO_PERSON);
  try {
    ULONG id = book->nextPerson++;
    book->records[id];
    return id;
  } catch (...) {
    return Fail(status, STORE_STATUS_DISK_FULL, STORE_NO_PERSON);
  }
}

ULONG WINAPI CreateGroupEntry(ULONG handle, ULONG* status) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_NO_GROUP);
  if (book->nextGroup == 0xFFFFFFFF) return Fail(status, STORE_STATUS_DISK_FULL, STORE_NO_GROUP);
  try {
    ULONG id = book->nextGroup++;
    book->records[id];
    return id;
  } catch (...) {
    return Fail(status, STORE_STATUS_DISK_FULL, STORE_NO_GROUP);
  }
}

ULONG WINAPI GetProps(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_CALL_FAILED);
  auto found = book->records.find(recordId);
  if (found == book->records.end()) return Fail(status, STORE_STATUS_NOT_FOUND, STORE_CALL_FAILED);
  const std::vector<BYTE>& packed = found->second;
  ULONG count = 0;
  for (size_t offset = 0; offset < packed.size(); offset += StoreRecordSize(packed.data() + offset))
    ++count;
  if (!block) return count;
  if (!block->records || block->count < count) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, STORE_CALL_FAILED);
  if (!packed.empty()) memcpy(block->records, packed.data(), packed.size());
  block->count = count;
  return count;
}

ULONG WINAPI SetProps(ULONG handle, ULONG recordId, ULONG* status, StoreRecordBlock* block) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book || !block || (block->count && !block->records)) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, 0);
  auto found = book->records.find(recordId);
  if (found == book->records.end()) return Fail(status, STORE_STATUS_NOT_FOUND, 0);
  try {
    size_t length = PackedLength(block->records, block->count);
    found->second.assign(block->records, block->records + length);
    return 1;
  } catch (...) {
    return Fail(status, STORE_STATUS_DISK_FULL, 0);
  }
}

ULONG WINAPI DeleteProps(ULONG handle, ULONG, ULONG* status, ULONG recordId) {
  Locked locked;
  Book* book = BookFor(handle);
  if (!book) return Fail(status, STORE_STATUS_INVALID_ARGUMENT, 0);
  if (book->records.erase(recordId) == 0) return Fail(status, STORE_STATUS_NOT_FOUND, 0);
  return 1;
}

ULONG WINAPI CnvAddressBook(ULONG* word) { return 0; }

} // extern "C"
