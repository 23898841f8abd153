// Property lists, member lists and the value helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "props/prop_list.h"
#include "props/prop_values.h"
#include "provider/module_state.h"
#include "support/provider_fixture.h"
#include "unit/provider_code_test.h"

using namespace abk;

namespace {

class PropValuesTest : public abktest::ProviderCodeTest {};

SPropValue String(ULONG tag, const char* text) {
  SPropValue v{};
  v.ulPropTag = tag;
  v.Value.lpszA = const_cast<char*>(text);
  return v;
}

SPropValue Long(ULONG tag, LONG n) {
  SPropValue v{};
  v.ulPropTag = tag;
  v.Value.l = n;
  return v;
}

TEST_F(PropValuesTest, SetPropReplacesByIdentifierInPlaceWithTheNewType) {
  abk::PropList list;
  ASSERT_EQ(list.SetProp(String(PR_DISPLAY_NAME, "a")), S_OK);
  ASSERT_EQ(list.SetProp(String(PR_COMMENT, "b")), S_OK);
  ASSERT_EQ(list.SetProp(Long(PROP_TAG(PT_LONG, PROP_ID(PR_DISPLAY_NAME)), 7)), S_OK);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.First()->value.ulPropTag, PROP_TAG(PT_LONG, PROP_ID(PR_DISPLAY_NAME)));
  EXPECT_EQ(list.First()->value.Value.l, 7);
  EXPECT_EQ(list.First()->next->value.ulPropTag, PR_COMMENT);

  SPropValue multi{};
  multi.ulPropTag = PROP_TAG(PT_MV_STRING8, 0x6001);
  EXPECT_EQ(list.SetProp(multi), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(list.Count(), 2u);
}

TEST_F(PropValuesTest, StoredValuesOwnTheirBytes) {
  abk::PropList list;
  char text[] = "Dupont";
  ASSERT_EQ(list.SetProp(String(PR_SURNAME, text)), S_OK);
  text[0] = 'X';
  EXPECT_STREQ(list.FindProp(PR_SURNAME)->value.Value.lpszA, "Dupont");

  abk::PropElement* taken = list.TakeProp(PROP_TAG(PT_UNSPECIFIED, PROP_ID(PR_SURNAME)));
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.FindProp(PR_SURNAME), nullptr);
  abk::PropList::FreeElement(taken);
}

TEST_F(PropValuesTest, IterationFollowsInsertionOrder) {
  abk::PropList list;
  list.AppendProp(Long(PR_OBJECT_TYPE, 6));
  list.AppendProp(String(PR_DISPLAY_NAME, "x"));
  list.AppendProp(Long(PR_DISPLAY_TYPE, 0));
  std::vector<ULONG> order;
  for (abk::PropElement* e = list.First(); e; e = e->next)
    order.push_back(e->value.ulPropTag);
  EXPECT_EQ(order, (std::vector<ULONG>{PR_OBJECT_TYPE, PR_DISPLAY_NAME, PR_DISPLAY_TYPE}));
}

TEST_F(PropValuesTest, CopiesAreDeepAndChainedToTheirParent) {
  void* parent = nullptr;
  ASSERT_EQ(HostAllocateBuffer(sizeof(SPropValue) * 4, &parent), S_OK);
  auto* out = static_cast<SPropValue*>(parent);

  BYTE bytes[3] = {1, 2, 3};
  SPropValue bin{};
  bin.ulPropTag = PR_ENTRYID;
  bin.Value.bin.cb = 3;
  bin.Value.bin.lpb = bytes;
  ASSERT_EQ(abk::CopyPropValue(&out[0], &bin, parent), S_OK);
  EXPECT_NE(out[0].Value.bin.lpb, bytes);
  EXPECT_EQ(memcmp(out[0].Value.bin.lpb, bytes, 3), 0);

  long before = host::LiveBlocks();
  bin.Value.bin.cb = 0;
  ASSERT_EQ(abk::CopyPropValue(&out[1], &bin, parent), S_OK);
  EXPECT_EQ(out[1].Value.bin.cb, 0u);
  EXPECT_EQ(out[1].Value.bin.lpb, nullptr);
  EXPECT_EQ(host::LiveBlocks(), before) << "an empty binary allocates nothing";

  const WCHAR wide[] = {'a', 0x00E9, 0};
  SPropValue w{};
  w.ulPropTag = PROP_TAG(PT_UNICODE, 0x3001);
  w.Value.lpszW = const_cast<WCHAR*>(wide);
  ASSERT_EQ(abk::CopyPropValue(&out[2], &w, parent), S_OK);
  EXPECT_EQ(memcmp(out[2].Value.lpszW, wide, sizeof wide), 0) << "two-byte terminator included";

  SPropValue multi{};
  multi.ulPropTag = PROP_TAG(PT_MV_LONG, 0x6002);
  EXPECT_EQ(abk::CopyPropValue(&out[3], &multi, parent), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(out[3].ulPropTag, multi.ulPropTag);

  HostFreeBuffer(parent); // frees the chained copies too
}

TEST_F(PropValuesTest, ComparesByType) {
  SPropValue a{}, b{};
  a.Value.flt = 1.5f;
  b.Value.flt = 1.0f;
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_R4), 0) << "less than 1 apart";
  a.Value.dbl = 3.0;
  b.Value.dbl = 1.0;
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_DOUBLE), 2);

  BYTE x[5] = {1, 2, 3, 4, 5}, y[5] = {1, 2, 9, 4, 5};
  a.Value.bin = {3, x};
  b.Value.bin = {5, y};
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_BINARY), -2);
  a.Value.bin = {5, x};
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_BINARY), -1);
  EXPECT_EQ(abk::ComparePropValues(&b, &a, PT_BINARY), 1);

  a.Value.b = 2;
  b.Value.b = 1;
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_BOOLEAN), 0);
  b.Value.b = 0;
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_BOOLEAN), 1);

  a.Value.lpszA = const_cast<char*>("abc");
  b.Value.lpszA = const_cast<char*>("abc");
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_STRING8), 0);
  EXPECT_EQ(abk::ComparePropValues(&a, &b, PT_OBJECT), 0);
}

TEST_F(PropValuesTest, FindsByTheWholeTagAndReportsMissingValues) {
  SPropValue values[2] = {String(PR_DISPLAY_NAME, "a"), Long(PR_OBJECT_TYPE, 6)};
  EXPECT_EQ(abk::FindPropValue(values, 2, PR_OBJECT_TYPE), &values[1]);
  EXPECT_EQ(abk::FindPropValue(values, 2, PR_DISPLAY_NAME_W), nullptr);
  SPropValue missing{};
  EXPECT_EQ(abk::MakeNotFoundValue(&missing, PR_COMMENT), MAPI_W_ERRORS_RETURNED);
  EXPECT_EQ(missing.ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_COMMENT)));
  EXPECT_EQ(missing.Value.err, MAPI_E_NOT_FOUND);
}

TEST_F(PropValuesTest, CopyStoredValueWithoutParentMakesABlockOfItsOwn) {
  abk::PropList list;
  list.SetProp(String(PR_COMMENT, "mot"));
  SPropValue out{};
  ASSERT_EQ(abk::CopyStoredValue(*list.First(), nullptr, &out), S_OK);
  EXPECT_STREQ(out.Value.lpszA, "mot");
  HostFreeBuffer(out.Value.lpszA);
}

TEST(MemberListTest, AnEqualKeyReplacesInPlaceAndOrderIsKept) {
  abk::MemberList members;
  for (ULONG id = 1; id <= 5000; ++id)
    members.AddMember(abk::EntryKey{id, 6});
  members.AddMember(abk::EntryKey{0x80000001, 8});
  members.AddMember(abk::EntryKey{17, 6});
  EXPECT_EQ(members.Count(), 5001u);
  members.AddMember(abk::EntryKey{17, 8}); // same record, other type: a different key
  EXPECT_EQ(members.Count(), 5002u);
  EXPECT_EQ(members.At(16).recordId, 17u);
  EXPECT_TRUE(members.RemoveMember(abk::EntryKey{17, 6}));
  EXPECT_FALSE(members.Contains(abk::EntryKey{17, 6}));
  EXPECT_TRUE(members.Contains(abk::EntryKey{17, 8}));
  EXPECT_EQ(members.At(16).recordId, 18u);
  EXPECT_TRUE(members.Contains(abk::EntryKey{5000, 6}));
  EXPECT_FALSE(members.RemoveMember(abk::EntryKey{99999, 6}));
}

} // namespace
