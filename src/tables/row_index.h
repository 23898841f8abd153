// RowIndex: the table's rows in order, reachable by position in constant time and by index value
// through a hash of the value's bytes.
#pragma once

#include "platform/platform.h"
#include "tables/row_node.h"

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
  RowNode* At(ULONG position) const { return position < count_ ? rows_[position] : nullptr; }

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

  ULONG indexType_;
  bool hashed_;
  RowNode** rows_ = nullptr; // in table order
  ULONG count_ = 0;
  ULONG capacity_ = 0;
  RowNode** buckets_ = nullptr; // a power of two of them, only for hashed types
  ULONG bucketCount_ = 0;
};
