// The property operations every entry object shares, on a person: reading, listing, setting with
// refusals reported per value, and every allocation failing in turn.
#include <gtest/gtest.h>

#include "props/mail_user.h"
#include "provider/heap.h"
#include "support/book_fixture.h"

using namespace abk;

using abktest::Field;
using abktest::RawRecord;
using abktest::ReadString;
using abktest::SetStrings;

namespace {

constexpr abk::EntryKey kRoot{kRootRecordId, kEntryTypeRoot};

class PropObjectTest : public abktest::BookTest {
protected:
  void SetUp() override {
    BookTest::SetUp();
    person = store.NewPerson(book, {Field(1, "Claire"), Field(0x200, "Orvex")});
    std::string id = IdInRoot(person);
    ASSERT_EQ(abk::MailUser::Open(session, &kRoot, id.data(), &user), S_OK);
  }
  void TearDown() override {
    if (user) user->Release();
    BookTest::TearDown();
  }
  ULONG person = 0;
  abk::MailUser* user = nullptr;
};

TEST_F(PropObjectTest, EmptyRequestsAnswerNothing) {
  SizedSPropTagArray(1, none) = {0, {0}};
  ULONG count = 9;
  LPSPropValue values = reinterpret_cast<LPSPropValue>(1);
  ASSERT_EQ(user->GetProps(reinterpret_cast<LPSPropTagArray>(&none), 0, &count, &values), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(values, nullptr);
  EXPECT_EQ(user->GetProps(nullptr, MAPI_UNICODE, &count, &values), MAPI_E_BAD_CHARWIDTH);
  LPSPropTagArray tags = nullptr;
  EXPECT_EQ(user->GetPropList(MAPI_UNICODE, &tags), MAPI_E_BAD_CHARWIDTH);
}

TEST_F(PropObjectTest, MissingValuesAreReportedAndTheStoredTypeWins) {
  SizedSPropTagArray(4, wanted) = {4, {PR_DISPLAY_NAME_W, PR_SURNAME, PR_NULL, PR_COMPANY_NAME}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(user->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values), MAPI_W_ERRORS_RETURNED);
  ASSERT_EQ(count, 4u);
  EXPECT_EQ(values[0].ulPropTag, PR_DISPLAY_NAME) << "a wide request gets the stored 8-bit string";
  EXPECT_STREQ(values[0].Value.lpszA, "Claire");
  EXPECT_EQ(values[1].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_SURNAME)));
  EXPECT_EQ(values[1].Value.err, MAPI_E_NOT_FOUND);
  EXPECT_EQ(values[2].ulPropTag, PR_NULL);
  EXPECT_STREQ(values[3].Value.lpszA, "Orvex") << "later values are still filled";
  HostFreeBuffer(values);

  ASSERT_EQ(user->GetProps(nullptr, 0, &count, &values), S_OK);
  EXPECT_EQ(count, 8u) << "six initial properties and two stored fields";
  HostFreeBuffer(values);
}

TEST_F(PropObjectTest, RefusedValuesAreReportedPerValueAndTheRestStored) {
  BYTE id[40] = {};
  SPropValue values[7] = {};
  values[0].ulPropTag = PR_ENTRYID;
  values[0].Value.bin = {40, id};
  values[1].ulPropTag = PR_DISPLAY_NAME;
  values[1].Value.lpszA = const_cast<char*>("Claire Dubois");
  values[2].ulPropTag = PROP_TAG(PT_MV_STRING8, 0x6010);
  values[3].ulPropTag = PROP_TAG(PT_OBJECT, 0x6011);
  values[4].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_SURNAME));
  values[5].ulPropTag = PR_NULL;
  values[6].ulPropTag = PR_COMPANY_NAME; // a string without its characters
  LPSPropProblemArray problems = nullptr;
  ASSERT_EQ(user->SetProps(7, values, &problems), S_OK);
  ASSERT_NE(problems, nullptr);
  ASSERT_EQ(problems->cProblem, 4u);
  EXPECT_EQ(problems->aProblem[0].ulIndex, 0u);
  EXPECT_EQ(problems->aProblem[0].ulPropTag, PR_ENTRYID);
  EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_COMPUTED);
  EXPECT_EQ(problems->aProblem[1].scode, MAPI_E_NO_SUPPORT);
  EXPECT_EQ(problems->aProblem[2].scode, MAPI_E_NO_ACCESS);
  EXPECT_EQ(problems->aProblem[3].ulIndex, 6u);
  EXPECT_EQ(problems->aProblem[3].scode, MAPI_E_INVALID_PARAMETER);
  HostFreeBuffer(problems);
  EXPECT_EQ(ReadString(user, PR_COMPANY_NAME), "Orvex") << "the refused string leaves the stored one";
  EXPECT_EQ(ReadString(user, PR_DISPLAY_NAME), "Claire Dubois");
  EXPECT_EQ(ReadString(user, PR_7BIT_DISPLAY_NAME), "Claire Dubois");
  EXPECT_EQ(ReadString(user, PR_SURNAME), "(missing)") << "an error value changes nothing";

  ASSERT_EQ(SetStrings(user, {{PR_COMMENT, "vip"}}), S_OK);
  problems = reinterpret_cast<LPSPropProblemArray>(1);
  ASSERT_EQ(user->SetProps(1, &values[1], &problems), S_OK);
  EXPECT_EQ(problems, nullptr) << "no refusal, no problem array";
}

TEST_F(PropObjectTest, AValueOfAnotherTypeUnderAStringIdentifierIsNeverWrittenAsAString) {
  SPropValue number{};
  number.ulPropTag = PROP_TAG(PT_LONG, PROP_ID(PR_DISPLAY_NAME));
  number.Value.l = 0x41414141;
  ASSERT_EQ(user->SetProps(1, &number, nullptr), S_OK);
  LPSPropTagArray tags = nullptr;
  ASSERT_EQ(user->GetPropList(0, &tags), S_OK);
  EXPECT_EQ(tags->aulPropTag[5], PROP_TAG(PT_LONG, PROP_ID(PR_DISPLAY_NAME))) << "replaced in place";
  HostFreeBuffer(tags);
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, person), (std::vector<RawRecord>{Field(0x200, "Orvex")}));
}

// Every host allocation and every provider heap allocation of each operation, failed in turn: each call
// fails cleanly or succeeds, nothing leaks, and the record holds the old state or the whole change.
TEST_F(PropObjectTest, SurvivesEveryAllocationFailingInTurn) {
  std::vector<RawRecord> before = store.Read(book, person);
  std::vector<RawRecord> after = {Field(1, "Claire Martin"), Field(0x200, "Orvex"), Field(0x8, "amie")};

  static long heapFailAt = 0, heapCount = 0;
  abk::SetHeapFailureHook([](size_t) { return heapFailAt && ++heapCount == heapFailAt; });
  long rounds[2] = {0, 0};
  for (int heap = 0; heap < 2; ++heap) {
    for (long nth = 1; nth < 40; ++nth) {
      ++rounds[heap];
      // A fresh object each round, so that each round makes the same change.
      abk::MailUser* fresh = nullptr;
      std::string id = IdInRoot(person);
      ASSERT_EQ(abk::MailUser::Open(session, &kRoot, id.data(), &fresh), S_OK);
      store.Write(book, person, before);

      heapCount = 0;
      heapFailAt = heap ? nth : 0;
      host::FailAllocation(heap ? 0 : nth);
      ULONG count = 0;
      LPSPropValue values = nullptr;
      if (SUCCEEDED(fresh->GetProps(nullptr, 0, &count, &values))) HostFreeBuffer(values);
      LPSPropTagArray tags = nullptr;
      if (SUCCEEDED(fresh->GetPropList(0, &tags))) HostFreeBuffer(tags);
      LPSPropProblemArray problems = nullptr;
      HRESULT set = SetStrings(fresh, {{PR_DISPLAY_NAME, "Claire Martin"}, {PR_COMMENT, "amie"}});
      EXPECT_EQ(set, S_OK);
      HRESULT saved = fresh->SaveChanges(0);
      bool fired = heap ? heapCount >= heapFailAt : host::FailureFired();
      heapFailAt = 0;
      host::FailAllocation(0);
      if (problems) HostFreeBuffer(problems);

      // A property that SetProps could not take is in its problem array and is not written; a save that
      // went through wrote what the object holds, and a failed one nothing.
      std::vector<RawRecord> now = store.Read(book, person);
      if (SUCCEEDED(saved)) {
        std::vector<RawRecord> held = {Field(1, ReadString(fresh, PR_DISPLAY_NAME)), Field(0x200, "Orvex")};
        if (ReadString(fresh, PR_COMMENT) == "amie") held.push_back(Field(0x8, "amie"));
        EXPECT_EQ(now, held) << "round " << nth;
      } else {
        EXPECT_EQ(now, before) << "round " << nth;
      }
      fresh->Release();
      EXPECT_EQ(host::LiveBlocks(), 0) << "round " << nth;
      if (!fired) break;
    }
  }
  abk::SetHeapFailureHook(nullptr);
  EXPECT_GT(rounds[0], 5) << "host allocations swept";
  EXPECT_GT(rounds[1], 3) << "provider heap allocations swept";
}

} // namespace
