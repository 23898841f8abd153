// ABProviderOpen through the loaded module: the order of its checks, what it takes from the profile and
// what it tells the host.
#include "support/provider_fixture.h"

using abktest::ProviderTest;

namespace {

class ProviderOpenTest : public ProviderTest {};

TEST_F(ProviderOpenTest, OpensASessionAndRegistersTheServiceUid) {
  profile.SetString(PR_AB_FILE_PATH, "");
  LONG supportRefs = support.RefCount();
  ASSERT_EQ(Open(), S_OK);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(support.registerCalls, 1u);
  EXPECT_EQ(memcmp(&support.registeredUid, abktest::kServiceUid, 16), 0);
  EXPECT_EQ(support.RefCount(), supportRefs + 1) << "the session keeps the support object";
  EXPECT_EQ(profile.getPropsCalls, 1u);
  EXPECT_EQ(host::LiveBlocks(), 0) << "the profile's values are released before returning";

  EXPECT_EQ(session->Release(), 0u);
  session = nullptr;
  EXPECT_EQ(support.RefCount(), supportRefs);
}

TEST_F(ProviderOpenTest, RefusesMissingObjectsAndUnwritableResult) {
  EXPECT_EQ(module.providerOpen(module.Instance(), nullptr, &profile, 0, 0, 0, 0, HostFreeBuffer, &session),
            E_INVALIDARG);
  EXPECT_EQ(module.providerOpen(module.Instance(), &support, nullptr, 0, 0, 0, 0, HostFreeBuffer, &session),
            E_INVALIDARG);
  EXPECT_EQ(module.providerOpen(module.Instance(), &support, &profile, 0, 0, 0, 0, HostFreeBuffer, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(profile.getPropsCalls, 0u) << "nothing is read before the arguments are checked";
}

TEST_F(ProviderOpenTest, PassesOnAFailingProfileRead) {
  profile.getPropsResult = MAPI_E_NO_ACCESS;
  session = reinterpret_cast<LPADRBOOK>(0x1); // must be cleared
  EXPECT_EQ(Open(), MAPI_E_NO_ACCESS);
  EXPECT_EQ(session, nullptr);
}

TEST_F(ProviderOpenTest, ServiceUidIsCheckedBeforeDisplayName) {
  profile.Remove(PR_SERVICE_UID);
  profile.Remove(PR_DISPLAY_NAME);
  EXPECT_EQ(Open(), MAPI_E_BAD_VALUE);
  EXPECT_EQ(session, nullptr);

  profile.SetString(PR_DISPLAY_NAME, "Fax");
  EXPECT_EQ(Open(), MAPI_E_BAD_VALUE) << "an error value in place of the service identifier";

  profile.SetBinary(PR_SERVICE_UID, abktest::kServiceUid, 16);
  profile.Remove(PR_DISPLAY_NAME);
  EXPECT_EQ(Open(), MAPI_E_UNCONFIGURED);
  EXPECT_EQ(support.registerCalls, 0u);
}

TEST_F(ProviderOpenTest, ShortOrWronglyTaggedValuesCountAsMissing) {
  profile.SetBinary(PR_SERVICE_UID, abktest::kServiceUid, 8);
  EXPECT_EQ(Open(), MAPI_E_BAD_VALUE) << "a service identifier shorter than 16 bytes is never read";

  profile.SetBinary(PR_SERVICE_UID, abktest::kServiceUid, 16);
  profile.getPropsCountLimit = 2;
  EXPECT_EQ(Open(), MAPI_E_BAD_VALUE) << "an answer without position 2";
  profile.getPropsCountLimit = 0;
  EXPECT_EQ(Open(), MAPI_E_BAD_VALUE);
  EXPECT_EQ(session, nullptr);
}

TEST_F(ProviderOpenTest, PassesOnAFailingMemoryRoutineRequest) {
  support.memAllocRoutinesResult = MAPI_E_CALL_FAILED;
  EXPECT_EQ(Open(), MAPI_E_CALL_FAILED);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(support.registerCalls, 0u);
}

TEST_F(ProviderOpenTest, AProfileWithoutFilePathStillOpens) {
  profile.Remove(PR_AB_FILE_PATH);
  EXPECT_EQ(Open(), S_OK);
  EXPECT_NE(session, nullptr);
}

TEST_F(ProviderOpenTest, EachOpenIsAnIndependentSession) {
  LPADRBOOK second = nullptr;
  ASSERT_EQ(Open(), S_OK);
  ASSERT_EQ(module.Open(&support, &profile, &second), S_OK);
  EXPECT_NE(session, second);
  EXPECT_EQ(second->Release(), 0u);
}

} // namespace
