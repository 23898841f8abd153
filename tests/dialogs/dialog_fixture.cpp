// The dialog test fixture.
#include "dialogs/dialog_fixture.h"

#ifdef _WIN32
#include <commctrl.h>
#endif

#include <cstdlib>
#include <filesystem>

namespace abktest {

void SetHelpPath(const std::optional<std::string>& path) {
  if (!path) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kHelpKey);
    return;
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kHelpKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, kHelpValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path->c_str()),
                           static_cast<DWORD>(path->size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

HINSTANCE ResourceModule() {
  static HINSTANCE module = [] {
#ifdef _WIN32
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
#else
    // The registry of these tests is a file of their own.
    std::string file = (std::filesystem::temp_directory_path() / "abk-dialog-tests-registry").string();
    std::filesystem::remove(file);
    setenv("ABK_REGISTRY_FILE", file.c_str(), 1);
#endif
    return static_cast<HINSTANCE>(LoadLibraryA(ProviderModulePath().c_str()));
  }();
  return module;
}

void DialogTest::SetUp() {
  BookTest::SetUp();
  resources = ResourceModule();
  ASSERT_NE(resources, nullptr) << ProviderModulePath();
  driver = std::make_unique<host::DialogDriver>(resources);
  help = std::make_unique<HelpCapture>();
}

void DialogTest::TearDown() {
  ExpectDriverDone();
  help.reset();
  driver.reset();
  BookTest::TearDown();
}

void DialogTest::ExpectDriverDone() {
  if (!driver) return;
  for (const std::string& failure : driver->Failures())
    ADD_FAILURE() << failure;
  EXPECT_EQ(driver->ScriptsLeft(), 0) << "dialog scripts that never ran";
}

} // namespace abktest
