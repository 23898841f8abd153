// Inputs the fuzz programs found that the provider once mishandled, each kept as the smallest case.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "props/prop_values.h"
#include "tables/table_data.h"
#include "unit/provider_code_test.h"
#include "unit/table_test_support.h"

using namespace abk;

using namespace tabletest;

namespace {

SPropValue Double(double number) {
  SPropValue value{};
  value.ulPropTag = PROP_TAG(PT_DOUBLE, 0x6700);
  value.Value.dbl = number;
  return value;
}

SPropValue Float(float number) {
  SPropValue value{};
  value.ulPropTag = PROP_TAG(PT_R4, 0x6700);
  value.Value.flt = number;
  return value;
}

// A difference beyond the 32-bit range was converted to LONG as it stood: undefined, and on x86 the
// smallest LONG, so a far larger number ordered before a smaller one.
TEST(FuzzRegressionTest, FloatingPointDifferencesBeyondTheLongRangeKeepTheirSign) {
  SPropValue big = Double(3e9), zero = Double(0), small = Double(-1e300);
  EXPECT_GT(abk::ComparePropValues(&big, &zero, PT_DOUBLE), 0);
  EXPECT_LT(abk::ComparePropValues(&zero, &big, PT_DOUBLE), 0);
  EXPECT_GT(abk::ComparePropValues(&zero, &small, PT_DOUBLE), 0);
  SPropValue huge = Float(-3.3265e38f), tiny = Float(1.0f);
  EXPECT_LT(abk::ComparePropValues(&huge, &tiny, PT_R4), 0);
  EXPECT_GT(abk::ComparePropValues(&tiny, &huge, PT_R4), 0);
  SPropValue close = Double(2.5), closer = Double(2.9);
  EXPECT_EQ(abk::ComparePropValues(&close, &closer, PT_DOUBLE), 0) << "values within 1 stay equal";
}

// NaN and infinities: a value equals itself, so a row keyed by one can be replaced and deleted.
TEST(FuzzRegressionTest, NanAndInfinityEqualThemselves) {
  double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  SPropValue a = Double(nan), b = Double(nan), c = Double(inf), d = Double(inf), e = Double(-inf), one = Double(1);
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_DOUBLE), 0);
  EXPECT_NE(abk::ComparePropValues(&a, &one, PT_DOUBLE), 0);
  EXPECT_NE(abk::ComparePropValues(&one, &a, PT_DOUBLE), 0);
  EXPECT_EQ(abk::ComparePropValues(&c, &d, PT_DOUBLE), 0);
  EXPECT_GT(abk::ComparePropValues(&c, &e, PT_DOUBLE), 0);
  EXPECT_LT(abk::ComparePropValues(&e, &one, PT_DOUBLE), 0);
}

// The table found by fuzz_tables: a table indexed by a floating-point column, rows keyed by NaN and by
// an infinity modified twice and then deleted.
class FuzzRegressionTableTest : public abktest::ProviderCodeTest {
protected:
  void SetUp() override {
    ProviderCodeTest::SetUp();
    ASSERT_EQ(
        abk::CreateTableData(nullptr, 0, TBLTYPE_DYNAMIC, kIndex, reinterpret_cast<LPSPropTagArray>(&columns), &table),
        S_OK);
  }
  void TearDown() override {
    if (table) table->Release();
    HostTest::TearDown();
  }

  void Modify(double key) {
    SPropValue value = Double(key);
    SRow row{0, 1, &value};
    EXPECT_TRUE(SUCCEEDED(table->HrModifyRow(&row)));
  }

  static constexpr ULONG kIndex = PROP_TAG(PT_DOUBLE, 0x6700);
  SizedSPropTagArray(1, columns) = {1, {kIndex}};
  abk::TableData* table = nullptr;
};

TEST_F(FuzzRegressionTableTest, RowsKeyedByNanOrInfinityAreReplacedAndDeleted) {
  double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  Modify(nan);
  Modify(nan);
  Modify(inf);
  Modify(inf);
  Modify(-3e9);
  Modify(3e9);
  EXPECT_EQ(table->RowCount(), 4u) << "NaN and the infinity each replaced their own row";
  SPropValue key = Double(nan);
  EXPECT_EQ(table->HrDeleteRow(&key), S_OK);
  key = Double(inf);
  EXPECT_EQ(table->HrDeleteRow(&key), S_OK);
  EXPECT_EQ(table->RowCount(), 2u);
}

} // namespace
