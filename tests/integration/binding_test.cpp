// Binding the store library when a session opens: where it is looked for, and what happens when it is
// missing or incomplete. The folders are arranged through the Linux platform layer's driver-directory
// setting; under Wine the spooler's own directory is used and only its normal case is exercised.
#include <filesystem>
#include <fstream>

#include "support/provider_fixture.h"
#ifndef _WIN32
#include <abkplatform.h>
#endif

namespace fs = std::filesystem;

namespace {

class BindingTest : public abktest::ProviderTest {
protected:
#ifndef _WIN32
  void SetUp() override {
    ProviderTest::SetUp();
    drivers = fs::temp_directory_path() /
              ("abk-binding-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(drivers);
    fs::create_directories(drivers);
    AbkPlatformSetPrinterDriverDirectory(drivers.string().c_str());
  }
  void TearDown() override {
    ProviderTest::TearDown();
    AbkPlatformSetPrinterDriverDirectory(nullptr);
    AbkPlatformResetVersion();
    fs::remove_all(drivers);
  }
  // Places a built library in the driver folder (or a subfolder) under the store library's name.
  void Place(const std::string& builtName, const std::string& subfolder = "") {
    fs::path target = drivers / subfolder;
    fs::create_directories(target);
    fs::copy_file(fs::path(host::ProgramFolder()) / builtName, target / "BKCONV.DLL",
                  fs::copy_options::overwrite_existing);
  }
  fs::path drivers;
#endif
};

TEST_F(BindingTest, FindsTheLibraryInTheDriverDirectory) {
#ifndef _WIN32
  Place("libbkconv.so");
#endif
  ASSERT_EQ(Open(), S_OK);
}

#ifndef _WIN32
TEST_F(BindingTest, AMissingLibraryFailsTheOpenAsNoMemory) {
  EXPECT_EQ(Open(), E_OUTOFMEMORY);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(support.registerCalls, 0u);
  EXPECT_EQ(support.RefCount(), 1) << "a failed open keeps no reference";
}

TEST_F(BindingTest, ALibraryMissingAnExportCannotBeBound) {
  Place("libpartial_store_no_setprops.so");
  EXPECT_EQ(Open(), E_OUTOFMEMORY);
  EXPECT_EQ(session, nullptr);
}

TEST_F(BindingTest, ALibraryWithoutDeletePropsStillBinds) {
  Place("libpartial_store_no_deleteprops.so");
  EXPECT_EQ(Open(), S_OK);
}

TEST_F(BindingTest, LooksInTheSubfolderOfTheWindowsVersion) {
  Place("libbkconv.so", "3");
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 6, 1, 7601);
  EXPECT_EQ(Open(), E_OUTOFMEMORY) << "NT 6 looks directly in the driver directory";
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600);
  ASSERT_EQ(Open(), S_OK) << "NT 5.1 looks in \\3";
  session->Release();
  session = nullptr;
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 4, 0, 1381);
  EXPECT_EQ(Open(), E_OUTOFMEMORY) << "NT 4 looks in \\2";
  Place("libbkconv.so", "2");
  EXPECT_EQ(Open(), S_OK);
}
#endif

} // namespace
