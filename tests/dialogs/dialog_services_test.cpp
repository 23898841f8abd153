// The services the dialogs share: message boxes from the string table, focus, trimming, reading a
// container's rows and context help.
#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/dialog_common.h"
#include "dialogs/dialog_fixture.h"
#include "provider/heap.h"
#include "provider/module_state.h"
#include "resources/resource.h"

namespace abktest {
namespace {

// Frees a row set in the MAPI manner: each row's values, then the set.
void FreeRows(LPSRowSet rows) {
  for (ULONG r = 0; r < rows->cRows; ++r)
    abk::FreeBuffer(rows->aRow[r].lpProps);
  abk::FreeBuffer(rows);
}

std::string Trimmed(std::string text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  EXPECT_EQ(abk::TrimSpaces(buffer.data()), buffer.data());
  return buffer.data();
}

TEST(TrimSpacesTest, RemovesOuterWhiteSpaceOnly) {
  EXPECT_EQ(Trimmed("  abc \t"), "abc");
  EXPECT_EQ(Trimmed("\r\n\v\fa b\tc \r\n"), "a b\tc");
  EXPECT_EQ(Trimmed("   "), "");
  EXPECT_EQ(Trimmed(""), "");
  // Bytes above 0x7F are letters (a non-breaking space in Windows-1252 included).
  EXPECT_EQ(Trimmed(" \xA0\xE9t\xE9\xA0 "), "\xA0\xE9t\xE9\xA0");
  EXPECT_EQ(abk::TrimSpaces(nullptr), nullptr);
}

// A dialog of the provider's own templates run with a procedure of the test, for services that need a
// live dialog.
struct HostedDialog {
  HINSTANCE instance;
  std::function<void(HWND)> onInit;
};

INT_PTR CALLBACK HostedProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* hosted = reinterpret_cast<HostedDialog*>(lParam);
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  if (!hosted->onInit) return TRUE;
  // The initialisation chose the focus itself.
  hosted->onInit(dialog);
  return FALSE;
}

class DialogServicesTest : public DialogTest {
protected:
  void RunHosted(int templateId, host::DialogDriver::Script script, std::function<void(HWND)> onInit = nullptr) {
    HostedDialog hosted = {resources, std::move(onInit)};
    driver->OnDialog(templateId, std::move(script));
    DialogBoxParamA(resources, MAKEINTRESOURCEA(templateId), nullptr, HostedProc, reinterpret_cast<LPARAM>(&hosted));
  }

  void TearDown() override {
    SetHelpPath(std::nullopt);
    DialogTest::TearDown();
  }
};

TEST_F(DialogServicesTest, StringMessagesShowTheTableTextsOrNothing) {
  driver->AnswerMessageBox(IDOK);
  EXPECT_EQ(abk::ShowStringMessage(nullptr, resources, IDS_FAX_MISSING, IDS_MESSAGE_CAPTION, MB_OK | MB_ICONSTOP),
            IDOK);
  ASSERT_EQ(driver->Messages().size(), 1u);
  EXPECT_EQ(driver->Messages()[0].text, "Entrez le num\xE9ro de t\xE9l\xE9"
                                        "copie.");
  EXPECT_EQ(driver->Messages()[0].caption, "Pilote de t\xE9l\xE9"
                                           "copie");
  EXPECT_EQ(driver->Messages()[0].icon, static_cast<UINT>(MB_ICONSTOP));

  // A missing text or caption shows nothing.
  EXPECT_EQ(abk::ShowStringMessage(nullptr, resources, 9999, IDS_MESSAGE_CAPTION, MB_OK), -1);
  EXPECT_EQ(abk::ShowStringMessage(nullptr, resources, IDS_FAX_MISSING, 9999, MB_OK), -1);
  EXPECT_EQ(driver->Messages().size(), 1u);
}

TEST_F(DialogServicesTest, StringMessagesReportTheButtonAndNeverShowWithoutMemory) {
  driver->AnswerMessageBox(IDCANCEL);
  EXPECT_EQ(abk::ShowStringMessage(nullptr, resources, IDS_GROUP_NO_NAME, IDS_MESSAGE_CAPTION,
                                   MB_OKCANCEL | MB_ICONINFORMATION),
            IDCANCEL);
  ASSERT_EQ(driver->Messages().size(), 1u);
  EXPECT_EQ(driver->Messages()[0].icon, static_cast<UINT>(MB_ICONINFORMATION));

  for (int fail = 1; fail <= 2; ++fail) {
    static int countdown;
    countdown = fail;
    abk::SetHeapFailureHook([](size_t) { return --countdown == 0; });
    EXPECT_EQ(abk::ShowStringMessage(nullptr, resources, IDS_GROUP_NO_NAME, IDS_MESSAGE_CAPTION, MB_OK), -1);
    abk::SetHeapFailureHook(nullptr);
  }
  EXPECT_EQ(driver->Messages().size(), 1u);
}

TEST_F(DialogServicesTest, SelectAndFocusSelectsTheWholeText) {
  RunHosted(
      IDD_PERSON,
      [](host::DialogView& dialog) {
        DWORD start = 1, end = 0;
        dialog.Selection(IDC_COMPANY, &start, &end);
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 7u);
        EXPECT_EQ(dialog.FocusedId(), IDC_COMPANY);
        dialog.Click(IDCANCEL);
      },
      [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_COMPANY, "Soci\xE9t\xE9");
        abk::SelectAndFocus(dialog, IDC_COMPANY);
      });
}

TEST_F(DialogServicesTest, HelpRequestsUseTheMapAndTheRegisteredFile) {
  SetHelpPath("C:\\Aide\\ABKHLP01.hlp");
  RunHosted(IDD_PERSON, [this](host::DialogView& dialog) {
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_SECONDARY_NUMBER;
    info.hItemHandle = dialog.Control(IDC_SECONDARY_NUMBER);
    EXPECT_TRUE(abk::ShowDialogHelp(dialog.Handle(), resources, WM_HELP, 0, reinterpret_cast<LPARAM>(&info),
                                    abk::PersonHelpIds));
    EXPECT_TRUE(abk::ShowDialogHelp(dialog.Handle(), resources, WM_CONTEXTMENU,
                                    reinterpret_cast<WPARAM>(dialog.Control(IDC_PRIMARY_NUMBER)), -1,
                                    abk::PersonHelpIds));
    EXPECT_TRUE(abk::ShowDialogHelp(dialog.Handle(), resources, WM_COMMAND, IDC_PERSON_HELP, 0, abk::PersonHelpIds));
    dialog.Click(IDCANCEL);
  });
  auto requests = help->Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const HelpRequest& request : requests)
    EXPECT_EQ(request.file, std::optional<std::string>("C:\\Aide\\ABKHLP01.hlp"));
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_WM_HELP));
  EXPECT_EQ(requests[0].data, reinterpret_cast<ULONG_PTR>(abk::PersonHelpIds));
  EXPECT_EQ(requests[1].command, static_cast<UINT>(HELP_CONTEXTMENU));
  EXPECT_EQ(requests[2].command, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(requests[2].data, 0u);
  EXPECT_NE(requests[0].window, requests[2].window); // the field, then the dialog
}

// The context a map gives a control, 0 when the map does not list it.
DWORD ContextOf(const DWORD* map, int control) {
  for (; map[0] || map[1]; map += 2) {
    if (map[0] == static_cast<DWORD>(control)) return map[1];
  }
  return 0;
}

TEST(HelpMapsTest, EveryMapNamesTheContextsOfItsDialog) {
  EXPECT_EQ(ContextOf(abk::PersonHelpIds, IDC_SECONDARY_NUMBER), 1031u);
  EXPECT_EQ(ContextOf(abk::PersonHelpIds, IDC_PRIMARY_NUMBER), 1031u);
  EXPECT_EQ(ContextOf(abk::PersonHelpIds, IDC_PREFIX), 1035u);
  EXPECT_EQ(ContextOf(abk::PersonHelpIds, IDC_FAX_NUMBER_LABEL), 1034u);
  EXPECT_EQ(ContextOf(abk::PersonHelpIds, IDC_PERSON_HELP), 2049u);
  EXPECT_EQ(ContextOf(abk::GroupHelpIds, IDC_SHOW_GROUPS), 514u);
  EXPECT_EQ(ContextOf(abk::GroupHelpIds, IDC_KEYWORD), 1283u);
  EXPECT_EQ(ContextOf(abk::GroupHelpIds, IDC_REMOVE_FROM_GROUP), 1286u);
  EXPECT_EQ(ContextOf(abk::ConfigHelpIds, IDC_SERVICE_NAME), 3841u);
  EXPECT_EQ(ContextOf(abk::ConfigHelpIds, IDC_SERVICE_NAME_LABEL), 3841u);
  // 26 pairs for the person dialog, 15 for the group dialog, each with its end pair.
  auto pairs = [](const DWORD* map) {
    int count = 1;
    for (; map[0] || map[1]; map += 2)
      ++count;
    return count;
  };
  EXPECT_EQ(pairs(abk::PersonHelpIds), 27);
  EXPECT_EQ(pairs(abk::GroupHelpIds), 15);
  EXPECT_EQ(pairs(abk::ConfigHelpIds), 3);
}

TEST_F(DialogServicesTest, WithoutTheRegistryValueHelpStillAsksForANullFile) {
  SetHelpPath(std::nullopt);
  EXPECT_EQ(abk::GetHelpFilePath(resources), nullptr);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kHelpKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(abk::GetHelpFilePath(resources), nullptr); // the key without the value

  RunHosted(IDD_GROUP, [this](host::DialogView& dialog) {
    abk::ShowDialogHelp(dialog.Handle(), resources, WM_CONTEXTMENU,
                        reinterpret_cast<WPARAM>(dialog.Control(IDC_SHOW_GROUPS)), -1, abk::GroupHelpIds);
    dialog.Click(IDCANCEL);
  });
  auto requests = help->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].file.has_value());
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_CONTEXTMENU));
  EXPECT_EQ(requests[0].data, reinterpret_cast<ULONG_PTR>(abk::GroupHelpIds));
}

TEST_F(DialogServicesTest, TheHelpPathIsReadWholeOrNotAtAll) {
  std::string path = "C:\\Programmes\\T\xE9l\xE9"
                     "copie\\ABKHLP01.hlp";
  SetHelpPath(path);
  char* found = abk::GetHelpFilePath(resources);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(std::string(found), path);
  abk::HeapFree(found);

  SetHelpPath(std::string(259, 'a')); // 260 bytes with its terminator: fits
  found = abk::GetHelpFilePath(resources);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(std::strlen(found), 259u);
  abk::HeapFree(found);

  SetHelpPath(std::string(300, 'a'));
  EXPECT_EQ(abk::GetHelpFilePath(resources), nullptr);
}

TEST_F(DialogServicesTest, ContainerRowsOfAnEmptyBookLeaveTheRowSetAlone) {
  LPSRowSet rows = nullptr;
  EXPECT_TRUE(abk::ReadContainerRows(session, 0, nullptr, 0, &rows));
  EXPECT_EQ(rows, nullptr);
}

TEST_F(DialogServicesTest, ContainerRowsCarryTheTenDialogColumns) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405"), Field(0x110, "0607")});
  ULONG group = store.NewGroup(book, {Field(1, "Clients"), Member(person, 3)});

  LPSRowSet rows = nullptr;
  ASSERT_TRUE(abk::ReadContainerRows(session, 0, nullptr, 0, &rows));
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->cRows, 2u);
  for (ULONG r = 0; r < rows->cRows; ++r) {
    ASSERT_EQ(rows->aRow[r].cValues, 10u);
    EXPECT_EQ(rows->aRow[r].lpProps[0].ulPropTag, PR_DISPLAY_NAME);
    EXPECT_EQ(rows->aRow[r].lpProps[1].ulPropTag, PR_ENTRYID);
    EXPECT_EQ(rows->aRow[r].lpProps[2].ulPropTag, PR_OBJECT_TYPE);
  }
  FreeRows(rows);

  // A group's rows are its members; a person has none.
  std::string groupId = IdInRoot(group);
  rows = nullptr;
  ASSERT_TRUE(abk::ReadContainerRows(session, static_cast<ULONG>(groupId.size()),
                                     reinterpret_cast<LPENTRYID>(groupId.data()), 0, &rows));
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->cRows, 1u);
  EXPECT_STREQ(rows->aRow[0].lpProps[0].Value.lpszA, "Jean Martin");
  FreeRows(rows);

  std::string personId = IdInRoot(person);
  rows = nullptr;
  EXPECT_FALSE(abk::ReadContainerRows(session, static_cast<ULONG>(personId.size()),
                                      reinterpret_cast<LPENTRYID>(personId.data()), 0, &rows));
  EXPECT_EQ(rows, nullptr);
  std::string shortId = personId.substr(0, 12);
  EXPECT_FALSE(abk::ReadContainerRows(session, static_cast<ULONG>(shortId.size()),
                                      reinterpret_cast<LPENTRYID>(shortId.data()), 0, &rows));
}

} // namespace
} // namespace abktest
