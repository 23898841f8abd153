// Reading rows through a view: QueryRows, forward and backward, one copy of each row for the caller.
#include "tables/table_view.h"

#include <cstring>

#include "provider/host_input.h"
#include "provider/module_state.h"
#include "tables/row_node.h"
#include "tables/table_data.h"

namespace abk {

static ULONG Smaller(ULONG a, ULONG b) { return a < b ? a : b; }

// A row that fails this many passes in a row (memory keeps running out) ends the read: the passes left
// would only fail again, and a caller asking for every row would wait for billions of them.
constexpr ULONG kMostFailedPasses = 4;

// Frees rows handed out in the set's manner: each value array, then the set.
static void FreeRows(SRow* rows, ULONG count) {
  for (ULONG i = 0; i < count; ++i)
    FreeBuffer(rows[i].lpProps);
}

static HRESULT NewRowSet(ULONG room, LPSRowSet* set) {
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(static_cast<ULONG>(CbNewSRowSet(static_cast<size_t>(room))), &block);
  if (FAILED(hr)) return hr;
  *set = static_cast<LPSRowSet>(block);
  (*set)->cRows = 0;
  return S_OK;
}

// The row is projected onto the view's columns straight from the table's stored row. Going through a
// copy of it projected onto the table's own columns first would give the same values: that copy holds
// the same tag in every slot, and the first value with a given tag is the same value in both.
HRESULT TableView::FillEntry(const SRow& stored, SRow* entry) const {
  const SPropTagArray& columns = Columns();
  if (columns.cValues > kMaxValues) return E_OUTOFMEMORY;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(static_cast<ULONG>(columns.cValues * sizeof(SPropValue)), &block);
  if (FAILED(hr)) return hr;
  auto* values = static_cast<SPropValue*>(block);
  hr = ProjectValues(stored.lpProps, stored.cValues, columns.aulPropTag, columns.cValues, values, block);
  if (FAILED(hr)) {
    FreeBuffer(block);
    return hr;
  }
  entry->ulAdrEntryPad = 0;
  entry->cValues = columns.cValues;
  entry->lpProps = values;
  return hr;
}

// Each of the wanted passes reads the row at the read position; a pass that fails adds nothing and the
// next one tries the same row again. Only the last pass decides the result, and passes beyond the last
// row add nothing and succeed, so the loop stops at the end of the table.
HRESULT TableView::ReadForward(ULONG wanted, LPSRowSet* rows, LONG* readPosition) {
  LONG position = *readPosition;
  ULONG count = ShownCount();
  ULONG available = position >= 0 && static_cast<ULONG>(position) < count ? count - position : 0;
  LPSRowSet set = nullptr;
  HRESULT hr = NewRowSet(Smaller(wanted, available), &set);
  if (FAILED(hr)) return hr;

  HRESULT last = S_OK;
  ULONG failed = 0;
  for (ULONG pass = 0; pass < wanted; ++pass) {
    const SRow* stored = ShownAt(position);
    if (!stored) {
      last = S_OK;
      break;
    }
    last = FillEntry(*stored, &set->aRow[set->cRows]);
    if (FAILED(last)) {
      if (++failed == kMostFailedPasses) break;
      continue;
    }
    failed = 0;
    ++set->cRows;
    ++position;
  }
  if (FAILED(last)) {
    FreeRows(set->aRow, set->cRows);
    FreeBuffer(set);
    return last;
  }
  *rows = set;
  *readPosition = position;
  return last;
}

// Reads the rows before the read position, nearest first, and hands them back in table order. A
// position left past the end by rows deleted since counts as the end.
HRESULT TableView::ReadBackward(ULONG wanted, LPSRowSet* rows, LONG* readPosition) {
  LONG count = static_cast<LONG>(ShownCount());
  LONG position = *readPosition > count ? count : *readPosition;
  ULONG room = Smaller(wanted, position > 0 ? static_cast<ULONG>(position) : 0);
  LPSRowSet set = nullptr;
  HRESULT hr = NewRowSet(room, &set);
  if (FAILED(hr)) return hr;

  // Filled from the back of the set, so that the rows end up in table order.
  ULONG filled = 0;
  HRESULT last = S_OK;
  ULONG failed = 0;
  for (ULONG pass = 0; pass < wanted; ++pass) {
    if (position <= 0) {
      last = S_OK;
      break;
    }
    last = FillEntry(*ShownAt(position - 1), &set->aRow[room - 1 - filled]);
    if (FAILED(last)) {
      if (++failed == kMostFailedPasses) break;
      continue;
    }
    failed = 0;
    ++filled;
    --position;
  }
  SRow* first = &set->aRow[room - filled];
  if (FAILED(last)) {
    FreeRows(first, filled);
    FreeBuffer(set);
    return last;
  }
  if (filled < room) memmove(set->aRow, first, filled * sizeof(SRow));
  set->cRows = filled;
  *rows = set;
  if (filled) *readPosition = position;
  return last;
}

// TBL_NOADVANCE is not honoured: the position always moves by the rows returned.
HRESULT STDMETHODCALLTYPE TableView::QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) {
  if (!Writable(lppRows)) return E_INVALIDARG;
  if (lRowCount == 0) return E_INVALIDARG;
  Locked locked(*this);
  HRESULT hr = Fresh();
  if (FAILED(hr)) return hr;
  LONG position = position_;
  LPSRowSet rows = nullptr;
  hr = lRowCount > 0 ? ReadForward(static_cast<ULONG>(lRowCount), &rows, &position)
                     : ReadBackward(0u - static_cast<ULONG>(lRowCount), &rows, &position);
  if (FAILED(hr)) return hr;
  position_ = position;
  *lppRows = rows;
  return hr;
}

} // namespace abk
