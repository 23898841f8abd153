// ABServiceEntry through the loaded module: the values it is given reach the profile, creation runs
// the store library's conversion, and unknown contexts are refused only after both.
#include <filesystem>

#include "support/object_helpers.h"
#include "support/provider_fixture.h"

namespace fs = std::filesystem;

namespace {

class ServiceEntryTest : public abktest::ProviderTest {
protected:
  HRESULT Call(ULONG flags, ULONG context, ULONG count, LPSPropValue values) {
    return module.serviceEntry(module.Instance(), nullptr, flags, context, count, values, &profile, &support);
  }
};

TEST_F(ServiceEntryTest, RefusesMissingObjects) {
  EXPECT_EQ(module.serviceEntry(module.Instance(), nullptr, 0, 1, 0, nullptr, nullptr, &support), E_INVALIDARG);
  EXPECT_EQ(module.serviceEntry(module.Instance(), nullptr, 0, 1, 0, nullptr, &profile, nullptr), E_INVALIDARG);
}

TEST_F(ServiceEntryTest, UnknownContextsAreRefusedAfterTheValuesAreWritten) {
  SPropValue name{};
  name.ulPropTag = PR_DISPLAY_NAME;
  name.Value.lpszA = const_cast<char*>("Fax du bureau");
  for (ULONG context : {0u, 6u}) {
    ULONG before = profile.setPropsCalls;
    EXPECT_EQ(Call(0, context, 1, &name), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(profile.setPropsCalls, before + 1);
  }
  std::string written;
  EXPECT_TRUE(profile.GetString(PR_DISPLAY_NAME, &written));
  EXPECT_EQ(written, "Fax du bureau");

  support.memAllocRoutinesResult = MAPI_E_CALL_FAILED;
  EXPECT_EQ(Call(0, 6, 0, nullptr), MAPI_E_CALL_FAILED) << "the memory routines are fetched before the context";
  support.memAllocRoutinesResult = S_OK;
  profile.setPropsResult = MAPI_E_NO_ACCESS;
  EXPECT_EQ(Call(0, 1, 1, &name), MAPI_E_NO_ACCESS);
}

TEST_F(ServiceEntryTest, UnreadableValuesAreSkippedWithoutAWord) {
  EXPECT_EQ(Call(0, 1, 3, nullptr), S_OK);
#ifdef _WIN32
  // An address no process can read.
  EXPECT_EQ(Call(0, 1, 2, reinterpret_cast<LPSPropValue>(ULONG_PTR{0x10})), S_OK);
#endif
  EXPECT_EQ(profile.setPropsCalls, 0u);
}

TEST_F(ServiceEntryTest, InstallDeleteAndUninstallSucceedWithoutValues) {
  for (ULONG context : {1u, 4u, 5u})
    EXPECT_EQ(Call(0, context, 0, nullptr), S_OK) << context;
  EXPECT_EQ(profile.setPropsCalls, 0u) << "no values, nothing written";
}

TEST_F(ServiceEntryTest, CreationWithoutUserInterfaceConverts) {
  abktest::DefaultBookHome home;
  home.WriteCsvBook("display name,fax\nAnne,0101\n");
  EXPECT_EQ(Call(0, 2, 0, nullptr), S_OK);
  EXPECT_TRUE(fs::exists(fs::path(home.Folder()) / "default.csv.imported"))
      << "the store library converted the CSV book";
}

} // namespace
