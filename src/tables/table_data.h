// TableData: the provider's own ITableData, an in-memory table of rows identified by one index column.
// Containers fill it and hand the host views on it; the object itself never reaches the host.
#pragma once

#include "platform/platform.h"
#include "provider/ref_count.h"
#include "provider/scoped_lock.h"
#include "tables/row_index.h"

namespace abk {

class TableData final : public ITableData {
public:
  TableData(ULONG tableType, ULONG indexTag, LPSPropTagArray columns);
  ~TableData();
  TableData(const TableData&) = delete;
  TableData& operator=(const TableData&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE HrGetView(LPSSortOrderSet lpSSortOrderSet, CALLERRELEASE* lpfCallerRelease,
                                      ULONG ulCallerData, LPMAPITABLE* lppMAPITable) override;
  HRESULT STDMETHODCALLTYPE HrModifyRow(LPSRow lpSRow) override;
  HRESULT STDMETHODCALLTYPE HrDeleteRow(LPSPropValue lpSPropValue) override;
  HRESULT STDMETHODCALLTYPE HrQueryRow(LPSPropValue lpsPropValue, LPSRow* lppSRow, ULONG* lpuliRow) override;
  HRESULT STDMETHODCALLTYPE HrEnumRow(ULONG ulRowNumber, LPSRow* lppSRow) override;
  HRESULT STDMETHODCALLTYPE HrNotify(ULONG ulFlags, ULONG cValues, LPSPropValue lpSPropValue) override;
  HRESULT STDMETHODCALLTYPE HrInsertRow(ULONG uliRow, LPSRow lpSRow) override;
  HRESULT STDMETHODCALLTYPE HrModifyRows(ULONG ulFlags, LPSRowSet lpSRowSet) override;
  HRESULT STDMETHODCALLTYPE HrDeleteRows(ULONG ulFlags, LPSRowSet lprowsetToDelete, ULONG* cRowsDeleted) override;

  // What the views read: rows are looked at in place, never copied twice, so a view holds the table's
  // lock (after its own) for as long as it looks at them. The row operations above take it themselves.
  // Guards the rows; taken after a view's own lock, never the other way round.
  CRITICAL_SECTION& RowLock() { return lock_; }
  ULONG RowCount() const { return rows_.Count(); }
  const SRow* RowAt(ULONG position) const;
  // The columns a view shows until it sets its own: the table's, or the first of them that
  // ShowColumns named.
  const SPropTagArray& Columns() const { return shown_ ? *shown_ : *columns_; }
  // Rows keep every column, but views show only these (a prefix of the table's, kept alive by the
  // caller): the rest are there for finding rows.
  void ShowColumns(LPSPropTagArray shown) { shown_ = shown; }
  // Counts every change to the rows, so that a view can tell that rows it worked out are stale.
  ULONG Changes() const { return changes_; }
  ULONG Status() const { return status_; }
  ULONG Type() const { return tableType_; }

private:
  HRESULT AddRow(const SRow& row);

  ULONG status_ = TBLSTAT_COMPLETE;
  ULONG tableType_;
  ULONG indexTag_;
  LPSPropTagArray columns_; // the creator's, kept alive by it for the table's whole life
  LPSPropTagArray shown_ = nullptr;
  ULONG changes_ = 0;
  RowIndex rows_;
  RefCount refCount_;
  CRITICAL_SECTION lock_; // the rows: a container changes them while views read
};

// Creates a table with no rows and one reference for the caller. A given interface identifier must be
// IID_IMAPITableData. The column set is not copied.
HRESULT CreateTableData(LPCIID lpInterface, ULONG reserved, ULONG tableType, ULONG indexTag, LPSPropTagArray columns,
                        TableData** result);
HRESULT CreateTableData(LPCIID lpInterface, ULONG reserved, ULONG tableType, ULONG indexTag, LPSPropTagArray columns,
                        LPTABLEDATA* result);

} // namespace abk
