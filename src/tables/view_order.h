// ViewOrder: the rows a restricted or sorted view shows, the table's rows that pass the view's filter in
// the view's order. It is worked out again whenever the table has changed since, so the view keeps
// reading the table as it is at each call; an unrestricted, unsorted view never uses it.
#pragma once

#include "platform/platform.h"

namespace abk {

class RowFilter;
class TableData;

enum class SortDirection { kNone, kAscending, kDescending };

class ViewOrder {
public:
  ViewOrder() = default;
  ~ViewOrder();
  ViewOrder(const ViewOrder&) = delete;
  ViewOrder& operator=(const ViewOrder&) = delete;

  bool Active() const { return filter_ || sort_ != SortDirection::kNone; }
  // Takes the filter (null for none) and frees the one before.
  void SetFilter(RowFilter* filter);
  void SetSort(SortDirection sort);
  SortDirection Sort() const { return sort_; }

  // Brings the rows up to date with the table; the caller holds the table's lock, and the rows stay
  // valid while it does. E_OUTOFMEMORY leaves the view without rows until a later call succeeds.
  HRESULT Refresh(const TableData& table);
  ULONG Count() const { return count_; }
  const SRow* At(ULONG position) const { return position < count_ ? rows_[position] : nullptr; }

private:
  HRESULT SortRows();

  RowFilter* filter_ = nullptr;
  SortDirection sort_ = SortDirection::kNone;
  const SRow** rows_ = nullptr; // provider heap, count_ of them
  ULONG count_ = 0;
  ULONG changes_ = 0; // the table's change count the rows were worked out at
  bool fresh_ = false;
};

} // namespace abk
