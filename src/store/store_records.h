// File access for one store operation, and reading a record's records safely: the file is opened at
// the start of an operation and closed on every path out of it; a record set read back is never
// trusted to stay inside its buffer.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "store/store_library.h"

// Opens the address-book file for the life of one operation; the destructor closes it.
class OpenedBook {
public:
  explicit OpenedBook(StoreLibrary& library) : library_(library) {}
  ~OpenedBook();
  OpenedBook(const OpenedBook&) = delete;
  OpenedBook& operator=(const OpenedBook&) = delete;

  HRESULT Open();
  ULONG Handle() const { return handle_; }
  ULONG* Status() { return &status_; }
  // The result code of the call that just failed.
  HRESULT Failure() const { return MapStoreStatus(status_); }
  StoreLibrary& Library() { return library_; }

private:
  StoreLibrary& library_;
  ULONG handle_ = STORE_BAD_HANDLE;
  ULONG status_ = 0;
};

// A record's records as the library handed them back: count × 260 bytes of room, count records.
class RecordSet {
public:
  RecordSet() = default;
  ~RecordSet();
  RecordSet(const RecordSet&) = delete;
  RecordSet& operator=(const RecordSet&) = delete;

  // Reads every record of recordId: the count with a null block, then the records. A record with no
  // records leaves the set empty and succeeds. A record that grew between the two calls (saved
  // meanwhile by another thread or process) is counted again, a few times at most.
  HRESULT Read(OpenedBook& book, ULONG recordId);

  ULONG Count() const { return count_; }
  BYTE* Data() { return data_; }
  size_t Size() const { return size_; }

  // Steps through the records by each one's own size; stops at the count or at a record that would
  // cross the end of the buffer.
  class Cursor {
  public:
    explicit Cursor(RecordSet& set) : p_(set.data_), end_(set.data_ + set.size_), left_(set.count_) {}
    // The next record and its size, or false at the end.
    bool Next(BYTE** record, size_t* size);

  private:
    BYTE* p_;
    BYTE* end_;
    ULONG left_;
  };

private:
  // One count and one copy; grew is set when the copy was refused for want of room.
  HRESULT ReadOnce(OpenedBook& book, ULONG recordId, bool* grew);

  BYTE* data_ = nullptr;
  size_t size_ = 0;
  ULONG count_ = 0;
};

// The field id of a 260-byte record, and its value cut at 255 characters when the library left no
// terminator inside the 256 value bytes.
ULONG RecordWord(const BYTE* record, size_t offset);
void RecordValue(const BYTE* record, char value[STORE_FIELD_VALUE_SIZE]);
