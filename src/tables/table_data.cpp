// The table data object: creation, interfaces, reference count, views and destruction.
#include "tables/table_data.h"

#include "provider/heap.h"
#include "provider/host_input.h"
#include "tables/table_view.h"

namespace abk {

TableData::TableData(ULONG tableType, ULONG indexTag, LPSPropTagArray columns)
    : tableType_(tableType), indexTag_(indexTag), columns_(columns), rows_(indexTag) {
  InitializeCriticalSection(&lock_);
}

// Every row goes with the index (one FreeBuffer each); the column set stays with its owner.
TableData::~TableData() { DeleteCriticalSection(&lock_); }

HRESULT CreateTableData(LPCIID lpInterface, ULONG reserved, ULONG tableType, ULONG indexTag, LPSPropTagArray columns,
                        TableData** result) {
  if (!Writable(result)) return E_INVALIDARG;
  *result = nullptr;
  if (lpInterface && !IsEqualIID(*lpInterface, IID_IMAPITableData)) return E_NOINTERFACE;
  if (!ReadableTagArray(columns)) return E_INVALIDARG;
  TableData* table = HeapNew<TableData>(tableType, indexTag, columns);
  if (!table) return E_OUTOFMEMORY;
  table->AddRef();
  *result = table;
  return S_OK;
}

HRESULT CreateTableData(LPCIID lpInterface, ULONG reserved, ULONG tableType, ULONG indexTag, LPSPropTagArray columns,
                        LPTABLEDATA* result) {
  if (!Writable(result)) return E_INVALIDARG;
  TableData* table = nullptr;
  HRESULT hr = CreateTableData(lpInterface, reserved, tableType, indexTag, columns, &table);
  *result = table;
  return hr;
}

HRESULT STDMETHODCALLTYPE TableData::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!Writable(ppvObj)) return E_INVALIDARG;
  *ppvObj = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPITableData)) return E_NOINTERFACE;
  refCount_.Add();
  *ppvObj = static_cast<ITableData*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE TableData::AddRef() { return refCount_.Add(); }

ULONG STDMETHODCALLTYPE TableData::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) HeapDelete(this);
  return count;
}

// The release callback is not offered. A sort order is the one SortTable takes (by display name), and one
// it refuses is refused here too rather than ignored. The new view holds one reference, the caller's.
HRESULT STDMETHODCALLTYPE TableData::HrGetView(LPSSortOrderSet lpSSortOrderSet, CALLERRELEASE* lpfCallerRelease,
                                               ULONG ulCallerData, LPMAPITABLE* lppMAPITable) {
  if (!Writable(lppMAPITable)) return E_INVALIDARG;
  *lppMAPITable = nullptr;
  TableView* view = HeapNew<TableView>(this);
  if (!view) return E_OUTOFMEMORY;
  if (lpSSortOrderSet) {
    HRESULT hr = view->SortTable(lpSSortOrderSet, 0);
    if (FAILED(hr)) {
      view->Release();
      return hr == E_INVALIDARG ? MAPI_E_TOO_COMPLEX : hr;
    }
  }
  *lppMAPITable = view;
  return S_OK;
}

// Nobody is told of changes: views read the rows as they are at each call.
HRESULT STDMETHODCALLTYPE TableData::HrNotify(ULONG ulFlags, ULONG cValues, LPSPropValue lpSPropValue) {
  return MAPI_E_NO_SUPPORT;
}

} // namespace abk
