// The configuration dialog through ABServiceEntry, driven as a user would: the current name shown, the
// trimmed name and an empty path written on OK, refusals and failures told, Cancel, and context help.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/dialog_driver.h"
#include "resources/resource.h"
#include "support/help_capture.h"
#include "support/object_helpers.h"
#include "support/provider_fixture.h"

namespace {

constexpr char kCaption[] = "Ajouter/Modifier le carnet d'adresse du pilote de t\xE9l\xE9"
                            "copie Orvex";

class ServiceConfigTest : public abktest::ProviderTest {
protected:
  void SetUp() override {
    ProviderTest::SetUp();
    driver = std::make_unique<host::DialogDriver>(module.Instance());
    help = std::make_unique<abktest::HelpCapture>(module.Instance());
    profile.SetString(PR_AB_FILE_PATH, "C:\\ancien\\carnet.adr");
    profile.SetString(PR_DISPLAY_NAME, "Carnet de t\xE9l\xE9"
                                       "copie");
  }
  void TearDown() override {
    for (const std::string& failure : driver->Failures())
      ADD_FAILURE() << failure;
    EXPECT_EQ(driver->ScriptsLeft(), 0) << "dialog scripts that never ran";
    help.reset();
    driver.reset();
    ProviderTest::TearDown();
  }

  HRESULT Call(ULONG flags, ULONG context) {
    return module.serviceEntry(module.Instance(), nullptr, flags, context, 0, nullptr, &profile, &support);
  }

  std::string Profile(ULONG tag) {
    std::string value = "(none)";
    profile.GetString(tag, &value);
    return value;
  }

  std::unique_ptr<host::DialogDriver> driver;
  std::unique_ptr<abktest::HelpCapture> help;
};

TEST_F(ServiceConfigTest, ConfigureShowsTheNameAndOkWritesItTrimmedWithAnEmptyPath) {
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), kCaption);
    EXPECT_EQ(dialog.Text(IDC_SERVICE_NAME), "Carnet de t\xE9l\xE9"
                                             "copie");
    dialog.Type(IDC_SERVICE_NAME, "  Fax du si\xE8ge \t");
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), S_OK);
  EXPECT_EQ(driver->DialogsRun(), 1);
  EXPECT_EQ(Profile(PR_DISPLAY_NAME), "Fax du si\xE8ge");
  EXPECT_EQ(Profile(PR_AB_FILE_PATH), "");
  EXPECT_EQ(profile.saveChangesCalls, 1u);
  EXPECT_TRUE(driver->Messages().empty());
}

TEST_F(ServiceConfigTest, TheNameFieldTakesSixtyFourCharacters) {
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    dialog.Type(IDC_SERVICE_NAME, std::string(70, 'n'));
    EXPECT_EQ(dialog.Text(IDC_SERVICE_NAME), std::string(64, 'n'));
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), S_OK);
  EXPECT_EQ(Profile(PR_DISPLAY_NAME), std::string(64, 'n'));
}

TEST_F(ServiceConfigTest, ABlankNameIsRefusedAndTheProfileKept) {
  profile.Remove(PR_DISPLAY_NAME);
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Text(IDC_SERVICE_NAME), "");
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.IsOpen());
    dialog.Type(IDC_SERVICE_NAME, "   ");
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(dialog.FocusedId(), IDC_SERVICE_NAME);
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), MAPI_E_USER_CANCEL);
  ASSERT_EQ(driver->Messages().size(), 2u);
  for (const host::ShownMessage& shown : driver->Messages()) {
    EXPECT_EQ(shown.text, "Aucun nom sp\xE9"
                          "cifi\xE9.");
    EXPECT_EQ(shown.caption, kCaption);
    EXPECT_EQ(shown.icon, static_cast<UINT>(MB_ICONINFORMATION));
  }
  EXPECT_EQ(profile.setPropsCalls, 0u);
  EXPECT_EQ(Profile(PR_AB_FILE_PATH), "C:\\ancien\\carnet.adr");
}

TEST_F(ServiceConfigTest, AFailedSaveIsToldAndTheDialogStaysOpen) {
  profile.saveChangesResult = MAPI_E_NO_ACCESS;
  driver->OnDialog(IDD_SERVICE_CONFIG, [this](host::DialogView& dialog) {
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.IsOpen());
    profile.saveChangesResult = S_OK;
    profile.setPropsResult = MAPI_E_NOT_ENOUGH_MEMORY;
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.IsOpen());
    profile.setPropsResult = S_OK;
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), S_OK);
  ASSERT_EQ(driver->Messages().size(), 2u);
  for (const host::ShownMessage& shown : driver->Messages()) {
    EXPECT_EQ(shown.text, "Impossible d'enregistrer le carnet d'adresses.");
    EXPECT_EQ(shown.caption, kCaption);
    EXPECT_EQ(shown.icon, static_cast<UINT>(MB_ICONSTOP));
  }
  EXPECT_EQ(Profile(PR_AB_FILE_PATH), "");
}

TEST_F(ServiceConfigTest, CancelChangesNothing) {
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    dialog.Type(IDC_SERVICE_NAME, "Autre nom");
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Call(0x10, MSG_SERVICE_CONFIGURE), MAPI_E_USER_CANCEL);
  EXPECT_EQ(Profile(PR_DISPLAY_NAME), "Carnet de t\xE9l\xE9"
                                      "copie");
  EXPECT_EQ(Profile(PR_AB_FILE_PATH), "C:\\ancien\\carnet.adr");
  EXPECT_EQ(profile.setPropsCalls, 0u);
}

TEST_F(ServiceConfigTest, CreationShowsTheDialogOnlyWhenTheFlagsAllowIt) {
  abktest::DefaultBookHome home;
  EXPECT_EQ(Call(0, MSG_SERVICE_CREATE), S_OK); // no dialog: none is scripted
  for (ULONG flags : {0x2u, 0x10u}) {
    driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) { dialog.Click(IDOK); });
    EXPECT_EQ(Call(flags, MSG_SERVICE_CREATE), S_OK) << flags;
  }
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) { dialog.Click(IDCANCEL); });
  EXPECT_EQ(Call(0x2, MSG_SERVICE_CREATE), MAPI_E_USER_CANCEL);
  EXPECT_EQ(driver->DialogsRun(), 3);
}

TEST_F(ServiceConfigTest, ContextHelpPointsAtTheHelpFileBesideTheModule) {
  driver->OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    dialog.PressF1(IDC_SERVICE_NAME);
    dialog.ContextHelp(IDC_SERVICE_NAME_LABEL);
    HELPINFO menuItem = {};
    menuItem.cbSize = sizeof menuItem;
    menuItem.iContextType = HELPINFO_MENUITEM;
    SendMessageA(dialog.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&menuItem));
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), MAPI_E_USER_CANCEL);
  auto requests = help->Requests();
  ASSERT_EQ(requests.size(), 2u) << "a menu item's help request is not answered";
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_WM_HELP));
  EXPECT_EQ(requests[1].command, static_cast<UINT>(HELP_CONTEXTMENU));
  ASSERT_TRUE(requests[0].file.has_value());
  std::string file = *requests[0].file;
  EXPECT_EQ(file.substr(file.size() - 12), "ABKHLP01.hlp");
  EXPECT_EQ(requests[1].file, requests[0].file);
  // Both controls lead to context 3841.
  const DWORD* map = reinterpret_cast<const DWORD*>(requests[0].data);
  EXPECT_EQ(map[0], static_cast<DWORD>(IDC_SERVICE_NAME_LABEL));
  EXPECT_EQ(map[1], 3841u);
  EXPECT_EQ(map[3], 3841u);
}

// Under Wine the test run photographs the dialog for the documentation (ABK_SCREENSHOT_DIR).
TEST_F(ServiceConfigTest, Screenshot) {
  const char* folder = std::getenv("ABK_SCREENSHOT_DIR");
  if (!folder || !*folder) GTEST_SKIP() << "ABK_SCREENSHOT_DIR is not set";
  driver->OnDialog(IDD_SERVICE_CONFIG, [folder](host::DialogView& dialog) {
    EXPECT_EQ(dialog.SaveScreenshot(std::string(folder) + "/service-config.bmp"), "");
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), MAPI_E_USER_CANCEL);
}

// Run with a Japanese locale under Wine (code page 932): the name field holds 64 characters, but a name
// must stay within 64 bytes.
TEST_F(ServiceConfigTest, DoubleByteNamesAreCutBeforeTheCaret) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the double-byte code page 932, not " << GetACP();
  const std::string kana = "\x82\xA0"; // one character, two bytes
  std::string inserted;
  for (int i = 0; i < 20; ++i)
    inserted += kana;
  driver->OnDialog(IDD_SERVICE_CONFIG, [&](host::DialogView& dialog) {
    dialog.Type(IDC_SERVICE_NAME, std::string(30, 'a'));
    HWND edit = dialog.Control(IDC_SERVICE_NAME);
    SetFocus(edit);
    // 20 double-byte characters typed after the 10th letter: 70 bytes, 6 too many.
    SendMessageA(edit, EM_SETSEL, 10, 10);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(inserted.c_str()));
    std::string expected = std::string(10, 'a');
    for (int i = 0; i < 17; ++i)
      expected += kana;
    expected += std::string(20, 'a');
    EXPECT_EQ(dialog.Text(IDC_SERVICE_NAME), expected);
    EXPECT_EQ(dialog.Text(IDC_SERVICE_NAME).size(), 64u);
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Call(0, MSG_SERVICE_CONFIGURE), S_OK);
  EXPECT_EQ(Profile(PR_DISPLAY_NAME).size(), 64u);
}

} // namespace
