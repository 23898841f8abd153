// The table data object: creation, row identity, projection, order and positions, copies handed out.
#include <gtest/gtest.h>

#include "tables/table_data.h"
#include "unit/table_test_support.h"

using namespace tabletest;

namespace {

using TableDataTest = TableTest;

TEST_F(TableDataTest, CreationChecksTheInterfaceAndHandsOutOneReference) {
  abk::TableData* other = nullptr;
  EXPECT_EQ(abk::CreateTableData(&IID_IMAPITable, 0, 0, PR_INSTANCE_KEY, Columns(), &other), E_NOINTERFACE);
  EXPECT_EQ(abk::CreateTableData(nullptr, 0, 0, PR_INSTANCE_KEY, nullptr, &other), E_INVALIDARG);
  EXPECT_EQ(abk::CreateTableData(nullptr, 0, 0, PR_INSTANCE_KEY, Columns(), static_cast<abk::TableData**>(nullptr)),
            E_INVALIDARG);
  HeapFailure::Arm(1);
  EXPECT_EQ(abk::CreateTableData(nullptr, 0, 0, PR_INSTANCE_KEY, Columns(), &other), E_OUTOFMEMORY);
  HeapFailure::Disarm();

  LPTABLEDATA created = nullptr;
  ASSERT_EQ(abk::CreateTableData(&IID_IMAPITableData, 0, 0, PR_INSTANCE_KEY, Columns(), &created), S_OK);
  LPVOID unknown = nullptr;
  EXPECT_EQ(created->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, created);
  EXPECT_EQ(created->Release(), 1u) << "one reference from creation, one from QueryInterface";
  EXPECT_EQ(created->QueryInterface(IID_IMAPITable, &unknown), E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);
  EXPECT_EQ(created->QueryInterface(IID_IMAPITableData, nullptr), E_INVALIDARG);
  EXPECT_EQ(created->HrNotify(0, 0, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(created->Release(), 0u);
}

TEST_F(TableDataTest, ModifyAppendsNewRowsAndReplacesKnownOnesInPlace) {
  Add(7, "Alice");
  Add(3, "Bruno");
  Add(9, "Chloé");
  TestRow changed = Person(3, "Bruno Martin");
  EXPECT_EQ(table->HrModifyRow(changed.Row()), MAPI_W_ERRORS_RETURNED) << "the last column is missing";
  EXPECT_EQ(Keys(), (std::vector<ULONG>{7, 3, 9}));

  LPSRow row = nullptr;
  ULONG position = 99;
  ASSERT_EQ(table->HrQueryRow(changed.KeyValue(), &row, &position), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(position, 1u);
  EXPECT_EQ(StringIn(*row, PR_DISPLAY_NAME_A), "Bruno Martin");
  HostFreeBuffer(row);

  // A key of another length is another row, even when its first bytes agree.
  TestRow longer;
  longer.Binary(PR_INSTANCE_KEY, std::string("\x03\0\0\0\0", 5));
  EXPECT_TRUE(SUCCEEDED(table->HrModifyRow(longer.Row())));
  EXPECT_EQ(table->RowCount(), 4u);
}

TEST_F(TableDataTest, RowsAreProjectedOntoTheColumnsAndCopiedDeeply) {
  TestRow given = Person(1, "Alice");
  given.String(PR_COMMENT_A, "amie").String(PR_SURNAME_A, "not a column");
  given.Long(PROP_TAG(PT_LONG, PROP_ID(PR_DISPLAY_NAME)), 5); // same identifier, other type: not the column
  ASSERT_EQ(table->HrModifyRow(given.Row()), S_OK);
  given.Row()->lpProps[1].Value.lpszA[0] = 'X'; // the caller's bytes change after the call

  LPSRow row = nullptr;
  ASSERT_EQ(table->HrEnumRow(0, &row), S_OK);
  ASSERT_EQ(row->cValues, 4u);
  EXPECT_EQ(row->lpProps[0].ulPropTag, PR_DISPLAY_NAME_A);
  EXPECT_STREQ(row->lpProps[0].Value.lpszA, "Alice");
  EXPECT_EQ(KeyIn(*row), 1u);
  EXPECT_EQ(row->lpProps[2].Value.l, MAPI_MAILUSER);
  EXPECT_STREQ(row->lpProps[3].Value.lpszA, "amie");
  HostFreeBuffer(row);

  TestRow sparse;
  sparse.Key(2).String(PR_COMMENT_A, "seul");
  EXPECT_EQ(table->HrModifyRow(sparse.Row()), S_OK) << "only the last column decides the result";
  ASSERT_EQ(table->HrEnumRow(1, &row), S_OK);
  EXPECT_TRUE(IsNotFound(row->lpProps[0], PR_DISPLAY_NAME_A));
  EXPECT_TRUE(IsNotFound(row->lpProps[2], PR_OBJECT_TYPE));
  HostFreeBuffer(row);

  SPropValue multi{};
  multi.ulPropTag = PROP_TAG(PT_MV_LONG, 0x6601);
  SizedSPropTagArray(2, withMulti) = {2, {PR_INSTANCE_KEY, multi.ulPropTag}};
  abk::TableData* other = nullptr;
  ASSERT_EQ(abk::CreateTableData(nullptr, 0, 0, PR_INSTANCE_KEY, reinterpret_cast<LPSPropTagArray>(&withMulti), &other),
            S_OK);
  EXPECT_EQ(other->HrModifyRow(Person(1, "").Value(multi).Row()), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(other->RowCount(), 0u);
  other->Release();
}

TEST_F(TableDataTest, IndexValuesMustCarryTheIndexTagExactly) {
  Add(1, "Alice");
  TestRow noKey;
  noKey.String(PR_DISPLAY_NAME_A, "Nobody");
  EXPECT_EQ(table->HrModifyRow(noKey.Row()), E_INVALIDARG);
  EXPECT_EQ(table->HrInsertRow(0, noKey.Row()), E_INVALIDARG);
  EXPECT_EQ(table->HrModifyRow(nullptr), E_INVALIDARG);

  SPropValue wrongType{};
  wrongType.ulPropTag = PROP_TAG(PT_LONG, PROP_ID(PR_INSTANCE_KEY));
  wrongType.Value.l = 1;
  LPSRow row = nullptr;
  EXPECT_EQ(table->HrDeleteRow(&wrongType), E_INVALIDARG);
  EXPECT_EQ(table->HrQueryRow(&wrongType, &row, nullptr), E_INVALIDARG);
  EXPECT_EQ(table->HrQueryRow(Person(1, "").KeyValue(), nullptr, nullptr), E_INVALIDARG);

  TestRow unknown = Person(42, "");
  ULONG position = 77;
  EXPECT_EQ(table->HrDeleteRow(unknown.KeyValue()), S_OK);
  EXPECT_EQ(table->HrQueryRow(unknown.KeyValue(), &row, &position), S_OK);
  EXPECT_EQ(row, nullptr);
  EXPECT_EQ(position, 77u) << "no row, no output";
  EXPECT_EQ(Keys(), (std::vector<ULONG>{1}));
}

TEST_F(TableDataTest, DeletingClosesTheGapAtEitherEndAndInTheMiddle) {
  for (ULONG id = 1; id <= 5; ++id)
    Add(id, NameOf(id));
  for (ULONG id : {1u, 5u, 3u})
    EXPECT_EQ(table->HrDeleteRow(Person(id, "").KeyValue()), S_OK);
  EXPECT_EQ(Keys(), (std::vector<ULONG>{2, 4}));
  LPSRow row = nullptr;
  ULONG position = 0;
  ASSERT_TRUE(SUCCEEDED(table->HrQueryRow(Person(4, "").KeyValue(), &row, &position)));
  EXPECT_EQ(position, 1u);
  HostFreeBuffer(row);

  Add(1, "again");
  EXPECT_EQ(Keys(), (std::vector<ULONG>{2, 4, 1})) << "a deleted row comes back at the end";
  for (ULONG id : {2u, 4u, 1u})
    EXPECT_EQ(table->HrDeleteRow(Person(id, "").KeyValue()), S_OK);
  EXPECT_EQ(table->RowCount(), 0u);
  Add(8, "only");
  EXPECT_EQ(Keys(), (std::vector<ULONG>{8}));
}

TEST_F(TableDataTest, EnumerationEndsAtTheRowCountAndInsertionAppends) {
  Add(1, "a");
  Add(2, "b");
  LPSRow row = reinterpret_cast<LPSRow>(1);
  EXPECT_EQ(table->HrEnumRow(2, &row), S_OK);
  EXPECT_EQ(row, nullptr);
  EXPECT_EQ(table->HrEnumRow(0, nullptr), E_INVALIDARG);

  TestRow third = Person(3, "c");
  EXPECT_EQ(table->HrInsertRow(0, third.Row()), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(table->HrInsertRow(0, third.Row()), E_INVALIDARG) << "already there";
  EXPECT_EQ(Keys(), (std::vector<ULONG>{1, 2, 3}));
}

TEST_F(TableDataTest, BatchesModifyUntilAFailureAndCountDeletions) {
  TestRow a = Person(1, "a"), b = Person(2, "b"), bad, c = Person(3, "c"), unknown = Person(50, "");
  bad.String(PR_DISPLAY_NAME_A, "no key");
  SizedSRowSet(4, batch) = {4, {*a.Row(), *b.Row(), *bad.Row(), *c.Row()}};
  EXPECT_EQ(table->HrModifyRows(0, reinterpret_cast<LPSRowSet>(&batch)), E_INVALIDARG);
  EXPECT_EQ(Keys(), (std::vector<ULONG>{1, 2})) << "rows after the failure are not added";

  SRowSet empty{0, {}};
  ULONG deleted = 99;
  EXPECT_EQ(table->HrModifyRows(0, &empty), S_OK);
  EXPECT_EQ(table->HrDeleteRows(0, &empty, &deleted), MAPI_E_NOT_FOUND);
  EXPECT_EQ(deleted, 0u);
  SizedSRowSet(3, doomed) = {3, {*a.Row(), *bad.Row(), *unknown.Row()}};
  EXPECT_EQ(table->HrDeleteRows(0, reinterpret_cast<LPSRowSet>(&doomed), &deleted), S_OK);
  EXPECT_EQ(deleted, 2u) << "the row without a key is skipped; the unknown one counts";
  EXPECT_EQ(Keys(), (std::vector<ULONG>{2}));
  EXPECT_EQ(table->HrDeleteRows(0, &empty, nullptr), E_INVALIDARG);
}

// Row identity is ComparePropValues' equality whatever the index type, also where that is not equality
// of the bytes: booleans by truth, floating point within 1, strings through lstrcmpA.
TEST_F(TableDataTest, IdentityFollowsTheValueComparisonForEveryIndexType) {
  auto value = [](ULONG type, auto set) {
    SPropValue v{};
    v.ulPropTag = PROP_TAG(type, 0x6601);
    set(v.Value);
    return v;
  };
  char dupont[] = "Dupont", dupontAgain[] = "Dupont", durand[] = "Durand";
  struct {
    SPropValue first, same, other;
  } cases[] = {
      {value(PT_LONG, [](auto& v) { v.l = -4; }), value(PT_LONG, [](auto& v) { v.l = -4; }),
       value(PT_LONG, [](auto& v) { v.l = 4; })},
      {value(PT_BOOLEAN, [](auto& v) { v.b = 1; }), value(PT_BOOLEAN, [](auto& v) { v.b = 2; }),
       value(PT_BOOLEAN, [](auto& v) { v.b = 0; })},
      {value(PT_DOUBLE, [](auto& v) { v.dbl = 1.0; }), value(PT_DOUBLE, [](auto& v) { v.dbl = 1.3; }),
       value(PT_DOUBLE, [](auto& v) { v.dbl = 3.0; })},
      {value(PT_STRING8, [&](auto& v) { v.lpszA = dupont; }),
       value(PT_STRING8, [&](auto& v) { v.lpszA = dupontAgain; }),
       value(PT_STRING8, [&](auto& v) { v.lpszA = durand; })},
  };
  for (auto& c : cases) {
    SizedSPropTagArray(1, columns) = {1, {c.first.ulPropTag}};
    abk::TableData* typed = nullptr;
    ASSERT_EQ(
        abk::CreateTableData(nullptr, 0, 0, c.first.ulPropTag, reinterpret_cast<LPSPropTagArray>(&columns), &typed),
        S_OK);
    for (SPropValue* v : {&c.first, &c.same, &c.other}) {
      SRow row{0, 1, v};
      EXPECT_EQ(typed->HrModifyRow(&row), S_OK);
    }
    EXPECT_EQ(typed->RowCount(), 2u) << std::hex << c.first.ulPropTag;
    LPSRow found = nullptr;
    ULONG position = 9;
    EXPECT_EQ(typed->HrQueryRow(&c.other, &found, &position), S_OK);
    EXPECT_EQ(position, 1u) << std::hex << c.first.ulPropTag;
    HostFreeBuffer(found);
    typed->Release();
  }
}

// Many rows, deleted here and there: every remaining row is still found, at its current position.
TEST_F(TableDataTest, PositionsAndLookupsStayRightThroughGrowthAndDeletions) {
  const ULONG total = 1000;
  for (ULONG id = 1; id <= total; ++id)
    Add(id * 7919, "p");
  for (ULONG id = 1; id <= total; id += 3)
    ASSERT_EQ(table->HrDeleteRow(Person(id * 7919, "").KeyValue()), S_OK);
  ULONG expected = 0;
  for (ULONG id = 1; id <= total; ++id) {
    LPSRow row = nullptr;
    ULONG position = 0;
    ASSERT_TRUE(SUCCEEDED(table->HrQueryRow(Person(id * 7919, "").KeyValue(), &row, &position)));
    EXPECT_EQ(row != nullptr, id % 3 != 1) << id;
    if (!row) continue;
    EXPECT_EQ(position, expected++) << id;
    EXPECT_EQ(KeyIn(*row), id * 7919);
    HostFreeBuffer(row);
  }
  EXPECT_EQ(table->RowCount(), expected);

  // Deletions mixed with inserts and reads by position: every position agrees with a plain list.
  std::vector<ULONG> model;
  for (ULONG id = 1; id <= total; ++id)
    if (id % 3 != 1) model.push_back(id * 7919);
  for (ULONG round = 0; round < 600; ++round) {
    ULONG at = (round * 2654435761u) % model.size();
    if (round % 4 == 3) {
      Add(900000 + round, "new");
      model.push_back(900000 + round);
    } else {
      ASSERT_EQ(table->HrDeleteRow(Person(model[at], "").KeyValue()), S_OK);
      model.erase(model.begin() + at);
    }
    ULONG probe = (round * 40503u) % model.size();
    const SRow* row = table->RowAt(probe);
    ASSERT_NE(row, nullptr) << round;
    ASSERT_EQ(KeyIn(*row), model[probe]) << round;
    LPSRow found = nullptr;
    ULONG position = 0;
    ASSERT_TRUE(SUCCEEDED(table->HrQueryRow(Person(model[probe], "").KeyValue(), &found, &position)));
    EXPECT_EQ(position, probe) << round;
    HostFreeBuffer(found);
  }
  EXPECT_EQ(table->RowCount(), model.size());
  EXPECT_EQ(table->RowAt(static_cast<ULONG>(model.size())), nullptr);
}

// Every host and provider-heap allocation of an insert and of a replacement fails in turn: the call
// reports it and the table keeps its old rows. With 64 rows the index is full, so an insert must grow it.
TEST_F(TableDataTest, ModifySurvivesEveryAllocationFailingInTurn) {
  for (ULONG id = 1; id <= 64; ++id)
    Add(id, NameOf(id));
  const std::vector<ULONG> before = Keys();
  long rounds[2] = {0, 0};
  // The heap first: once an insert has gone through, the index has room to spare.
  for (int heap : {1, 0}) {
    for (bool replace : {false, true}) {
      for (long nth = 1; nth < 20; ++nth) {
        TestRow row = Person(replace ? 2 : 100, "Changed");
        row.String(PR_COMMENT_A, "note");
        if (heap)
          HeapFailure::Arm(nth);
        else
          host::FailAllocation(nth);
        HRESULT hr = table->HrModifyRow(row.Row());
        bool fired = heap ? HeapFailure::Fired() : host::FailureFired();
        HeapFailure::Disarm();
        host::FailAllocation(0);
        if (!fired) {
          EXPECT_EQ(hr, S_OK);
          break;
        }
        ++rounds[heap];
        EXPECT_TRUE(FAILED(hr)) << "round " << nth;
        EXPECT_EQ(Keys(), before) << "round " << nth;
        LPSRow stored = nullptr;
        ASSERT_TRUE(SUCCEEDED(table->HrEnumRow(1, &stored)));
        EXPECT_EQ(StringIn(*stored, PR_DISPLAY_NAME_A), "p2") << "round " << nth;
        HostFreeBuffer(stored);
      }
      if (replace)
        ASSERT_EQ(table->HrModifyRow(Person(2, "p2").Row()), MAPI_W_ERRORS_RETURNED);
      else
        ASSERT_EQ(table->HrDeleteRow(Person(100, "").KeyValue()), S_OK);
    }
  }
  EXPECT_GE(rounds[0], 8) << "host allocations swept";
  EXPECT_GE(rounds[1], 2) << "provider heap allocations swept";

  // A copy that cannot be made leaves the caller's output alone.
  for (long nth = 1; nth <= 2; ++nth) {
    LPSRow row = reinterpret_cast<LPSRow>(1);
    host::FailAllocation(nth);
    EXPECT_EQ(table->HrEnumRow(0, &row), MAPI_E_NOT_ENOUGH_MEMORY);
    host::FailAllocation(nth);
    EXPECT_EQ(table->HrQueryRow(Person(1, "").KeyValue(), &row, nullptr), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(row, reinterpret_cast<LPSRow>(1));
  }
}

} // namespace
