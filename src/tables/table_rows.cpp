// The table's row operations: insert-or-replace by index value, delete, query by value or position.
// Each holds the table's lock: a container deletes rows while views on other threads read them.
#include "tables/table_data.h"

#include "props/prop_values.h"
#include "provider/host_input.h"
#include "provider/scoped_lock.h"

namespace abk {

const SRow* TableData::RowAt(ULONG position) const {
  RowNode* node = rows_.At(position);
  return node ? &node->row : nullptr;
}

// Appends a row known to be new. Room in the index is made first, so that once the node is built
// nothing can fail and the table is never left half changed.
HRESULT TableData::AddRow(const SRow& row) {
  if (!rows_.ReserveOneMore()) return E_OUTOFMEMORY;
  RowNode* node = nullptr;
  HRESULT hr = BuildRowNode(row, *columns_, indexTag_, &node);
  if (FAILED(hr)) return hr;
  rows_.Append(node);
  ++changes_;
  return hr;
}

HRESULT STDMETHODCALLTYPE TableData::HrModifyRow(LPSRow lpSRow) {
  if (!ReadableRow(lpSRow)) return E_INVALIDARG;
  const SPropValue* key = FindPropValue(lpSRow->lpProps, lpSRow->cValues, indexTag_);
  if (!key) return E_INVALIDARG;
  ScopedLock rows(lock_);
  RowNode* old = rows_.Find(*key);
  if (!old) return AddRow(*lpSRow);

  // A replaced row keeps its place.
  RowNode* node = nullptr;
  HRESULT hr = BuildRowNode(*lpSRow, *columns_, indexTag_, &node);
  if (FAILED(hr)) return hr;
  FreeRowNode(rows_.Replace(old, node));
  ++changes_;
  return hr;
}

// The position is not honoured: rows keep the order of their first addition.
HRESULT STDMETHODCALLTYPE TableData::HrInsertRow(ULONG uliRow, LPSRow lpSRow) {
  if (!ReadableRow(lpSRow)) return E_INVALIDARG;
  const SPropValue* key = FindPropValue(lpSRow->lpProps, lpSRow->cValues, indexTag_);
  if (!key) return E_INVALIDARG;
  ScopedLock rows(lock_);
  if (rows_.Find(*key)) return E_INVALIDARG;
  return AddRow(*lpSRow);
}

// An unknown value is not an error: the row is already gone.
HRESULT STDMETHODCALLTYPE TableData::HrDeleteRow(LPSPropValue lpSPropValue) {
  if (!ReadableValue(lpSPropValue) || lpSPropValue->ulPropTag != indexTag_) return E_INVALIDARG;
  ScopedLock rows(lock_);
  RowNode* node = rows_.Find(*lpSPropValue);
  if (!node) return S_OK;
  rows_.Remove(node);
  FreeRowNode(node);
  ++changes_;
  return S_OK;
}

// When no row has the value, neither output is written.
HRESULT STDMETHODCALLTYPE TableData::HrQueryRow(LPSPropValue lpsPropValue, LPSRow* lppSRow, ULONG* lpuliRow) {
  if (!Writable(lppSRow)) return E_INVALIDARG;
  if (lpuliRow && !Writable(lpuliRow)) return E_INVALIDARG;
  if (!ReadableValue(lpsPropValue) || lpsPropValue->ulPropTag != indexTag_) return E_INVALIDARG;
  ScopedLock rows(lock_);
  RowNode* node = rows_.Find(*lpsPropValue);
  if (!node) return S_OK;
  if (lpuliRow) *lpuliRow = rows_.PositionOf(node);
  return CopyRowOut(node->row, *columns_, lppSRow);
}

HRESULT STDMETHODCALLTYPE TableData::HrEnumRow(ULONG ulRowNumber, LPSRow* lppSRow) {
  if (!Writable(lppSRow)) return E_INVALIDARG;
  ScopedLock rows(lock_);
  RowNode* node = rows_.At(ulRowNumber);
  if (!node) {
    *lppSRow = nullptr;
    return S_OK;
  }
  return CopyRowOut(node->row, *columns_, lppSRow);
}

HRESULT STDMETHODCALLTYPE TableData::HrModifyRows(ULONG ulFlags, LPSRowSet lpSRowSet) {
  if (!ReadableRowSet(lpSRowSet)) return E_INVALIDARG;
  HRESULT hr = S_OK;
  for (ULONG i = 0; i < lpSRowSet->cRows; ++i) {
    hr = HrModifyRow(&lpSRowSet->aRow[i]);
    if (FAILED(hr)) break;
  }
  return hr;
}

// Rows without the index column are skipped. Every row of the set is checked before the first delete,
// so a bad set deletes nothing.
HRESULT STDMETHODCALLTYPE TableData::HrDeleteRows(ULONG ulFlags, LPSRowSet lprowsetToDelete, ULONG* cRowsDeleted) {
  if (!Writable(cRowsDeleted)) return E_INVALIDARG;
  if (!ReadableRowSet(lprowsetToDelete)) return E_INVALIDARG;
  for (ULONG i = 0; i < lprowsetToDelete->cRows; ++i)
    if (!ReadableRow(&lprowsetToDelete->aRow[i])) return E_INVALIDARG;

  HRESULT hr = S_OK;
  ULONG deleted = 0;
  for (ULONG i = 0; i < lprowsetToDelete->cRows; ++i) {
    const SRow& row = lprowsetToDelete->aRow[i];
    SPropValue* key = const_cast<SPropValue*>(FindPropValue(row.lpProps, row.cValues, indexTag_));
    if (!key) continue;
    hr = HrDeleteRow(key);
    if (hr == MAPI_E_NOT_FOUND) continue;
    if (FAILED(hr)) break;
    ++deleted;
  }
  *cRowsDeleted = deleted;
  return deleted ? hr : MAPI_E_NOT_FOUND;
}

} // namespace abk
