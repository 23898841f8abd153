// The table view object: interfaces, reference count, status, columns, row count, unsupported slots.
#include "tables/table_view.h"

#include <cstring>

#include "provider/heap.h"
#include "provider/host_input.h"
#include "provider/module_state.h"
#include "tables/table_data.h"

namespace abk {

TableView::TableView(TableData* table) : table_(table) {
  table_->AddRef();
  InitializeCriticalSection(&lock_);
}

// The table may go with the view's reference when its creator has already let it go.
TableView::~TableView() {
  if (columns_) FreeBuffer(columns_);
  table_->Release();
  if (bookmarks_) FreeBuffer(bookmarks_);
  DeleteCriticalSection(&lock_);
}

TableView::Locked::Locked(TableView& view) : view_(view.lock_), rows_(view.table_->RowLock()) {}

HRESULT STDMETHODCALLTYPE TableView::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!Writable(ppvObj)) return E_INVALIDARG;
  *ppvObj = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPITable)) return E_NOINTERFACE;
  refCount_.Add();
  *ppvObj = static_cast<IMAPITable*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE TableView::AddRef() { return refCount_.Add(); }

ULONG STDMETHODCALLTYPE TableView::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) HeapDelete(this);
  return count;
}

HRESULT STDMETHODCALLTYPE TableView::GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) {
  if (!Writable(lpulTableStatus)) return E_INVALIDARG;
  if (!Writable(lpulTableType)) return E_INVALIDARG;
  *lpulTableStatus = table_->Status();
  *lpulTableType = table_->Type();
  return S_OK;
}

// Hosts read contents tables without ever calling SetColumns, so until then the view shows the table's
// own columns.
const SPropTagArray& TableView::Columns() const { return columns_ ? *columns_ : table_->Columns(); }

// The tags are taken as they are: one the table does not hold comes back as an error value in every row.
HRESULT STDMETHODCALLTYPE TableView::SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) {
  if (!ReadableTagArray(lpPropTagArray)) return E_INVALIDARG;
  ULONG size = static_cast<ULONG>(CbNewSPropTagArray(static_cast<size_t>(lpPropTagArray->cValues)));
  void* copy = nullptr;
  HRESULT hr = AllocateBuffer(size, &copy);
  if (FAILED(hr)) return hr;
  memcpy(copy, lpPropTagArray, size);
  Locked locked(*this);
  if (columns_) FreeBuffer(columns_);
  columns_ = static_cast<LPSPropTagArray>(copy);
  return S_OK;
}

// TBL_ALL_COLUMNS is not honoured: the view offers no columns beyond its current set.
HRESULT STDMETHODCALLTYPE TableView::QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) {
  if (!Writable(lpPropTagArray)) return E_INVALIDARG;
  Locked locked(*this);
  const SPropTagArray& columns = Columns();
  ULONG size = static_cast<ULONG>(CbNewSPropTagArray(static_cast<size_t>(columns.cValues)));
  void* copy = nullptr;
  HRESULT hr = AllocateBuffer(size, &copy);
  if (FAILED(hr)) return hr;
  memcpy(copy, &columns, size);
  *lpPropTagArray = static_cast<LPSPropTagArray>(copy);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TableView::GetRowCount(ULONG ulFlags, ULONG* lpulCount) {
  if (!Writable(lpulCount)) return E_INVALIDARG;
  Locked locked(*this);
  HRESULT hr = Fresh();
  if (FAILED(hr)) return hr;
  *lpulCount = ShownCount();
  return S_OK;
}

HRESULT TableView::Fresh() { return order_.Refresh(*table_); }

ULONG TableView::ShownCount() const { return order_.Active() ? order_.Count() : table_->RowCount(); }

const SRow* TableView::ShownAt(LONG position) const {
  if (position < 0) return nullptr;
  return order_.Active() ? order_.At(static_cast<ULONG>(position)) : table_->RowAt(static_cast<ULONG>(position));
}

// Errors, notifications and categories are not offered.
HRESULT STDMETHODCALLTYPE TableView::GetLastError(HRESULT, ULONG, LPMAPIERROR*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::Advise(ULONG, LPMAPIADVISESINK, ULONG*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::Unadvise(ULONG) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::Abort() { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE TableView::CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::WaitForCompletion(ULONG, ULONG, ULONG*) { return MAPI_E_NO_SUPPORT; }
HRESULT STDMETHODCALLTYPE TableView::GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) {
  return MAPI_E_NO_SUPPORT;
}
HRESULT STDMETHODCALLTYPE TableView::SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) { return MAPI_E_NO_SUPPORT; }

} // namespace abk
