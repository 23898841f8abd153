// Entry identifiers: classification, ownership and the parent pair of new identifiers.
#include <gtest/gtest.h>

#include "provider/entry_id.h"
#include "provider/module_state.h"
#include "provider/session.h"
#include "support/provider_fixture.h"
#include "unit/provider_code_test.h"

using namespace abk;

using abktest::IdPtr;
using abktest::MakeId;

namespace {

class EntryIdTest : public abktest::ProviderCodeTest {
protected:
  void SetUp() override {
    ProviderCodeTest::SetUp();
    session = abk::AddressBookSession::Create(nullptr, abktest::kServiceUid);
    ASSERT_NE(session, nullptr);
  }
  void TearDown() override {
    abk::AddressBookSession::Destroy(session);
    HostTest::TearDown();
  }
  abk::AddressBookSession* session = nullptr;
};

TEST_F(EntryIdTest, AnEmptyIdentifierIsTheRootContainer) {
  std::string id = MakeId(5, 6);
  EXPECT_EQ(abk::ClassifyEntryId(*session, 40, nullptr), abk::kEntryTypeRoot);
  EXPECT_EQ(abk::ClassifyEntryId(*session, 0, IdPtr(id)), abk::kEntryTypeRoot);
}

TEST_F(EntryIdTest, ClassifiesByTheTypeWordItCarries) {
  for (ULONG type : {4u, 6u, 8u, 0x3006u, 0x3008u, 0x1234u}) {
    std::string id = MakeId(5, type);
    EXPECT_EQ(abk::ClassifyEntryId(*session, 40, IdPtr(id)), type);
  }
}

TEST_F(EntryIdTest, ADifferentServiceIdentifierInAnyByteIsForeign) {
  for (int byte = 4; byte < 20; ++byte) {
    std::string id = MakeId(5, 6);
    id[byte] ^= 0x01;
    EXPECT_EQ(abk::ClassifyEntryId(*session, 40, IdPtr(id)), abk::kEntryTypeForeign) << "byte " << byte;
    EXPECT_FALSE(abk::IsOwnEntryId(*session, 40, IdPtr(id))) << "byte " << byte;
  }
}

TEST_F(EntryIdTest, ShortIdentifiersAreNeverOwnAndNeverReadPastTheirLength) {
  std::string full = MakeId(5, 6);
  EXPECT_TRUE(abk::IsOwnEntryId(*session, 40, IdPtr(full)));
  EXPECT_TRUE(abk::IsOwnEntryId(*session, 64, (full + std::string(24, 'x')).data()));
  EXPECT_FALSE(abk::IsOwnEntryId(*session, 39, IdPtr(full)));
  EXPECT_FALSE(abk::IsOwnEntryId(*session, 40, nullptr));
  // A heap block of exactly 12 bytes: ASan reports any read beyond it.
  std::unique_ptr<char[]> shortId(new char[12]());
  EXPECT_EQ(abk::ClassifyEntryId(*session, 12, shortId.get()), abk::kEntryTypeForeign);
  EXPECT_EQ(abk::ClassifyEntryId(*session, 39, full.data()), abk::kEntryTypeForeign);
}

TEST_F(EntryIdTest, SameEntryLooksAtRecordTypeAndServiceOnly) {
  std::string a = MakeId(5, 6, 0xFFFFFFFF, 4);
  std::string b = MakeId(5, 6, 0x80000003, 8);
  b[0] = 1;
  b[21] = 1;
  EXPECT_EQ(abk::SameEntry(a.data(), b.data()), 1u);
  EXPECT_EQ(abk::SameEntry(a.data(), MakeId(5, 0x3006).data()), 0u);
  EXPECT_EQ(abk::SameEntry(a.data(), MakeId(6, 6).data()), 0u);
  std::string foreign = a;
  foreign[10] ^= 0x20;
  EXPECT_EQ(abk::SameEntry(a.data(), foreign.data()), 0u);
}

TEST_F(EntryIdTest, MakeEntryIdTakesTheSourceKeyAsParent) {
  std::string group = MakeId(0x80000004, 8, 0xFFFFFFFF, 4);
  LPENTRYID made = nullptr;
  ASSERT_EQ(abk::MakeEntryId(*session, 0, 9, 6, group.data(), &made), S_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(made), 40), MakeId(9, 6, 0x80000004, 8));
  HostFreeBuffer(made);

  ASSERT_EQ(abk::MakeEntryId(*session, 0, 9, 6, nullptr, &made), S_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(made), 40), MakeId(9, 6));
  HostFreeBuffer(made);

  host::FailAllocation(1);
  made = nullptr;
  EXPECT_EQ(abk::MakeEntryId(*session, 0, 9, 6, nullptr, &made), MAPI_E_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(made, nullptr);
}

TEST(EntryKeyTest, ListedTypeFollowsBit31OfTheRecordId) {
  EXPECT_EQ(abk::TypeWordForRecordId(1), abk::kEntryTypePerson);
  EXPECT_EQ(abk::TypeWordForRecordId(0x7FFFFFFF), abk::kEntryTypePerson);
  EXPECT_EQ(abk::TypeWordForRecordId(0x80000001), abk::kEntryTypeGroup);
  EXPECT_EQ(abk::TypeWordForRecordId(0xFFFFFFFE), abk::kEntryTypeGroup);
}

} // namespace
