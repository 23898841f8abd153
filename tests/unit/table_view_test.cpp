// Table views: columns, the clamping position model, bookmarks, reading rows, and life beside the table.
#include <gtest/gtest.h>

#include <deque>

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
  SizedSSortOrderSet(1, byName) = {1, 0, 0, {{PR_COMPANY_NAME, TABLE_SORT_ASCEND}}};
  LPMAPITABLE sorted = first;
  EXPECT_EQ(table->HrGetView(reinterpret_cast<LPSSortOrderSet>(&byName), nullptr, 0, &sorted), MAPI_E_TOO_COMPLEX)
      << "a sort order the view cannot apply is refused, not ignored";
  EXPECT_EQ(sorted, nullptr);
  byName.aSort[0] = {PR_DISPLAY_NAME, TABLE_SORT_DESCEND};
  ASSERT_EQ(table->HrGetView(reinterpret_cast<LPSSortOrderSet>(&byName), nullptr, 0, &sorted), S_OK);
  EXPECT_EQ(Read(sorted, 5), (std::vector<ULONG>{2, 1})) << "sorted by name as the view was made";
  EXPECT_EQ(sorted->Release(), 0u);
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

// Restrictions as hosts build them, kept alive for the test.
class Terms {
public:
  SRestriction* Content(ULONG tag, const char* text, ULONG fuzzy) {
    SRestriction& r = Node(RES_CONTENT);
    r.res.resContent = {fuzzy, tag, String(tag, text)};
    return &r;
  }
  SRestriction* Anr(const char* text) {
    SRestriction& r = Node(RES_PROPERTY);
    r.res.resProperty = {RELOP_EQ, PR_ANR_A, String(PR_ANR_A, text)};
    return &r;
  }
  SRestriction* Type(ULONG relop, LONG type) {
    SPropValue& value = values_.emplace_back();
    value.ulPropTag = PR_OBJECT_TYPE;
    value.Value.l = type;
    SRestriction& r = Node(RES_PROPERTY);
    r.res.resProperty = {relop, PR_OBJECT_TYPE, &value};
    return &r;
  }
  SRestriction* List(ULONG rt, std::initializer_list<SRestriction*> terms) {
    std::vector<SRestriction>& list = lists_.emplace_back();
    for (SRestriction* term : terms)
      list.push_back(*term);
    SRestriction& r = Node(rt);
    r.res.resAnd = {static_cast<ULONG>(list.size()), list.data()};
    return &r;
  }
  SRestriction* Not(SRestriction* term) {
    SRestriction& r = Node(RES_NOT);
    r.res.resNot = {0, term};
    return &r;
  }
  SRestriction& Node(ULONG rt) {
    SRestriction& r = nodes_.emplace_back();
    r.rt = rt;
    return r;
  }

private:
  LPSPropValue String(ULONG tag, const char* text) {
    SPropValue& value = values_.emplace_back();
    value.ulPropTag = tag;
    value.Value.lpszA = const_cast<LPSTR>(text);
    return &value;
  }
  std::deque<SPropValue> values_;
  std::deque<SRestriction> nodes_;
  std::deque<std::vector<SRestriction>> lists_;
};

// People and a group, their names in the book's code page; 5 folds like 1.
class TableFindTest : public TableViewTest {
protected:
  void SetUp() override {
    TableViewTest::SetUp();
    const std::pair<const char*, const char*> rows[] = {
        {"H\xE9l\xE8ne Joubert", "vip"}, {"H\xE9lo\xEFse Dupr\xE9", "Client"}, {"Henri Dupont", "client"},
        {"\xC9quipe Dupont", ""},        {"h\xE9l\xE8ne joubert", ""},
    };
    for (ULONG id = 1; id <= 5; ++id) {
      TestRow row;
      row.Key(id)
          .String(PR_DISPLAY_NAME_A, rows[id - 1].first)
          .Long(PR_OBJECT_TYPE, id == 4 ? MAPI_DISTLIST : MAPI_MAILUSER);
      row.String(PR_COMMENT_A, rows[id - 1].second);
      ASSERT_EQ(table->HrModifyRow(row.Row()), S_OK);
    }
  }

  // A person with an empty comment, so that every row is whole.
  void Put(ULONG recordId, const std::string& name) {
    TestRow row = Person(recordId, name);
    row.String(PR_COMMENT_A, "");
    ASSERT_EQ(table->HrModifyRow(row.Row()), S_OK);
  }

  std::vector<ULONG> Restricted(LPMAPITABLE view, SRestriction* restriction) {
    EXPECT_EQ(view->Restrict(restriction, 0), S_OK);
    return Read(view, 100);
  }

  HRESULT Sort(LPMAPITABLE view, ULONG tag, ULONG order, ULONG sorts = 1) {
    SizedSSortOrderSet(1, set) = {sorts, 0, 0, {{tag, order}}};
    return view->SortTable(reinterpret_cast<LPSSortOrderSet>(&set), 0);
  }

  Terms terms;
};

TEST_F(TableFindTest, EachKindOfRestrictionAndTheirCombinations) {
  LPMAPITABLE view = NewView();
  const std::pair<SRestriction*, std::vector<ULONG>> cases[] = {
      {terms.Anr("helene"), {1, 5}},
      {terms.Anr("h\xE9l\xE8ne joubert"), {1, 5}},
      {terms.Anr("dup"), {2, 3, 4}},
      {terms.Anr("pont"), {}},
      {terms.Anr(""), {}},
      {terms.Content(PR_DISPLAY_NAME_A, "H\xE9l", FL_PREFIX), {1, 2}},
      {terms.Content(PR_DISPLAY_NAME_A, "hel", FL_PREFIX | FL_IGNORECASE), {1, 2, 5}},
      {terms.Content(PR_DISPLAY_NAME_A, "Dupont", FL_SUBSTRING), {3, 4}},
      {terms.Content(PR_COMMENT_A, "client", FL_FULLSTRING), {3}},
      {terms.Content(PR_COMMENT_A, "CLIENT", FL_FULLSTRING | FL_IGNORECASE), {2, 3}},
      {terms.Content(PR_COMMENT_A, "i", FL_SUBSTRING), {1, 2, 3}},
      {terms.Type(RELOP_EQ, MAPI_DISTLIST), {4}},
      {terms.Type(RELOP_NE, MAPI_DISTLIST), {1, 2, 3, 5}},
      {terms.List(RES_AND, {terms.Anr("dup"), terms.Type(RELOP_EQ, MAPI_MAILUSER)}), {2, 3}},
      {terms.List(RES_OR, {terms.Anr("henri"), terms.Content(PR_COMMENT_A, "vip", FL_FULLSTRING)}), {1, 3}},
      {terms.Not(terms.Anr("dup")), {1, 5}},
      {terms.List(RES_AND, {}), {1, 2, 3, 4, 5}},
      {terms.List(RES_OR, {}), {}},
  };
  for (const auto& [restriction, keys] : cases) {
    SCOPED_TRACE(testing::PrintToString(keys));
    EXPECT_EQ(Restricted(view, restriction), keys);
    ULONG count = 99;
    EXPECT_EQ(view->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, keys.size());
  }
  EXPECT_EQ(Restricted(view, nullptr), (std::vector<ULONG>{1, 2, 3, 4, 5})) << "lifting it shows every row";
}

TEST_F(TableFindTest, RestrictionsOutsideWhatHostsSendAreRefused) {
  LPMAPITABLE view = NewView();
  SRestriction exists{};
  exists.rt = RES_EXIST;
  exists.res.resExist.ulPropTag = PR_DISPLAY_NAME_A;
  SRestriction* greater = terms.Anr("a");
  greater->res.resProperty.relop = RELOP_GT;
  SRestriction* deep = terms.Anr("a");
  for (int i = 0; i < 20; ++i)
    deep = terms.Not(deep);
  SRestriction* unreadable = terms.Not(reinterpret_cast<LPSRestriction>(8));
  const std::pair<SRestriction*, HRESULT> cases[] = {
      {&exists, MAPI_E_TOO_COMPLEX},
      {greater, MAPI_E_TOO_COMPLEX},
      {terms.Content(PR_OBJECT_TYPE, "6", FL_FULLSTRING), MAPI_E_TOO_COMPLEX},
      {terms.Content(PR_DISPLAY_NAME_A, "a", 3), MAPI_E_TOO_COMPLEX},
      {terms.Type(RELOP_LT, 6), MAPI_E_TOO_COMPLEX},
      {terms.List(RES_AND, {terms.Anr("a"), &exists}), MAPI_E_TOO_COMPLEX},
      {deep, MAPI_E_TOO_COMPLEX},
      {unreadable, E_INVALIDARG},
  };
  ASSERT_EQ(view->Restrict(terms.Anr("dup"), 0), S_OK);
  for (const auto& [restriction, expected] : cases) {
    EXPECT_EQ(view->Restrict(restriction, 0), expected);
    EXPECT_EQ(view->FindRow(restriction, BOOKMARK_BEGINNING, 0), expected);
  }
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{2, 3, 4})) << "a refused restriction leaves the one in force";
  EXPECT_EQ(view->FindRow(nullptr, BOOKMARK_BEGINNING, 0), E_INVALIDARG);
}

// The restricted view is worked out again as rows come and go; positions and bookmarks count its rows.
TEST_F(TableFindTest, ARestrictedViewFollowsTheTableWithItsBookmarks) {
  LPMAPITABLE view = NewView();
  ASSERT_EQ(view->Restrict(terms.Content(PR_DISPLAY_NAME_A, "e", FL_SUBSTRING | FL_IGNORECASE), 0), S_OK);
  EXPECT_EQ(Seek(view, BOOKMARK_BEGINNING, 2), 2);
  BOOKMARK mark = 0;
  ASSERT_EQ(view->CreateBookmark(&mark), S_OK);
  EXPECT_EQ(Read(view, 1), (std::vector<ULONG>{3}));

  ASSERT_EQ(table->HrDeleteRow(Person(2, "").KeyValue()), S_OK);
  Put(6, "Zo\xE9");
  Put(7, "Ana");
  EXPECT_EQ(Seek(view, mark, 0), 2) << "the bookmark keeps its place";
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{4, 5, 6}));
  EXPECT_EQ(Seek(view, BOOKMARK_END, 0), 4);
  EXPECT_EQ(Read(view, -2), (std::vector<ULONG>{4, 5}));
  ULONG count = 0;
  EXPECT_EQ(view->GetRowCount(0, &count), S_OK);
  EXPECT_EQ(count, 5u);
  ULONG row = 0, numerator = 0, denominator = 0;
  EXPECT_EQ(view->QueryPosition(&row, &numerator, &denominator), S_OK);
  EXPECT_EQ(denominator, 5u);

  ASSERT_EQ(view->Restrict(nullptr, 0), S_OK);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{1, 3, 4, 5, 6, 7}));
}

TEST_F(TableFindTest, FindRowSearchesFromItsOriginInEitherDirection) {
  LPMAPITABLE view = NewView();
  SRestriction* persons = terms.Type(RELOP_EQ, MAPI_MAILUSER);
  EXPECT_EQ(view->FindRow(terms.Anr("dup"), BOOKMARK_BEGINNING, 0), S_OK);
  EXPECT_EQ(Position(view), 1u);
  EXPECT_EQ(Seek(view, BOOKMARK_CURRENT, 2), 3);
  BOOKMARK mark = 0;
  ASSERT_EQ(view->CreateBookmark(&mark), S_OK);
  EXPECT_EQ(view->FindRow(persons, mark, 0), S_OK) << "a forward search starts at the bookmark's row";
  EXPECT_EQ(Position(view), 4u);
  EXPECT_EQ(view->FindRow(persons, mark, DIR_BACKWARD), S_OK) << "a backward one at the row before it";
  EXPECT_EQ(Position(view), 2u);
  EXPECT_EQ(view->FindRow(persons, BOOKMARK_END, DIR_BACKWARD), S_OK);
  EXPECT_EQ(Position(view), 4u);
  EXPECT_EQ(view->FindRow(persons, BOOKMARK_END, 0), MAPI_E_NOT_FOUND);
  EXPECT_EQ(view->FindRow(terms.Anr("zz"), BOOKMARK_BEGINNING, 0), MAPI_E_NOT_FOUND);
  EXPECT_EQ(Position(view), 4u) << "not found, the position stays";
  EXPECT_EQ(view->FindRow(persons, 0x1005, 0), MAPI_E_INVALID_BOOKMARK);

  ASSERT_EQ(view->Restrict(terms.Anr("dup"), 0), S_OK);
  EXPECT_EQ(view->FindRow(terms.Type(RELOP_EQ, MAPI_DISTLIST), BOOKMARK_BEGINNING, 0), S_OK);
  EXPECT_EQ(Position(view), 2u) << "a restricted view searches its own rows";
  EXPECT_EQ(Read(view, 1), (std::vector<ULONG>{4}));
}

// Names sort as they match, without case and accents; rows of one name keep their table order either way.
TEST_F(TableFindTest, SortingByNameIsStableAndCombinesWithRestrictions) {
  Put(6, "Henri Dupont");
  LPMAPITABLE view = NewView();
  ASSERT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_ASCEND), S_OK);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{4, 1, 5, 2, 3, 6}));
  ASSERT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_DESCEND), S_OK);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{3, 6, 2, 1, 5, 4}));
  LPSSortOrderSet order = nullptr;
  ASSERT_EQ(view->QuerySortOrder(&order), S_OK);
  ASSERT_EQ(order->cSorts, 1u);
  EXPECT_EQ(order->aSort[0].ulPropTag, PR_DISPLAY_NAME_A);
  EXPECT_EQ(order->aSort[0].ulOrder, TABLE_SORT_DESCEND);
  HostFreeBuffer(order);

  ASSERT_EQ(view->Restrict(terms.Anr("dup"), 0), S_OK);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{3, 6, 2, 4}));
  Put(7, "Dupuis");
  EXPECT_EQ(Seek(view, BOOKMARK_BEGINNING, 0), 0);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{3, 6, 2, 4, 7})) << "a new row takes its sorted place";

  EXPECT_EQ(Sort(view, PR_COMMENT_A, TABLE_SORT_ASCEND), MAPI_E_TOO_COMPLEX);
  EXPECT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_COMBINE), MAPI_E_TOO_COMPLEX);
  EXPECT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_ASCEND, 2), MAPI_E_TOO_COMPLEX);
  EXPECT_EQ(view->SortTable(nullptr, 0), E_INVALIDARG);
  ASSERT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_ASCEND, 0), S_OK);
  ASSERT_EQ(view->QuerySortOrder(&order), S_OK);
  EXPECT_EQ(order->cSorts, 0u);
  HostFreeBuffer(order);
  EXPECT_EQ(Read(view, 10), (std::vector<ULONG>{2, 3, 4, 6, 7})) << "no sort keys: table order again";
}

// Working the rows out needs memory of its own: without it the read fails, and nothing is lost for later.
TEST_F(TableFindTest, ARestrictedViewWithoutMemoryFailsAndRecovers) {
  LPMAPITABLE view = NewView();
  ASSERT_EQ(Sort(view, PR_DISPLAY_NAME_A, TABLE_SORT_ASCEND), S_OK);
  for (long nth = 1; nth <= 3; ++nth) {
    Put(10 + nth, "x");
    HeapFailure::Arm(nth);
    LPSRowSet rows = reinterpret_cast<LPSRowSet>(1);
    HRESULT hr = view->QueryRows(10, 0, &rows);
    bool fired = HeapFailure::Fired();
    HeapFailure::Disarm();
    if (!fired) {
      FreeRowSet(rows);
      break;
    }
    EXPECT_EQ(hr, E_OUTOFMEMORY) << nth;
    EXPECT_EQ(rows, reinterpret_cast<LPSRowSet>(1)) << nth;
  }
  EXPECT_EQ(Seek(view, BOOKMARK_BEGINNING, 0), 0);
  EXPECT_EQ(Read(view, 3), (std::vector<ULONG>{4, 1, 5}));
  HeapFailure::Arm(1);
  EXPECT_EQ(view->Restrict(terms.Anr("a"), 0), E_OUTOFMEMORY);
  HeapFailure::Disarm();
}

} // namespace
