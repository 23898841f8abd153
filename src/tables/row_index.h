// RowIndex: the table's rows in order, reachable by position and by index value through a hash of the
// value's bytes.
//
// Rows sit in slots, in table order; a deleted row leaves its slot empty, and a count tree over the
// slots (a Fenwick tree of live rows) turns a position into a slot and back in logarithmic time. So an
// append, a deletion and a look-up by position each cost O(log n), and the slots are closed up, in one
// linear pass, only once the empty ones outnumber the rows.
#pragma once

#include "platform/platform.h"
#include "tables/row_node.h"

namespace abk {

// Row identity is ComparePropValues' equality on the index column's type. For the types where that
// equality is plain equality of the value's bytes (binary, GUID, 16- and 32-bit integers, booleans by
// truth) equal values hash alike, so a bucket holds every candidate; for the others (strings compared
// by the locale, floating point within 1) no hash can agree with the equality, and finding a row scans
// the rows in order.
class RowIndex {
public:
  explicit RowIndex(ULONG indexTag);
  ~RowIndex();
  RowIndex(const RowIndex&) = delete;
  RowIndex& operator=(const RowIndex&) = delete;

  ULONG Count() const { return count_; }
  RowNode* At(ULONG position) const;
  // The number of rows before this one.
  ULONG PositionOf(const RowNode* node) const;

  // The first row, in table order, whose key equals the value; null when none.
  RowNode* Find(const SPropValue& value) const;

  // Makes room for one more row, so that Append cannot fail; false when the provider heap is out.
  bool ReserveOneMore();
  void Append(RowNode* node);
  // Puts node at the position of the row it replaces and returns the old row for the caller to free.
  RowNode* Replace(RowNode* old, RowNode* node);
  // Takes the row out, closing the gap; the caller frees it.
  void Remove(RowNode* node);
  // Frees every row.
  void Clear();

private:
  bool Hashed() const { return hashed_; }
  ULONG HashOf(const SPropValue& value) const;
  bool KeysEqual(const SPropValue& a, const SPropValue& b) const;
  void Link(RowNode* node);
  void Unlink(RowNode* node);
  bool GrowRows();
  bool GrowBuckets();
  // The count tree: add to a slot's count; rebuild it from the slots.
  void AddToCount(ULONG slot, LONG delta);
  void RebuildCounts();
  // Closes up the empty slots.
  void Compact();

  ULONG indexType_;
  bool hashed_;
  RowNode** rows_ = nullptr;    // slots in table order; null where a row was deleted
  ULONG* counts_ = nullptr;     // the count tree over the slots, 1-based, capacity_ + 1 entries
  ULONG used_ = 0;              // slots handed out, empty ones included
  ULONG count_ = 0;             // rows
  ULONG capacity_ = 0;          // a power of two
  RowNode** buckets_ = nullptr; // a power of two of them, only for hashed types
  ULONG bucketCount_ = 0;
};

} // namespace abk
