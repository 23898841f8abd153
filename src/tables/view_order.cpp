// Working out a restricted or sorted view's rows: filtering the table's rows, then sorting them by
// their folded display names, rows of the same name in table order.
#include "tables/view_order.h"

#include <algorithm>
#include <cstring>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "rules/name_match.h"
#include "tables/row_filter.h"
#include "tables/table_data.h"

namespace abk {

namespace {

struct SortKey {
  const SRow* row;
  ULONG index;  // the row's place among the view's rows before sorting: the tie-breaker
  ULONG offset; // the folded name's place in the pool
  ULONG length;
};

void FoldName(const SRow& row, FoldedText* name) {
  const SPropValue* value = FindPropValue(row.lpProps, row.cValues, PR_DISPLAY_NAME);
  FoldBookText(value ? value->Value.lpszA : nullptr, name);
}

} // namespace

ViewOrder::~ViewOrder() {
  HeapDelete(filter_);
  HeapFree(rows_);
}

void ViewOrder::SetFilter(RowFilter* filter) {
  HeapDelete(filter_);
  filter_ = filter;
  fresh_ = false;
}

void ViewOrder::SetSort(SortDirection sort) {
  sort_ = sort;
  fresh_ = false;
}

HRESULT ViewOrder::Refresh(const TableData& table) {
  if (!Active() || (fresh_ && changes_ == table.Changes())) return S_OK;
  fresh_ = false;
  count_ = 0;
  HeapFree(rows_);
  rows_ = nullptr;
  ULONG total = table.RowCount();
  if (total) {
    rows_ = static_cast<const SRow**>(HeapAllocate(total * sizeof(const SRow*)));
    if (!rows_) return E_OUTOFMEMORY;
  }
  for (ULONG i = 0; i < total; ++i) {
    const SRow* row = table.RowAt(i);
    if (!filter_ || filter_->Passes(*row)) rows_[count_++] = row;
  }
  if (sort_ != SortDirection::kNone && count_ > 1) {
    HRESULT hr = SortRows();
    if (FAILED(hr)) {
      count_ = 0;
      return hr;
    }
  }
  changes_ = table.Changes();
  fresh_ = true;
  return S_OK;
}

// Each name is folded twice, once to size the pool and once to fill it, rather than kept whole-size.
HRESULT ViewOrder::SortRows() {
  auto* keys = static_cast<SortKey*>(HeapAllocate(count_ * sizeof(SortKey)));
  if (!keys) return E_OUTOFMEMORY;
  FoldedText name;
  size_t poolLength = 0;
  for (ULONG i = 0; i < count_; ++i) {
    FoldName(*rows_[i], &name);
    keys[i] = {rows_[i], i, static_cast<ULONG>(poolLength), static_cast<ULONG>(name.length)};
    poolLength += name.length;
  }
  auto* pool = static_cast<WCHAR*>(HeapAllocate(poolLength ? poolLength * sizeof(WCHAR) : 1));
  if (!pool) {
    HeapFree(keys);
    return E_OUTOFMEMORY;
  }
  for (ULONG i = 0; i < count_; ++i) {
    FoldName(*rows_[i], &name);
    memcpy(pool + keys[i].offset, name.chars, name.length * sizeof(WCHAR));
  }

  bool descending = sort_ == SortDirection::kDescending;
  std::sort(keys, keys + count_, [pool, descending](const SortKey& a, const SortKey& b) {
    // By folded characters, a shorter name first where one begins the other.
    int order = WideView(pool + a.offset, a.length).compare(WideView(pool + b.offset, b.length));
    if (order != 0) return descending ? order > 0 : order < 0;
    return a.index < b.index;
  });
  for (ULONG i = 0; i < count_; ++i)
    rows_[i] = keys[i].row;
  HeapFree(pool);
  HeapFree(keys);
  return S_OK;
}

} // namespace abk
