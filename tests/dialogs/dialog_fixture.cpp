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
  // The session's dialogs load their templates and strings through the instance handle it was opened with.
  addrBook->Release();
  addrBook = nullptr;
  ASSERT_EQ(ABProviderOpen(resources, &support, &profile, 0, 0, 0, 0, HostFreeBuffer, &addrBook), S_OK);
  session = static_cast<abk::AddressBookSession*>(addrBook);
  driver = std::make_unique<host::DialogDriver>(resources);
  help = std::make_unique<HelpCapture>();
}

std::string ContainerTemplate(abk::AddressBookSession* session, ULONG tag) {
  ULONG type = 0;
  LPUNKNOWN root = nullptr;
  EXPECT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &root), S_OK);
  if (!root) return {};
  SizedSPropTagArray(1, wanted) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  EXPECT_EQ(static_cast<LPMAPIPROP>(root)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values),
            S_OK);
  root->Release();
  if (!values) return {};
  std::string bytes(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  return bytes;
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
