// The person dialog for a new person: the name choices and limits, the recipient name rules, the fax
// number rule, Cancel and help, each checked against what the book holds afterwards.
#include <gtest/gtest.h>

#include "dialogs/person_dialog_fixture.h"
#include "props/entry_props.h"
#include "resources/resource.h"
#include "support/object_helpers.h"

namespace abktest {
namespace {

using host::DialogView;

TEST_F(PersonDialogTest, ComposesTheRecipientNameFromTheNamePartsWhenNoneIsTyped) {
  ASSERT_EQ(AddPerson([this](DialogView& dialog) {
              EXPECT_EQ(dialog.Caption(), "Add Person");
              EXPECT_EQ(dialog.Items(IDC_PREFIX), (std::vector<std::string>{"Dr", "M.", "Mlle", "Mme"}));
              EXPECT_EQ(dialog.Items(IDC_SUFFIX), (std::vector<std::string>{"Dr", "Fils", Text(IDS_SUFFIX_PERE)}));
              EXPECT_TRUE(GetWindowLongA(dialog.Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
              dialog.SelectItem(IDC_PREFIX, 0);
              dialog.Type(IDC_FIRST_NAME, "X");
              dialog.SelectItem(IDC_SUFFIX, 1);
              dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
              dialog.Click(IDOK);
            }),
            IDOK);
  ULONG person = NewRecordId();
  ASSERT_NE(person, 0u);
  EXPECT_EQ(newIdSize, 40u);
  EXPECT_EQ(StoredField(person, kDisplayNameField), "Dr X Fils");
  EXPECT_EQ(StoredField(person, kPrefixField), "Dr");
  EXPECT_EQ(StoredField(person, kSuffixField), "Fils");
  EXPECT_EQ(StoredField(person, kPrimaryNumberField), "0102030405");

  // The identifier handed back opens the new person.
  ULONG type = 0;
  LPUNKNOWN user = nullptr;
  ASSERT_EQ(session->OpenEntry(newIdSize, newId, nullptr, 0, &type, &user), S_OK);
  EXPECT_EQ(type, static_cast<ULONG>(MAPI_MAILUSER));
  EXPECT_EQ(ReadString(static_cast<LPMAPIPROP>(user), PR_DISPLAY_NAME), "Dr X Fils");
  user->Release();

  // A last name alone is the name, with no spaces; typing stops at each field's limit.
  ASSERT_EQ(AddPerson([](DialogView& dialog) {
              const std::pair<int, size_t> limits[] = {
                  {IDC_FIRST_NAME, 20},
                  {IDC_LAST_NAME, 30},
                  {IDC_SUFFIX, 16},
                  {IDC_PREFIX, 16},
                  {IDC_RECIPIENT_NAME, 85},
                  {IDC_COMPANY, 40},
                  {IDC_DEPARTMENT, 40},
                  {IDC_PRIMARY_NUMBER, 45},
                  {IDC_PRIMARY_DESCRIPTION, 30},
                  {IDC_SECONDARY_NUMBER, 45},
                  {IDC_SECONDARY_DESCRIPTION, 30},
                  {IDC_KEYWORD, 255},
              };
              for (const auto& [control, limit] : limits) {
                dialog.Type(control, std::string(limit + 5, 'x'));
                EXPECT_EQ(dialog.Text(control), std::string(limit, 'x')) << "control " << control;
                dialog.Type(control, "");
              }
              dialog.Type(IDC_LAST_NAME, "Martin");
              dialog.Type(IDC_SECONDARY_NUMBER, "0607080910");
              dialog.Click(IDOK);
            }),
            IDOK);
  EXPECT_EQ(StoredField(NewRecordId(), kDisplayNameField), "Martin");
  EXPECT_EQ(StoredField(NewRecordId(), kSecondaryNumberField), "0607080910");

  // A typed name is kept as typed, even one of spaces only.
  ASSERT_EQ(AddPerson([](DialogView& dialog) {
              dialog.Type(IDC_LAST_NAME, "Martin");
              TypeValidPerson(dialog, "   ");
              dialog.Click(IDOK);
            }),
            IDOK);
  EXPECT_EQ(StoredField(NewRecordId(), kDisplayNameField), "   ");
  EXPECT_TRUE(driver->Messages().empty());
  EXPECT_EQ(EntryCount(), 3);
}

TEST_F(PersonDialogTest, WithoutAnyNameOkAsksForOneInTheRecipientName) {
  EXPECT_EQ(AddPerson([this](DialogView& dialog) {
              dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
              dialog.Type(IDC_COMPANY, "Orvex");
              dialog.Click(IDOK);
              EXPECT_TRUE(dialog.IsOpen());
              EXPECT_EQ(MessageIds(), std::vector<UINT>{IDS_NO_RECIPIENT_NAME});
              EXPECT_EQ(dialog.FocusedId(), IDC_RECIPIENT_NAME);
              // A composed name is saved, never shown.
              dialog.Type(IDC_FIRST_NAME, "Anne");
              dialog.Click(IDOK);
            }),
            IDOK);
  EXPECT_EQ(driver->Messages().size(), 1u);
  EXPECT_EQ(StoredField(NewRecordId(), kDisplayNameField), "Anne");
  EXPECT_EQ(StoredField(NewRecordId(), kCompanyField), "Orvex");
  EXPECT_EQ(EntryCount(), 1);
}

// Clicks OK with a primary and a secondary number; the dialog must stay open.
void ExpectRefused(DialogView& dialog, const std::string& primary, const std::string& secondary, int focusId) {
  dialog.Type(IDC_PRIMARY_NUMBER, primary);
  dialog.Type(IDC_SECONDARY_NUMBER, secondary);
  dialog.Click(IDOK);
  EXPECT_TRUE(dialog.IsOpen()) << primary << " / " << secondary;
  EXPECT_EQ(dialog.FocusedId(), focusId) << primary << " / " << secondary;
  DWORD start = 1, end = 0;
  dialog.Selection(focusId, &start, &end);
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, dialog.Text(focusId).size());
}

TEST_F(PersonDialogTest, FaxNumbersHoldAtMost38DialCharactersBesidesHyphens) {
  const std::string digits38 = "12345678901234567890123456789012345678";
  const std::string hyphenated = "1-2-3-4-5-6-7-8901234567890123456789012345678"; // 38 digits, 7 hyphens
  ASSERT_EQ(hyphenated.size(), 45u);
  EXPECT_EQ(AddPerson([&](DialogView& dialog) {
              dialog.Type(IDC_RECIPIENT_NAME, "Jean Martin");
              ExpectRefused(dialog, digits38 + "9", "", IDC_PRIMARY_NUMBER);
              ExpectRefused(dialog, "+33102030405", "", IDC_PRIMARY_NUMBER);
              ExpectRefused(dialog, "0102 030405", "", IDC_PRIMARY_NUMBER);
              ExpectRefused(dialog, "---", "", IDC_PRIMARY_NUMBER);
              ExpectRefused(dialog, "", "", IDC_PRIMARY_NUMBER);
              // The secondary number is looked at only once the primary one passes.
              ExpectRefused(dialog, "(01)", "+33", IDC_PRIMARY_NUMBER);
              ExpectRefused(dialog, hyphenated, "0102.0304", IDC_SECONDARY_NUMBER);
              ExpectRefused(dialog, "#*", "0-" + digits38 + "9", IDC_SECONDARY_NUMBER);
              ExpectRefused(dialog, "", "--", IDC_SECONDARY_NUMBER);
              EXPECT_EQ(MessageIds(),
                        (std::vector<UINT>{IDS_FAX_TOO_LONG, IDS_FAX_INVALID_CHARS, IDS_FAX_INVALID_CHARS,
                                           IDS_FAX_NO_VALID_NUMBER, IDS_FAX_MISSING, IDS_FAX_INVALID_CHARS,
                                           IDS_FAX_INVALID_CHARS, IDS_FAX_TOO_LONG, IDS_FAX_NO_VALID_NUMBER}));
              EXPECT_EQ(EntryCount(), 0);
              dialog.Type(IDC_PRIMARY_NUMBER, hyphenated);
              dialog.Type(IDC_SECONDARY_NUMBER, "#*");
              dialog.Click(IDOK);
            }),
            IDOK);
  EXPECT_EQ(StoredField(NewRecordId(), kPrimaryNumberField), hyphenated);
  EXPECT_EQ(StoredField(NewRecordId(), kSecondaryNumberField), "#*");

  // Dial controls and commas alone pass; so do 38 digits with no hyphen.
  EXPECT_EQ(AddPerson([&](DialogView& dialog) {
              dialog.Type(IDC_RECIPIENT_NAME, "Standard");
              dialog.Type(IDC_PRIMARY_NUMBER, digits38);
              dialog.Type(IDC_SECONDARY_NUMBER, "^,,*#");
              dialog.Click(IDOK);
            }),
            IDOK);
  EXPECT_EQ(StoredField(NewRecordId(), kPrimaryNumberField), digits38);
  EXPECT_EQ(StoredField(NewRecordId(), kSecondaryNumberField), "^,,*#");
  EXPECT_EQ(EntryCount(), 2);
}

TEST_F(PersonDialogTest, CancelWritesNothing) {
  EXPECT_EQ(AddPerson([](DialogView& dialog) {
              TypeValidPerson(dialog);
              dialog.Type(IDC_KEYWORD, "client");
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(newIdSize, 0u);
  EXPECT_EQ(newId, nullptr);
  EXPECT_EQ(EntryCount(), 0);
}

TEST_F(PersonDialogTest, HelpButtonOpensTheContentsAndF1NamesTheFieldsContext) {
  SetHelpPath("C:\\Aide\\ABKHLP01.hlp");
  HWND dialogWindow = nullptr, secondary = nullptr, prefix = nullptr;
  EXPECT_EQ(AddPerson([&](DialogView& dialog) {
              dialogWindow = dialog.Handle();
              secondary = dialog.Control(IDC_SECONDARY_NUMBER);
              prefix = dialog.Control(IDC_PREFIX);
              dialog.Click(IDC_PERSON_HELP);
              dialog.PressF1(IDC_SECONDARY_NUMBER);
              dialog.ContextHelp(IDC_PREFIX);
              EXPECT_TRUE(dialog.IsOpen());
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  SetHelpPath(std::nullopt);
  auto requests = help->Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const HelpRequest& request : requests)
    EXPECT_EQ(request.file, std::optional<std::string>("C:\\Aide\\ABKHLP01.hlp"));
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(requests[0].window, dialogWindow);

  // The context the request's map gives a control.
  auto contextOf = [](const HelpRequest& request, int id) -> DWORD {
    const DWORD* map = reinterpret_cast<const DWORD*>(request.data);
    for (; map && (map[0] || map[1]); map += 2) {
      if (map[0] == static_cast<DWORD>(id)) return map[1];
    }
    return 0;
  };
  EXPECT_EQ(requests[1].command, static_cast<UINT>(HELP_WM_HELP));
  EXPECT_EQ(requests[1].window, secondary);
  EXPECT_EQ(contextOf(requests[1], IDC_SECONDARY_NUMBER), 1031u);
  EXPECT_EQ(requests[2].command, static_cast<UINT>(HELP_CONTEXTMENU));
  EXPECT_EQ(requests[2].window, prefix);
  EXPECT_EQ(contextOf(requests[2], IDC_PREFIX), 1035u);
  EXPECT_EQ(EntryCount(), 0);
}

} // namespace
} // namespace abktest
