// Rows, tables and readers shared by the table data and table view tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/module_state.h"
#include "support/provider_fixture.h"
#include "tables/table_data.h"
#include "unit/provider_code_test.h"

namespace tabletest {

// The columns every test table has: a name, the 4-byte binary index, a number and a comment.
inline SizedSPropTagArray(4, kColumns) = {4, {PR_DISPLAY_NAME_A, PR_INSTANCE_KEY, PR_OBJECT_TYPE, PR_COMMENT_A}};

inline LPSPropTagArray Columns() { return reinterpret_cast<LPSPropTagArray>(&kColumns); }

// A row as a container hands it over: the values and the bytes they point to, owned here.
class TestRow {
public:
  TestRow& Key(ULONG recordId) {
    return Binary(PR_INSTANCE_KEY, std::string(reinterpret_cast<const char*>(&recordId), sizeof recordId));
  }
  TestRow& Binary(ULONG tag, const std::string& bytes) {
    Push(tag).Value.bin = {static_cast<ULONG>(bytes.size()), Keep(bytes)};
    return *this;
  }
  TestRow& String(ULONG tag, const std::string& text) {
    Push(tag).Value.lpszA = reinterpret_cast<LPSTR>(Keep(text));
    return *this;
  }
  TestRow& Long(ULONG tag, LONG number) {
    Push(tag).Value.l = number;
    return *this;
  }
  TestRow& Value(const SPropValue& value) {
    values_.push_back(value);
    return *this;
  }
  LPSRow Row() {
    row_ = {0, static_cast<ULONG>(values_.size()), values_.data()};
    return &row_;
  }
  // The first value alone (the index value of a Person), as HrDeleteRow and HrQueryRow take it.
  LPSPropValue KeyValue() { return &values_.front(); }

private:
  SPropValue& Push(ULONG tag) {
    values_.push_back({});
    values_.back().ulPropTag = tag;
    return values_.back();
  }
  LPBYTE Keep(const std::string& bytes) {
    bytes_.push_back(bytes);
    return reinterpret_cast<LPBYTE>(bytes_.back().data());
  }

  std::deque<std::string> bytes_;
  std::vector<SPropValue> values_;
  SRow row_{};
};

// A person row: key, name and object type.
inline TestRow Person(ULONG recordId, const std::string& name) {
  TestRow row;
  row.Key(recordId).String(PR_DISPLAY_NAME_A, name).Long(PR_OBJECT_TYPE, MAPI_MAILUSER);
  return row;
}

// "p" and the record number: the name the tests give a person.
inline std::string NameOf(ULONG recordId) {
  char name[16];
  snprintf(name, sizeof name, "p%lu", static_cast<unsigned long>(recordId));
  return name;
}

inline std::string StringIn(const SRow& row, ULONG tag) {
  const SPropValue* value = abk::FindPropValue(row.lpProps, row.cValues, tag);
  return value && value->Value.lpszA ? value->Value.lpszA : "<missing>";
}

inline ULONG KeyIn(const SRow& row) {
  const SPropValue* value = abk::FindPropValue(row.lpProps, row.cValues, PR_INSTANCE_KEY);
  if (!value || value->Value.bin.cb != sizeof(ULONG)) return 0;
  ULONG key = 0;
  memcpy(&key, value->Value.bin.lpb, sizeof key);
  return key;
}

inline bool IsNotFound(const SPropValue& value, ULONG tag) {
  return value.ulPropTag == PROP_TAG(PT_ERROR, PROP_ID(tag)) && value.Value.err == MAPI_E_NOT_FOUND;
}

// The row set's rows and the set, as a host frees them.
inline void FreeRowSet(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    HostFreeBuffer(rows->aRow[i].lpProps);
  HostFreeBuffer(rows);
}

// Fails the provider heap's Nth allocation from the moment it is armed.
class HeapFailure {
public:
  static void Arm(long nth) {
    count_ = 0;
    failAt_ = nth;
    abk::SetHeapFailureHook([](size_t) { return failAt_ && ++count_ == failAt_; });
  }
  static bool Fired() { return failAt_ && count_ >= failAt_; }
  static void Disarm() {
    failAt_ = 0;
    abk::SetHeapFailureHook(nullptr);
  }

private:
  static inline long count_ = 0;
  static inline long failAt_ = 0;
};

// A host with its allocators in the provider's module state, and a table on the test columns.
class TableTest : public abktest::ProviderCodeTest {
protected:
  void SetUp() override {
    ProviderCodeTest::SetUp();
    ASSERT_EQ(abk::CreateTableData(nullptr, 0, TBLTYPE_DYNAMIC, PR_INSTANCE_KEY, Columns(), &table), S_OK);
  }
  void TearDown() override {
    HeapFailure::Disarm();
    if (table) table->Release();
    table = nullptr;
    HostTest::TearDown();
  }

  void Add(ULONG recordId, const std::string& name) {
    TestRow row = Person(recordId, name);
    ASSERT_TRUE(SUCCEEDED(table->HrModifyRow(row.Row()))) << recordId;
  }

  // The record numbers of the rows, in table order.
  std::vector<ULONG> Keys() {
    std::vector<ULONG> keys;
    for (ULONG i = 0;; ++i) {
      LPSRow row = nullptr;
      EXPECT_TRUE(SUCCEEDED(table->HrEnumRow(i, &row)));
      if (!row) break;
      keys.push_back(KeyIn(*row));
      HostFreeBuffer(row);
    }
    return keys;
  }

  abk::TableData* table = nullptr;
};

} // namespace tabletest
