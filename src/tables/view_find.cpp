// Finding rows through a view: restricting it, searching it from a bookmark, and sorting it by name.
#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "tables/row_filter.h"
#include "tables/table_data.h"
#include "tables/table_view.h"

namespace abk {

// A null restriction lifts the one in force. Either way the view starts again at its first row.
HRESULT STDMETHODCALLTYPE TableView::Restrict(LPSRestriction lpRestriction, ULONG ulFlags) {
  RowFilter* filter = nullptr;
  if (lpRestriction) {
    HRESULT hr = RowFilter::Create(lpRestriction, &filter);
    if (FAILED(hr)) return hr;
  }
  Locked locked(*this);
  order_.SetFilter(filter);
  position_ = 0;
  return S_OK;
}

// A forward search starts at the origin's row, a backward one at the row before it; the end is past the
// last row. Found, the row becomes current; not found, the position stays where it was.
HRESULT STDMETHODCALLTYPE TableView::FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) {
  if (!lpRestriction) return E_INVALIDARG;
  RowFilter* filter = nullptr;
  HRESULT hr = RowFilter::Create(lpRestriction, &filter);
  if (FAILED(hr)) return hr;

  Locked locked(*this);
  hr = Fresh();
  LONG count = static_cast<LONG>(ShownCount());
  LONG start = count;
  if (SUCCEEDED(hr) && bkOrigin != BOOKMARK_END) hr = OriginOf(bkOrigin, &start);
  if (FAILED(hr)) {
    HeapDelete(filter);
    return hr;
  }
  if (start > count) start = count;
  if (start < 0) start = 0;
  hr = MAPI_E_NOT_FOUND;
  if (ulFlags & DIR_BACKWARD) {
    for (LONG at = start - 1; at >= 0; --at)
      if (filter->Passes(*ShownAt(at))) {
        position_ = at;
        hr = S_OK;
        break;
      }
  } else {
    for (LONG at = start; at < count; ++at)
      if (filter->Passes(*ShownAt(at))) {
        position_ = at;
        hr = S_OK;
        break;
      }
  }
  HeapDelete(filter);
  return hr;
}

// Rows sort by display name only, compared as names are matched (without case and accents); rows of the
// same name keep their table order. No sort keys at all restore the table order. The view starts again
// at its first row.
HRESULT STDMETHODCALLTYPE TableView::SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) {
  if (!lpSortCriteria || IsBadReadPtr(lpSortCriteria, CbNewSSortOrderSet(0))) return E_INVALIDARG;
  if (lpSortCriteria->cSorts > 1 || lpSortCriteria->cCategories != 0 || lpSortCriteria->cExpanded != 0)
    return MAPI_E_TOO_COMPLEX;
  if (IsBadReadPtr(lpSortCriteria, CbSSortOrderSet(lpSortCriteria))) return E_INVALIDARG;
  SortDirection sort = SortDirection::kNone;
  if (lpSortCriteria->cSorts == 1) {
    const SSortOrder& key = lpSortCriteria->aSort[0];
    if (key.ulPropTag != PR_DISPLAY_NAME) return MAPI_E_TOO_COMPLEX;
    if (key.ulOrder == TABLE_SORT_ASCEND)
      sort = SortDirection::kAscending;
    else if (key.ulOrder == TABLE_SORT_DESCEND)
      sort = SortDirection::kDescending;
    else
      return MAPI_E_TOO_COMPLEX;
  }
  Locked locked(*this);
  order_.SetSort(sort);
  position_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TableView::QuerySortOrder(LPSSortOrderSet* lppSortCriteria) {
  if (!Writable(lppSortCriteria)) return E_INVALIDARG;
  Locked locked(*this);
  SortDirection sort = order_.Sort();
  ULONG sorts = sort == SortDirection::kNone ? 0 : 1;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(static_cast<ULONG>(CbNewSSortOrderSet(sorts)), &block);
  if (FAILED(hr)) return hr;
  auto* set = static_cast<LPSSortOrderSet>(block);
  set->cSorts = sorts;
  set->cCategories = 0;
  set->cExpanded = 0;
  if (sorts) {
    set->aSort[0].ulPropTag = PR_DISPLAY_NAME;
    set->aSort[0].ulOrder = sort == SortDirection::kAscending ? TABLE_SORT_ASCEND : TABLE_SORT_DESCEND;
  }
  *lppSortCriteria = set;
  return S_OK;
}

} // namespace abk
