// TableView: the provider's IMAPITable, a cursor over one TableData with its own column set, position
// and bookmarks. It holds no rows: every read looks at the table as it is at that moment.
#pragma once

#include "platform/platform.h"
#include "provider/ref_count.h"
#include "provider/scoped_lock.h"
#include "tables/view_order.h"

namespace abk {

class TableData;

class TableView final : public IMAPITable {
public:
  // Takes a reference to the table for the view's whole life. The view itself starts with none: its
  // creator takes the first.
  explicit TableView(TableData* table);
  ~TableView();
  TableView(const TableView&) = delete;
  TableView& operator=(const TableView&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
  HRESULT STDMETHODCALLTYPE Advise(ULONG ulEventMask, LPMAPIADVISESINK lpAdviseSink, ULONG* lpulConnection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(ULONG ulConnection) override;
  HRESULT STDMETHODCALLTYPE GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) override;
  HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) override;
  HRESULT STDMETHODCALLTYPE GetRowCount(ULONG ulFlags, ULONG* lpulCount) override;
  HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override;
  HRESULT STDMETHODCALLTYPE SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) override;
  HRESULT STDMETHODCALLTYPE QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) override;
  HRESULT STDMETHODCALLTYPE FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE Restrict(LPSRestriction lpRestriction, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE CreateBookmark(BOOKMARK* lpbkPosition) override;
  HRESULT STDMETHODCALLTYPE FreeBookmark(BOOKMARK bkPosition) override;
  HRESULT STDMETHODCALLTYPE SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) override;
  HRESULT STDMETHODCALLTYPE QuerySortOrder(LPSSortOrderSet* lppSortCriteria) override;
  HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) override;
  HRESULT STDMETHODCALLTYPE Abort() override;
  HRESULT STDMETHODCALLTYPE ExpandRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount, ULONG ulFlags,
                                      LPSRowSet* lppRows, ULONG* lpulMoreRows) override;
  HRESULT STDMETHODCALLTYPE CollapseRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags,
                                        ULONG* lpulRowCount) override;
  HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG ulFlags, ULONG ulTimeout, ULONG* lpulTableStatus) override;
  HRESULT STDMETHODCALLTYPE GetCollapseState(ULONG ulFlags, ULONG cbInstanceKey, LPBYTE lpbInstanceKey,
                                             ULONG* lpcbCollapseState, LPBYTE* lppbCollapseState) override;
  HRESULT STDMETHODCALLTYPE SetCollapseState(ULONG ulFlags, ULONG cbCollapseState, LPBYTE pbCollapseState,
                                             BOOKMARK* lpbkLocation) override;

private:
  // Held by every operation on the view's position, columns, bookmarks or rows: the view's own lock,
  // since a host may share one view between threads, then the table's, since its container may change
  // the rows meanwhile. Always in that order; the table never waits for a view.
  class Locked final {
  public:
    explicit Locked(TableView& view);

  private:
    ScopedLock view_;
    ScopedLock rows_;
  };

  // The view's columns: its own once SetColumns has run, the table's until then.
  const SPropTagArray& Columns() const;
  // The rows the view shows: the table's, or those its restriction lets through in its sort order.
  // Under the locks, Fresh first brings them up to date; it fails only when memory runs out.
  HRESULT Fresh();
  ULONG ShownCount() const;
  const SRow* ShownAt(LONG position) const;
  LONG ClampedTarget(LONG base, LONG rowCount) const;
  // The slot of one of this view's bookmarks, or null when the value names none.
  LONG* BookmarkSlot(BOOKMARK bookmark) const;
  // Where a seek or a search from the origin starts; MAPI_E_INVALID_BOOKMARK for a bookmark not set.
  HRESULT OriginOf(BOOKMARK origin, LONG* position) const;
  HRESULT FillEntry(const SRow& stored, SRow* entry) const;
  HRESULT ReadForward(ULONG wanted, LPSRowSet* rows, LONG* readPosition);
  HRESULT ReadBackward(ULONG wanted, LPSRowSet* rows, LONG* readPosition);

  TableData* table_;
  LONG position_ = 0;
  LPSPropTagArray columns_ = nullptr; // one host block, null until the first SetColumns
  LONG* bookmarks_ = nullptr;         // one host block of kBookmarkSlots, null until the first CreateBookmark
  ViewOrder order_;                   // the restriction and sort order, unused until the first is set
  RefCount refCount_{1};              // the creator's
  CRITICAL_SECTION lock_;             // with Locked, the view's state
};

} // namespace abk
