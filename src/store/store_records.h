// File access for one store operation, and reading a record's records safely: the file is opened at
// the start of an operation and closed on every path out of it; a record set read back is never
// trusted to stay inside its buffer.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "store/store_library.h"

namespace abk {

// Opens the address-book file for the life of one operation; the destructor closes it.
//
// With a library that takes each opening as one transaction (it has CommitAddressBook), an opening that
// writes ends with Commit: everything it changed is written at once, with one flush, and the result says
// whether that worked. A writing opening that ends without Commit (its operation failed) is rolled back,
// so a failed save leaves nothing behind. Openings of this thread nested inside another one join it: their
// changes are written when the outermost one commits, and a rollback inside spoils the whole of it. With
// another library every call is written on its own and Commit has nothing left to do.
//
// The book stays locked against other writers while it is open, so no opening waits on the user.
class OpenedBook {
public:
  enum Access { kReading, kWriting };
  explicit OpenedBook(StoreLibrary& library, Access access = kReading) : library_(library), access_(access) {}
  ~OpenedBook();
  OpenedBook(const OpenedBook&) = delete;
  OpenedBook& operator=(const OpenedBook&) = delete;

  HRESULT Open();
  // Makes what this opening changed durable (see above).
  HRESULT Commit();
  ULONG Handle() const { return handle_; }
  ULONG* Status() { return &status_; }
  // The result code of the call that just failed.
  HRESULT Failure() const { return MapStoreStatus(status_); }
  StoreLibrary& Library() { return library_; }

private:
  StoreLibrary& library_;
  Access access_;
  bool committed_ = false;
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

} // namespace abk
