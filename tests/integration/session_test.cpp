// The session object through the loaded module: interfaces, reference counts, its own properties,
// identifier comparison and advise registrations.
#include <vector>

#include "host/advise_recorder.h"
#include "support/provider_fixture.h"

using abktest::IdPtr;
using abktest::IdSize;
using abktest::MakeId;

namespace {

class SessionTest : public abktest::ProviderTest {
protected:
  void SetUp() override {
    ProviderTest::SetUp();
    ASSERT_EQ(Open(), S_OK);
  }

  // GetProps for the given tags; the values are freed by the caller through Free().
  HRESULT Get(std::vector<ULONG> tags, ULONG* count, LPSPropValue* values) {
    std::vector<ULONG> array(tags.size() + 1);
    array[0] = static_cast<ULONG>(tags.size());
    std::copy(tags.begin(), tags.end(), array.begin() + 1);
    return session->GetProps(reinterpret_cast<LPSPropTagArray>(array.data()), 0, count, values);
  }
};

TEST_F(SessionTest, AnswersItsInterfacesOnly) {
  for (const IID* iid : {&IID_IUnknown, &IID_IMAPIProp, &IID_IAddrBook}) {
    void* object = nullptr;
    ASSERT_EQ(session->QueryInterface(*iid, &object), S_OK);
    EXPECT_EQ(object, session);
    static_cast<IUnknown*>(object)->Release();
  }
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(session->QueryInterface(IID_IMailUser, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(session->QueryInterface(IID_IMAPITable, &object), E_NOINTERFACE);
}

TEST_F(SessionTest, CountsReferences) {
  EXPECT_EQ(session->AddRef(), 2u);
  EXPECT_EQ(session->AddRef(), 3u);
  EXPECT_EQ(session->Release(), 2u);
  EXPECT_EQ(session->Release(), 1u);
}

TEST_F(SessionTest, AnswersEveryPropertyOfItsTable) {
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(
      Get({PR_NULL, PR_OBJECT_TYPE, PR_ENTRYID, PR_DISPLAY_NAME, PR_DEPTH, PR_CONTAINER_FLAGS, PR_SERVICE_DLL_NAME},
          &count, &values),
      S_OK);
  ASSERT_EQ(count, 7u);
  EXPECT_EQ(values[0].ulPropTag, PR_NULL);
  EXPECT_EQ(values[1].ulPropTag, PR_OBJECT_TYPE);
  EXPECT_EQ(values[1].Value.l, MAPI_ABCONT);
  ASSERT_EQ(values[2].ulPropTag, PR_ENTRYID);
  ASSERT_EQ(values[2].Value.bin.cb, 40u);
  std::string rootId(reinterpret_cast<char*>(values[2].Value.bin.lpb), 40);
  EXPECT_EQ(rootId, MakeId(0xFFFFFFFF, 4)) << "root container: record 0xFFFFFFFF, type 4, no parent";
  EXPECT_STREQ(values[3].Value.lpszA, "Carnet de télécopie");
  EXPECT_EQ(values[4].Value.l, 0);
  EXPECT_EQ(values[5].Value.l, AB_RECIPIENTS | AB_MODIFIABLE);
  EXPECT_STREQ(values[6].Value.lpszA, "BKSTOR.DLL");
  HostFreeBuffer(values);
}

TEST_F(SessionTest, MatchesTagsInAll32Bits) {
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(
      Get({PR_DISPLAY_NAME_W, PR_DEPTH, PROP_TAG(PT_STRING8, PROP_ID(PR_OBJECT_TYPE)), PR_SUBJECT}, &count, &values),
      MAPI_W_ERRORS_RETURNED);
  ASSERT_EQ(count, 4u);
  EXPECT_EQ(values[0].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_NAME_W)));
  EXPECT_EQ(values[0].Value.err, MAPI_E_NOT_FOUND);
  EXPECT_EQ(values[1].ulPropTag, PR_DEPTH);
  EXPECT_EQ(PROP_TYPE(values[2].ulPropTag), static_cast<ULONG>(PT_ERROR));
  EXPECT_EQ(values[3].Value.err, MAPI_E_NOT_FOUND);
  HostFreeBuffer(values);
}

TEST_F(SessionTest, ListsFourPropertiesAndAnswersThemForANullTagArray) {
  LPSPropTagArray tags = nullptr;
  ASSERT_EQ(session->GetPropList(0, &tags), S_OK);
  ASSERT_EQ(tags->cValues, 4u);
  EXPECT_EQ(tags->aulPropTag[0], PR_DISPLAY_NAME);
  EXPECT_EQ(tags->aulPropTag[1], PR_ENTRYID);
  EXPECT_EQ(tags->aulPropTag[2], PR_OBJECT_TYPE);
  EXPECT_EQ(tags->aulPropTag[3], PR_DEPTH);
  HostFreeBuffer(tags);

  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(session->GetProps(nullptr, 0, &count, &values), S_OK);
  ASSERT_EQ(count, 4u);
  EXPECT_EQ(values[0].ulPropTag, PR_DISPLAY_NAME);
  EXPECT_EQ(values[1].ulPropTag, PR_ENTRYID);
  EXPECT_EQ(values[2].ulPropTag, PR_OBJECT_TYPE);
  EXPECT_EQ(values[3].ulPropTag, PR_DEPTH);
  HostFreeBuffer(values);
}

TEST_F(SessionTest, RefusesUnicodeAndUnwritableOutputs) {
  ULONG count = 0;
  LPSPropValue values = nullptr;
  LPSPropTagArray tags = nullptr;
  EXPECT_EQ(session->GetProps(nullptr, MAPI_UNICODE, &count, &values), MAPI_E_BAD_CHARWIDTH);
  EXPECT_EQ(session->GetPropList(MAPI_UNICODE, &tags), MAPI_E_BAD_CHARWIDTH);
  EXPECT_EQ(session->GetProps(nullptr, 0, nullptr, &values), E_INVALIDARG);
  EXPECT_EQ(session->GetProps(nullptr, 0, &count, nullptr), E_INVALIDARG);
  EXPECT_EQ(session->GetPropList(0, nullptr), E_INVALIDARG);
  SizedSPropTagArray(1, empty) = {0, {0}};
  EXPECT_EQ(session->GetProps(reinterpret_cast<LPSPropTagArray>(&empty), 0, &count, &values), E_INVALIDARG);
}

TEST_F(SessionTest, CutsALongDisplayNameAt64Characters) {
  session->Release();
  session = nullptr;
  std::string name(100, 'n');
  name[63] = 'x';
  profile.SetString(PR_DISPLAY_NAME, name);
  ASSERT_EQ(Open(), S_OK);
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(Get({PR_DISPLAY_NAME}, &count, &values), S_OK);
  EXPECT_EQ(std::string(values[0].Value.lpszA), name.substr(0, 64));
  HostFreeBuffer(values);
}

// Every allocation of GetProps, failed in turn: the call fails or reports the value it could not build,
// and nothing is left behind.
TEST_F(SessionTest, SurvivesEachAllocationFailing) {
  for (long nth = 1; nth <= 6; ++nth) {
    host::FailAllocation(nth);
    ULONG count = 0;
    LPSPropValue values = nullptr;
    HRESULT hr = Get({PR_DISPLAY_NAME, PR_ENTRYID, PR_SERVICE_DLL_NAME}, &count, &values);
    bool fired = host::FailureFired();
    host::FailAllocation(0);
    if (!fired) {
      EXPECT_EQ(hr, S_OK);
      HostFreeBuffer(values);
      break;
    }
    if (nth == 1) {
      EXPECT_EQ(hr, MAPI_E_NOT_ENOUGH_MEMORY);
      continue;
    }
    ASSERT_EQ(hr, MAPI_W_ERRORS_RETURNED) << "allocation " << nth;
    int errors = 0;
    for (ULONG i = 0; i < count; ++i) {
      if (PROP_TYPE(values[i].ulPropTag) != PT_ERROR) continue;
      ++errors;
      EXPECT_TRUE(FAILED(values[i].Value.err));
    }
    EXPECT_EQ(errors, 1) << "allocation " << nth;
    HostFreeBuffer(values);
  }
  EXPECT_EQ(host::LiveBlocks(), 0);
}

TEST_F(SessionTest, ComparesIdentifiersByRecordAndType) {
  std::string listedInRoot = MakeId(7, 6, 0xFFFFFFFF, 4);
  std::string listedInGroup = MakeId(7, 6, 0x80000002, 8);
  std::string template7 = MakeId(7, 0x3006);
  std::string other = MakeId(8, 6, 0xFFFFFFFF, 4);
  ULONG result = 9;
  ASSERT_EQ(session->CompareEntryIDs(IdSize(listedInRoot), IdPtr(listedInRoot), IdSize(listedInGroup),
                                     IdPtr(listedInGroup), 0, &result),
            S_OK);
  EXPECT_EQ(result, 1u) << "the listing container takes no part";
  ASSERT_EQ(session->CompareEntryIDs(40, IdPtr(listedInRoot), 40, IdPtr(template7), 0, &result), S_OK);
  EXPECT_EQ(result, 0u) << "6 and 0x3006 name different things";
  ASSERT_EQ(session->CompareEntryIDs(40, IdPtr(listedInRoot), 40, IdPtr(other), 0, &result), S_OK);
  EXPECT_EQ(result, 0u);

  std::string flagged = listedInRoot;
  flagged[0] = 0x7F;
  flagged[20] = 0x01;
  ASSERT_EQ(session->CompareEntryIDs(40, IdPtr(listedInRoot), 40, IdPtr(flagged), 0, &result), S_OK);
  EXPECT_EQ(result, 1u) << "flags and the reserved word take no part";
}

TEST_F(SessionTest, RefusesToCompareForeignOrShortIdentifiers) {
  std::string mine = MakeId(7, 6);
  std::string foreign = mine;
  foreign[19] ^= 0x01;
  ULONG result = 0;
  EXPECT_EQ(session->CompareEntryIDs(40, IdPtr(mine), 40, IdPtr(foreign), 0, &result), E_INVALIDARG);
  EXPECT_EQ(session->CompareEntryIDs(39, IdPtr(mine), 40, IdPtr(mine), 0, &result), E_INVALIDARG);
  EXPECT_EQ(session->CompareEntryIDs(40, nullptr, 40, IdPtr(mine), 0, &result), E_INVALIDARG);
  EXPECT_EQ(session->CompareEntryIDs(40, IdPtr(mine), 40, IdPtr(mine), 0, nullptr), E_INVALIDARG);
}

TEST_F(SessionTest, IssuesConnectionsInOrderAndRefusesOtherEvents) {
  host::AdviseRecorder sink;
  std::string person = MakeId(7, 6);
  ULONG connection = 0;
  ASSERT_EQ(session->Advise(40, IdPtr(person), fnevObjectModified, &sink, &connection), S_OK);
  EXPECT_EQ(connection, 1u);
  ASSERT_EQ(session->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);
  EXPECT_EQ(connection, 2u) << "an empty identifier is accepted";
  EXPECT_EQ(session->Advise(0, nullptr, fnevObjectModified | fnevObjectCreated, &sink, &connection), MAPI_E_NO_SUPPORT);

  std::string foreign = person;
  foreign[4] ^= 0x40;
  EXPECT_EQ(session->Advise(40, IdPtr(foreign), fnevObjectModified, &sink, &connection), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(session->Advise(12, IdPtr(person), fnevObjectModified, &sink, &connection), MAPI_E_INVALID_ENTRYID);

  EXPECT_EQ(session->Unadvise(1), S_OK);
  EXPECT_EQ(session->Unadvise(99), S_OK);
  ASSERT_EQ(session->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);
  EXPECT_EQ(connection, 3u) << "connection numbers are never reused";
  EXPECT_EQ(sink.RefCount(), 1) << "registrations do not hold the sink";
}

TEST_F(SessionTest, UnofferedSlotsSayNoSupport) {
  EXPECT_EQ(session->SaveChanges(0), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->SetProps(0, nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->DeleteProps(nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->GetLastError(S_OK, 0, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->OpenProperty(PR_DISPLAY_NAME, &IID_IUnknown, 0, 0, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->CreateOneOff(nullptr, nullptr, nullptr, 0, nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->ResolveName(0, 0, nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->Address(nullptr, nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->GetPAB(nullptr, nullptr), MAPI_E_NO_SUPPORT);
  EXPECT_EQ(session->SetSearchPath(0, nullptr), MAPI_E_NO_SUPPORT);
}

} // namespace
