// The store library's conversion export, and the help file's path beside the provider module under
// the names and folders a user may give it.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/provider_module.h"
#include "store/conversion.h"
#include "support/object_helpers.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const char kProvider[] = "ABKPRV01.DLL";
const char kStore[] = "BKCONV.DLL";
const char kPartial[] = "libpartial_store_no_setprops.dll";
#else
const char kProvider[] = "libabkprv01.so";
const char kStore[] = "libbkconv.so";
const char kPartial[] = "libpartial_store_no_setprops.so";
#endif

std::string Help(HMODULE module) {
  char buffer[MAX_PATH];
  memset(buffer, 'x', sizeof buffer);
  abk::HelpFilePath(module, buffer);
  return buffer;
}

// A copy of the provider module (and, on Linux, of its resource file) under another folder and name.
class HelpPathTest : public ::testing::Test {
protected:
  void TearDown() override {
    for (HMODULE module : loaded)
      FreeLibrary(module);
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  HMODULE LoadCopy(const std::string& folder, const std::string& name) {
    fs::path dir = root / folder;
    fs::create_directories(dir);
    fs::copy_file(fs::path(host::ProgramFolder()) / kProvider, dir / name, fs::copy_options::overwrite_existing);
#ifndef _WIN32
    std::string stem = name.substr(0, name.find('.'));
    fs::copy_file(fs::path(host::ProgramFolder()) / "ABKPRV01.res", dir / (stem + ".res"),
                  fs::copy_options::overwrite_existing);
#endif
    HMODULE module = LoadLibraryA((dir / name).string().c_str());
    EXPECT_NE(module, nullptr) << (dir / name);
    loaded.push_back(module);
    return module;
  }
  std::string Expected(const std::string& folder, const std::string& file) {
    return ((root / folder).string() + (fs::path::preferred_separator == '\\' ? "\\" : "/")) + file;
  }
  fs::path root = fs::path(abktest::NewBookPath() + ".d");
  std::vector<HMODULE> loaded;
};

TEST_F(HelpPathTest, TheHelpFileSitsBesideTheModule) {
  EXPECT_EQ(Help(LoadCopy("Drivers", "ABKPRV01.DLL")), Expected("Drivers", "ABKHLP01.hlp"));
}

TEST_F(HelpPathTest, TheModuleNameMatchesWithoutRegardToCase) {
  EXPECT_EQ(Help(LoadCopy("drivers", "abkprv01.dll")), Expected("drivers", "ABKHLP01.hlp"));
}

TEST_F(HelpPathTest, OnlyARemainderEqualToTheWholeNameMatches) {
  EXPECT_EQ(Help(LoadCopy("ABKPRV01.DLL", "ABKPRV01.DLL")), Expected("ABKPRV01.DLL", "ABKHLP01.hlp"));
  EXPECT_EQ(Help(LoadCopy("Old", "OLDABKPRV01.DLL")), Expected("Old", "OLDABKHLP01.hlp"));
}

TEST(ConversionTest, ALibraryWithoutTheExportConvertsNothing) {
  std::string partial = host::ProgramFolder() + kPartial;
  EXPECT_EQ(abk::ConvertAddressBook(partial.c_str()), 0u);
  EXPECT_EQ(abk::ConvertAddressBook("no-such-folder/BKCONV.DLL"), 0u);
}

TEST(ConversionTest, TheStoreLibrarysConversionRunsOnceAndItsAnswerComesBack) {
  // The store library converts a CSV book found beside the user's default book.
  abktest::DefaultBookHome home;
  home.WriteCsvBook("display name,fax\nAnne,0101\nBruno,0202\n");
  std::string store = host::ProgramFolder() + kStore;
  EXPECT_EQ(abk::ConvertAddressBook(store.c_str()), 2u) << "the number of entries the library converted";
  EXPECT_EQ(abk::ConvertAddressBook(store.c_str()), 0u) << "nothing left to convert";
}

} // namespace
