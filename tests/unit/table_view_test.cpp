// Table views: columns, the clamping position model, bookmarks, reading rows, and life beside the table.
#include <gtest/gtest.h>

#include "tables/table_data.h"
#include "unit/table_test_support.h"

using namespace tabletest;

namespace {

class TableViewTest : public TableTest {
protected:
  void TearDown() override {
    for (LPMAPITABLE view : views)
      view->Release();
    TableTest::TearDown();
  }

  // A view with the reference its creator takes, released at the end of the test.
  LPMAPITABLE NewView() {
    LPMAPITABLE view = nullptr;
    EXPECT_EQ(table->HrGetView(nullptr, nullptr, 0, &view), S_OK);
    if (!view) return nullptr;
    views.push_back(view);
    return view;
  }

  void AddPeople(ULONG count) {
    for (ULONG id = 1; id <= count; ++id)
      Add(id, NameOf(id));
  }

  // The record numbers of the rows one QueryRows returns.
  static std::vector<ULONG> Read(LPMAPITABLE view, LONG count, HRESULT expected = S_OK) {
    LPSRowSet rows = nullptr;
    EXPECT_EQ(view->QueryRows(count, 0, &rows), expected);
    std::vector<ULONG> keys;
    if (!rows) return keys;
    for (ULONG i = 0; i < rows->cRows; ++i)
      keys.push_back(KeyIn(rows->aRow[i]));
    FreeRowSet(rows);
    return keys;
  }

  static ULONG Position(LPMAPITABLE view) {
    ULONG row = 0;
    EXPECT_EQ(view->QueryPosition(&row, nullptr, nullptr), S_OK);
    return row;
  }

  static LONG Seek(LPMAPITABLE view, BOOKMARK origin, LONG count) {
    LONG sought = -99;
    EXPECT_EQ(view->SeekRow(origin, count, &sought), S_OK);
    return sought;
  }

  std::vector<LPMAPITABLE> views;
};

// Hosts read contents tables without SetColumns: the table's own columns, every row, then nothing.
TEST_F(TableViewTest, AFreshViewReadsTheTableColumnsToTheEndThenNothing) {
  AddPeople(3);
  LPMAPITABLE view = NewView();
  ULONG status = 9, type = 9, count = 0;
  EXPECT_EQ(view->GetStatus(&status, &type), S_OK);
  EXPECT_EQ(status, TBLSTAT_COMPLETE);
  EXPECT_EQ(type, TBLTYPE_DYNAMIC);
  EXPECT_EQ(view->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, 3u);

  LPSPropTagArray columns = nullptr;
  ASSERT_EQ(view->QueryColumns(TBL_ALL_COLUMNS, &columns), S_OK);
  ASSERT_EQ(columns->cValues, 4u);
  EXPECT_EQ(memcmp(columns, &kColumns, sizeof kColumns), 0);
  HostFreeBuffer(columns);

  LPSRowSet rows = nullptr;
  ASSERT_EQ(view->QueryRows(10, 0, &rows), S_OK) << "the last pass read past the end";
  ASSERT_EQ(rows->cRows, 3u);
  EXPECT_EQ(rows->aRow[2].cValues, 4u);
  EXPECT_EQ(StringIn(rows->aRow[2], PR_DISPLAY_NAME_A), "p3");
  EXPECT_TRUE(IsNotFound(rows->aRow[2].lpProps[3], PR_COMMENT_A));
  FreeRowSet(rows);
  EXPECT_EQ(Position(view), 3u);
  EXPECT_EQ(Read(view, 10), std::vector<ULONG>{});
  EXPECT_EQ(Position(view), 3u);

  Seek(view, BOOKMARK_BEGINNING, 0);
  EXPECT_EQ(Read(view, 3, MAPI_W_ERRORS_RETURNED), (std::vector<ULONG>{1, 2, 3}))
      << "the last pass filled a missing column";
  EXPECT_EQ(view->QueryRows(0, 0, &rows), E_INVALIDARG);
  EXPECT_EQ(view->QueryRows(1, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(Position(view), 3u);
}

TEST_F(TableViewTest, SetColumnsChoosesTheValuesAndTheirOrder) {
  Add(1, "Alice");
  LPMAPITABLE view = NewView();
  SizedSPropTagArray(4, chosen) = {4, {PR_OBJECT_TYPE, PR_DISPLAY_NAME_W, PR_DISPLAY_NAME_A, PR_SURNAME_A}};
  ASSERT_EQ(view->SetColumns(reinterpret_cast<LPSPropTagArray>(&chosen), 0), S_OK);
  chosen.aulPropTag[0] = PR_COMMENT_A; // the view keeps its own copy

  LPSRowSet rows = nullptr;
  ASSERT_EQ(view->QueryRows(1, 0, &rows), MAPI_W_ERRORS_RETURNED);
  const SRow& row = rows->aRow[0];
  ASSERT_EQ(row.cValues, 4u);
  EXPECT_EQ(row.lpProps[0].ulPropTag, PR_OBJECT_TYPE);
  EXPECT_EQ(row.lpProps[0].Value.l, MAPI_MAILUSER);
  EXPECT_TRUE(IsNotFound(row.lpProps[1], PR_DISPLAY_NAME_W)) << "same identifier, other type";
  EXPECT_STREQ(row.lpProps[2].Value.lpszA, "Alice");
  EXPECT_TRUE(IsNotFound(row.lpProps[3], PR_SURNAME_A)) << "not a column of the table";
  FreeRowSet(rows);

  EXPECT_EQ(view->SetColumns(nullptr, 0), E_INVALIDARG);
  LPSPropTagArray columns = nullptr;
  EXPECT_EQ(view->QueryColumns(0, nullptr), E_INVALIDARG);
  ASSERT_EQ(view->QueryColumns(0, &columns), S_OK);
  ASSERT_EQ(columns->cValues, 4u);
  EXPECT_EQ(columns->aulPropTag[0], PR_OBJECT_TYPE) << "the refused call kept the old set";
  HostFreeBuffer(columns);
}

TEST_F(TableViewTest, SeeksLandOnARowThatExistsAndReportIt) {
  AddPeople(3);
  LPMAPITABLE view = NewView();
  EXPECT_EQ(Seek(view, BOOKMARK_END, -1), 1);
  EXPECT_EQ(Seek(view, BOOKMARK_END, 0), 2);
  EXPECT_EQ(Read(view, 1, MAPI_W_ERRORS_RETURNED), std::vector<ULONG>{3}) << "the end is the last row";
  EXPECT_EQ(Seek(view, BOOKMARK_BEGINNING, 100), 2);
  EXPECT_EQ(Seek(view, BOOKMARK_CURRENT, -5), 0);
  EXPECT_EQ(Seek(view, BOOKMARK_CURRENT, 0x7FFFFFFF), 2);
  EXPECT_EQ(view->SeekRow(BOOKMARK_CURRENT, 0x7FFFFFFF, nullptr), S_OK);
  EXPECT_EQ(Position(view), 0u) << "2 + 0x7FFFFFFF wraps below zero";
  Seek(view, BOOKMARK_BEGINNING, 1);
  EXPECT_EQ(view->SeekRow(3, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
  EXPECT_EQ(Position(view), 1u);

  AddPeople(5);
  EXPECT_EQ(view->SeekRowApprox(1, 2), S_OK);
  EXPECT_EQ(Position(view), 2u);
  EXPECT_EQ(view->SeekRowApprox(1, 1), S_OK);
  EXPECT_EQ(Position(view), 4u);
  EXPECT_EQ(view->SeekRowApprox(1, 0), E_INVALIDARG);
  EXPECT_EQ(Position(view), 4u);

  ULONG numerator = 0, denominator = 0;
  EXPECT_EQ(view->QueryPosition(nullptr, &numerator, &denominator), S_OK);
  EXPECT_EQ(numerator, 4u);
  EXPECT_EQ(denominator, 5u);
}

TEST_F(TableViewTest, AnEmptyTableSitsAtMinusOne) {
  LPMAPITABLE view = NewView();
  EXPECT_EQ(Seek(view, BOOKMARK_BEGINNING, 0), -1);
  EXPECT_EQ(Read(view, 5), std::vector<ULONG>{});
  ULONG row = 0, numerator = 0, denominator = 7;
  EXPECT_EQ(view->QueryPosition(&row, &numerator, &denominator), S_OK);
  EXPECT_EQ(row, 0xFFFFFFFFu);
  EXPECT_EQ(numerator, 0xFFFFFFFFu);
  EXPECT_EQ(denominator, 0u);
  EXPECT_EQ(Seek(view, BOOKMARK_END, 3), -1);
  EXPECT_EQ(Seek(view, BOOKMARK_CURRENT, -3), 0) << "a negative target still lands on 0";
  EXPECT_EQ(view->SeekRowApprox(1, 2), S_OK);
  EXPECT_EQ(Position(view), 0xFFFFFFFFu);
}

TEST_F(TableViewTest, SixteenBookmarksSavePositionNumbers) {
  AddPeople(5);
  LPMAPITABLE view = NewView();
  EXPECT_EQ(view->FreeBookmark(0x1000), MAPI_E_INVALID_BOOKMARK) << "none created yet";
  Seek(view, BOOKMARK_BEGINNING, 2);
  BOOKMARK marks[16] = {};
  for (ULONG k = 0; k < 16; ++k) {
    ASSERT_EQ(view->CreateBookmark(&marks[k]), S_OK);
    EXPECT_EQ(marks[k], 0x1000u + k);
  }
  BOOKMARK extra = 0;
  EXPECT_EQ(view->CreateBookmark(&extra), MAPI_E_UNABLE_TO_COMPLETE);
  EXPECT_EQ(view->FreeBookmark(0x1003), S_OK);
  EXPECT_EQ(view->SeekRow(0x1003, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
  EXPECT_EQ(view->CreateBookmark(&extra), S_OK);
  EXPECT_EQ(extra, 0x1003u) << "the lowest free slot";
  EXPECT_EQ(view->FreeBookmark(BOOKMARK_BEGINNING), MAPI_E_INVALID_BOOKMARK);
  EXPECT_EQ(view->FreeBookmark(0x1010), MAPI_E_INVALID_BOOKMARK);
  EXPECT_EQ(view->CreateBookmark(nullptr), E_INVALIDARG);

  Seek(view, BOOKMARK_BEGINNING, 0);
  EXPECT_EQ(Seek(view, 0x1000, 1), 3);
  for (ULONG id : {4u, 5u, 1u})
    ASSERT_EQ(table->HrDeleteRow(Person(id, "").KeyValue()), S_OK);
  EXPECT_EQ(Seek(view, 0x1000, 1), 1) << "the saved number, clamped to the rows left";
}

TEST_F(TableViewTest, NegativeCountsReadBackwardsInTableOrder) {
  AddPeople(5);
  LPMAPITABLE view = NewView();
  Seek(view, BOOKMARK_BEGINNING, 3);
  EXPECT_EQ(Read(view, -2, MAPI_W_ERRORS_RETURNED), (std::vector<ULONG>{2, 3}));
  EXPECT_EQ(Position(view), 1u);
  EXPECT_EQ(Read(view, -5), (std::vector<ULONG>{1}));
  EXPECT_EQ(Position(view), 0u);
  EXPECT_EQ(Read(view, -1), std::vector<ULONG>{});
  EXPECT_EQ(Position(view), 0u);

  Read(view, 5, MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(Read(view, -2, MAPI_W_ERRORS_RETURNED), (std::vector<ULONG>{4, 5})) << "from after the last row";
  Read(view, 2, MAPI_W_ERRORS_RETURNED);
  for (ULONG id : {1u, 2u})
    ASSERT_EQ(table->HrDeleteRow(Person(id, "").KeyValue()), S_OK);
  EXPECT_EQ(Read(view, -1, MAPI_W_ERRORS_RETURNED), (std::vector<ULONG>{5})) << "past a shrunk end";
  EXPECT_EQ(Position(view), 2u);
  for (ULONG id : {3u, 4u, 5u})
    ASSERT_EQ(table->HrDeleteRow(Person(id, "").KeyValue()), S_OK);
  EXPECT_EQ(Read(view, -1), std::vector<ULONG>{});
  EXPECT_EQ(Position(view), 2u) << "no row returned, no move";
}

// Views hold no rows: replacements, deletions and additions show at the next read.
TEST_F(TableViewTest, ViewsSeeEveryChangeAtTheNextRead) {
  AddPeople(3);
  LPMAPITABLE view = NewView();
  EXPECT_EQ(Read(view, 2, MAPI_W_ERRORS_RETURNED), (std::vector<ULONG>{1, 2}));
  ASSERT_TRUE(SUCCEEDED(table->HrModifyRow(Person(2, "Bruno").Row())));
  Seek(view, BOOKMARK_BEGINNING, 1);
  LPSRowSet rows = nullptr;
  ASSERT_TRUE(SUCCEEDED(view->QueryRows(1, 0, &rows)));
  ASSERT_EQ(rows->cRows, 1u);
  EXPECT_EQ(StringIn(rows->aRow[0], PR_DISPLAY_NAME_A), "Bruno") << "new values at the old position";
  FreeRowSet(rows);

  ASSERT_EQ(table->HrDeleteRow(Person(1, "").KeyValue()), S_OK);
  Seek(view, BOOKMARK_BEGINNING, 0);
  EXPECT_EQ(Read(view, 5), (std::vector<ULONG>{2, 3}));
  Add(4, "late");
  EXPECT_EQ(Read(view, 5), (std::vector<ULONG>{4}));
}

TEST_F(TableViewTest, AViewKeepsItsTableAliveAndTheTableOutlivesItsViews) {
  AddPeople(2);
  LPMAPITABLE first = nullptr;
  ASSERT_EQ(table->HrGetView(nullptr, nullptr, 0, &first), S_OK);
  EXPECT_EQ(first->Release(), 0u) << "a new view holds the caller's reference, and only that";
  SizedSSortOrderSet(1, byName) = {1, 0, 0, {{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}}};
  LPMAPITABLE sorted = first;
  EXPECT_EQ(table->HrGetView(reinterpret_cast<LPSSortOrderSet>(&byName), nullptr, 0, &sorted), MAPI_E_TOO_COMPLEX)
      << "a sort order the view cannot apply is refused, not ignored";
  EXPECT_EQ(sorted, nullptr);
  byName.cSorts = 0;
  ASSERT_EQ(table->HrGetView(reinterpret_cast<LPSSortOrderSet>(&byName), nullptr, 0, &sorted), S_OK);
  EXPECT_EQ(sorted->Release(), 0u);
  EXPECT_EQ(table->AddRef(), 2u) << "the released view gave its table reference back";
  table->Release();

  LPMAPITABLE view = NewView();
  LPVOID other = &view;
  EXPECT_EQ(view->QueryInterface(IID_IMAPITableData, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  ASSERT_EQ(view->QueryInterface(IID_IMAPITable, &other), S_OK);
  EXPECT_EQ(other, view);
  view->Release();

  table->Release(); // the creator lets go; the view still holds the table
  table = nullptr;
  EXPECT_EQ(Read(view, 5, S_OK), (std::vector<ULONG>{1, 2}));
}

// Each allocation of each view operation fails in turn: the call reports it, the view keeps its state,
// and nothing leaks. A failed pass inside QueryRows only shortens the set, and the position follows the
// rows returned.
TEST_F(TableViewTest, SurvivesEveryAllocationFailingInTurn) {
  for (ULONG id = 1; id <= 3; ++id) {
    TestRow row = Person(id, NameOf(id));
    row.String(PR_COMMENT_A, "note");
    ASSERT_EQ(table->HrModifyRow(row.Row()), S_OK);
  }
  LPMAPITABLE view = NewView();
  long rounds = 0;
  for (LONG count : {3, -3}) {
    for (long nth = 1;; ++nth) {
      LONG start = count > 0 ? 0 : 3;
      view->SeekRow(BOOKMARK_BEGINNING, start, nullptr);
      if (count < 0) Read(view, 3); // only reading leaves the position after the last row
      LPSRowSet rows = reinterpret_cast<LPSRowSet>(1);
      host::FailAllocation(nth);
      HRESULT hr = view->QueryRows(count, 0, &rows);
      bool fired = host::FailureFired();
      host::FailAllocation(0);
      ++rounds;
      if (FAILED(hr)) {
        EXPECT_EQ(rows, reinterpret_cast<LPSRowSet>(1)) << nth;
        EXPECT_EQ(Position(view), static_cast<ULONG>(start)) << nth;
        continue;
      }
      EXPECT_EQ(hr, S_OK) << nth;
      ASSERT_LE(rows->cRows, 3u);
      LONG moved = count > 0 ? static_cast<LONG>(rows->cRows) : -static_cast<LONG>(rows->cRows);
      EXPECT_EQ(static_cast<LONG>(Position(view)), start + moved) << nth;
      ULONG first = count > 0 ? 1 : 4 - rows->cRows;
      for (ULONG i = 0; i < rows->cRows; ++i)
        EXPECT_EQ(KeyIn(rows->aRow[i]), first + i) << nth;
      bool complete = rows->cRows == 3;
      FreeRowSet(rows);
      if (!fired) {
        EXPECT_TRUE(complete);
        break;
      }
    }
  }
  EXPECT_GT(rounds, 20);

  SizedSPropTagArray(1, one) = {1, {PR_COMMENT_A}};
  host::FailAllocation(1);
  EXPECT_EQ(view->SetColumns(reinterpret_cast<LPSPropTagArray>(&one), 0), MAPI_E_NOT_ENOUGH_MEMORY);
  LPSPropTagArray columns = reinterpret_cast<LPSPropTagArray>(1);
  host::FailAllocation(1);
  EXPECT_EQ(view->QueryColumns(0, &columns), MAPI_E_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(columns, reinterpret_cast<LPSPropTagArray>(1));
  host::FailAllocation(0);
  ASSERT_EQ(view->QueryColumns(0, &columns), S_OK);
  EXPECT_EQ(columns->cValues, 4u) << "still the table's columns";
  HostFreeBuffer(columns);

  BOOKMARK mark = 0;
  host::FailAllocation(1);
  EXPECT_EQ(view->CreateBookmark(&mark), MAPI_E_NOT_ENOUGH_MEMORY);
  host::FailAllocation(0);
  EXPECT_EQ(view->CreateBookmark(&mark), S_OK);
  EXPECT_EQ(mark, 0x1000u);

  LPMAPITABLE failed = reinterpret_cast<LPMAPITABLE>(1);
  HeapFailure::Arm(1);
  EXPECT_EQ(table->HrGetView(nullptr, nullptr, 0, &failed), E_OUTOFMEMORY);
  HeapFailure::Disarm();
  EXPECT_EQ(failed, nullptr);
}

// Memory that stays short ends a read after a few failed passes: asking for every row neither spins
// through billions of passes nor moves the position.
TEST_F(TableViewTest, ALastingAllocationFailureEndsTheReadAtOnce) {
  AddPeople(3);
  LPMAPITABLE view = NewView();
  for (LONG count : {0x7FFFFFFF, -0x7FFFFFFF}) {
    LONG start = count > 0 ? 0 : 3;
    view->SeekRow(BOOKMARK_BEGINNING, start, nullptr);
    if (count < 0) Read(view, 3);
    LPSRowSet rows = reinterpret_cast<LPSRowSet>(1);
    long before = host::AllocationCount();
    host::FailAllocationsFrom(2); // the row set is had, no row after it
    EXPECT_EQ(view->QueryRows(count, 0, &rows), MAPI_E_NOT_ENOUGH_MEMORY);
    host::FailAllocation(0);
    EXPECT_LE(host::AllocationCount() - before, 10) << count;
    EXPECT_EQ(rows, reinterpret_cast<LPSRowSet>(1));
    EXPECT_EQ(Position(view), static_cast<ULONG>(start));
  }
  EXPECT_EQ(Read(view, 0x7FFFFFFF), (std::vector<ULONG>{})) << "at the end, after the backward read's start";
  view->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
  EXPECT_EQ(Read(view, 0x7FFFFFFF), (std::vector<ULONG>{1, 2, 3})) << "memory back, rows back";
}

} // namespace
