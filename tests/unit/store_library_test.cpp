// Finding and binding the store library, and the meaning of its status words.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/store_library.h"
#ifndef _WIN32
#include <abkplatform.h>

using namespace abk;
#endif

namespace {

TEST(StoreStatusTest, MapsEachStatusWord) {
  EXPECT_EQ(abk::MapStoreStatus(1), E_INVALIDARG);
  EXPECT_EQ(abk::MapStoreStatus(2), MAPI_E_DISK_ERROR);
  EXPECT_EQ(abk::MapStoreStatus(3), MAPI_E_DISK_ERROR);
  EXPECT_EQ(abk::MapStoreStatus(4), MAPI_E_NOT_FOUND);
  EXPECT_EQ(abk::MapStoreStatus(5), MAPI_E_NOT_FOUND);
  EXPECT_EQ(abk::MapStoreStatus(6), MAPI_E_NOT_ENOUGH_DISK);
  // The words only this project's library sends: a damaged book, and one held too long elsewhere.
  EXPECT_EQ(abk::MapStoreStatus(7), MAPI_E_CORRUPT_DATA);
  EXPECT_EQ(abk::MapStoreStatus(8), MAPI_E_BUSY);
}

TEST(StoreStatusTest, AnUnknownStatusAfterAFailureIsNeverSuccess) {
  for (ULONG status : {0u, 9u, 0xFFFFFFFFu}) {
    EXPECT_EQ(abk::MapStoreStatus(status), MAPI_E_CALL_FAILED) << status;
  }
}

TEST(StoreLibraryTest, BindingAMissingLibraryFailsAsNoMemory) {
  abk::StoreLibrary* library = abk::StoreLibrary::Create();
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->Bind("no-such-folder\\BKCONV.DLL", "book.adr"), E_OUTOFMEMORY);
  abk::StoreLibrary::Destroy(library);
}

#ifndef _WIN32
// The version knobs of the Linux platform layer stand in for the Windows releases.
class LocateTest : public ::testing::Test {
protected:
  void SetUp() override { AbkPlatformSetPrinterDriverDirectory("/spool/drivers/w32x86"); }
  void TearDown() override {
    AbkPlatformResetVersion();
    AbkPlatformSetPrinterDriverDirectory(nullptr);
  }
  std::string Locate() {
    char buffer[kStorePathSize] = {};
    LocateStoreLibrary(buffer);
    return buffer;
  }
};

TEST_F(LocateTest, PicksTheDriverSubfolderOfTheWindowsVersion) {
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 4, 0, 1381);
  EXPECT_EQ(Locate(), "/spool/drivers/w32x86\\2\\BKCONV.DLL");
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600);
  EXPECT_EQ(Locate(), "/spool/drivers/w32x86\\3\\BKCONV.DLL");
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 5, 0, 2195);
  EXPECT_EQ(Locate(), "/spool/drivers/w32x86\\3\\BKCONV.DLL");
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 6, 0, 6000);
  EXPECT_EQ(Locate(), "/spool/drivers/w32x86\\BKCONV.DLL");
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222);
  EXPECT_EQ(Locate(), "/spool/drivers/w32x86\\BKCONV.DLL");
}

TEST_F(LocateTest, NeverWritesPastTheBuffer) {
  std::string longFolder(255, 'd');
  AbkPlatformSetPrinterDriverDirectory(longFolder.c_str());
  AbkPlatformSetVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600);
  char buffer[kStorePathSize + 8];
  memset(buffer, 0, kStorePathSize);
  memset(buffer + kStorePathSize, 0x5A, 8);
  LocateStoreLibrary(buffer);
  EXPECT_EQ(strlen(buffer), kStorePathSize - 1);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(buffer[kStorePathSize + i], 0x5A);
}
#endif

} // namespace
