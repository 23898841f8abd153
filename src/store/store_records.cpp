// File access around one store operation and bounds-checked reading of record sets.
#include "store/store_records.h"

#include <cstring>

#include "provider/heap.h"

namespace abk {

OpenedBook::~OpenedBook() {
  if (handle_ == STORE_BAD_HANDLE) return;
  if (access_ == kWriting && !committed_ && library_.rollbackAddressBook) {
    ULONG ignored = 0;
    library_.rollbackAddressBook(handle_, &ignored);
  }
  library_.closeAddressBook(handle_);
}

HRESULT OpenedBook::Commit() {
  committed_ = true;
  if (!library_.commitAddressBook) return S_OK;
  status_ = 0;
  if (!library_.commitAddressBook(handle_, &status_)) return Failure();
  return S_OK;
}

HRESULT OpenedBook::Open() {
  status_ = 0;
  handle_ = library_.openAddressBook(library_.FilePath(), &status_);
  if (handle_ == STORE_BAD_HANDLE) return Failure();
  return S_OK;
}

RecordSet::~RecordSet() { HeapFree(data_); }

// Saves come between a reader's two calls only when several threads or processes share the book, and
// each one that does costs one more pair of calls; a reader that keeps losing gives up with the store's
// answer rather than wait.
constexpr int kReadAttempts = 4;

HRESULT RecordSet::Read(OpenedBook& book, ULONG recordId) {
  HRESULT hr = S_OK;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    bool grew = false;
    hr = ReadOnce(book, recordId, &grew);
    if (!grew) return hr;
  }
  return hr;
}

HRESULT RecordSet::ReadOnce(OpenedBook& book, ULONG recordId, bool* grew) {
  HeapFree(data_);
  data_ = nullptr;
  size_ = 0;
  count_ = 0;

  StoreLibrary& library = book.Library();
  ULONG count = library.getProps(book.Handle(), recordId, book.Status(), nullptr);
  if (count == STORE_CALL_FAILED) return book.Failure();
  if (count == 0) return S_OK;
  if (count > 0x7FFFFFFF / STORE_FIELD_RECORD_SIZE) return MAPI_E_DISK_ERROR;

  size_t size = static_cast<size_t>(count) * STORE_FIELD_RECORD_SIZE;
  data_ = static_cast<BYTE*>(HeapAllocate(size));
  if (!data_) return E_OUTOFMEMORY;
  memset(data_, 0, size);
  size_ = size;

  StoreRecordBlock block{count, data_};
  ULONG copied = library.getProps(book.Handle(), recordId, book.Status(), &block);
  if (copied == STORE_CALL_FAILED) {
    *grew = *book.Status() == STORE_STATUS_INVALID_ARGUMENT;
    return book.Failure();
  }
  // The library may not claim more records than the room it was given.
  count_ = copied < count ? copied : count;
  return S_OK;
}

bool RecordSet::Cursor::Next(BYTE** record, size_t* size) {
  if (left_ == 0 || end_ - p_ < static_cast<ptrdiff_t>(sizeof(ULONG))) return false;
  size_t recordSize = StoreRecordSize(p_);
  if (end_ - p_ < static_cast<ptrdiff_t>(recordSize)) return false;
  *record = p_;
  *size = recordSize;
  p_ += recordSize;
  --left_;
  return true;
}

ULONG RecordWord(const BYTE* record, size_t offset) {
  ULONG word;
  memcpy(&word, record + offset, sizeof word);
  return word;
}

void RecordValue(const BYTE* record, char value[STORE_FIELD_VALUE_SIZE]) {
  memcpy(value, record + offsetof(StoreFieldRecord, value), STORE_FIELD_VALUE_SIZE - 1);
  value[STORE_FIELD_VALUE_SIZE - 1] = '\0';
}

} // namespace abk
