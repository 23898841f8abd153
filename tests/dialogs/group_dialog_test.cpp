// The group dialog's lists: what each offers, moving entries between them, the Show boxes, sorting by a
// column, saving a stored group's membership back, help, and the screenshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "dialogs/dialog_common.h"
#include "dialogs/group_dialog_fixture.h"
#include "resources/resource.h"

namespace abktest {
namespace {

using host::DialogView;
using Members = std::vector<std::pair<ULONG, ULONG>>;

Members Sorted(Members members) {
  std::sort(members.begin(), members.end());
  return members;
}

int MemberIndex(DialogView& dialog, const std::string& text) {
  std::vector<std::string> items = dialog.Items(IDC_MEMBER_LIST);
  auto found = std::find(items.begin(), items.end(), text);
  EXPECT_NE(found, items.end()) << text;
  return static_cast<int>(found - items.begin());
}

TEST_F(GroupDialogTest, EachNumberIsAnEntryAndAPersonWithBothChosenLeavesTheList) {
  ULONG anne = Person("Anne", "0101");
  Person("Duo", "0301", "0302");
  Group("Equipe", {{anne, 1}});
  ULONG edited = Group("X", {{anne, 1}});
  std::vector<RawRecord> before = store.Read(book, edited);
  EXPECT_EQ(EditGroup(edited,
                      [&](DialogView& dialog) {
                        EXPECT_TRUE(dialog.IsChecked(IDC_SHOW_PERSONS));
                        EXPECT_TRUE(dialog.IsChecked(IDC_SHOW_GROUPS));
                        // Typing stops at the name's 48 characters and the keyword's 32.
                        dialog.Type(IDC_GROUP_NAME, std::string(60, 'n'));
                        EXPECT_EQ(dialog.Text(IDC_GROUP_NAME), std::string(48, 'n'));
                        dialog.Type(IDC_KEYWORD, std::string(40, 'k'));
                        EXPECT_EQ(dialog.Text(IDC_KEYWORD), std::string(32, 'k'));
                        // The edited group is never offered, nor what it already holds.
                        EXPECT_EQ(dialog.Rows(IDC_AVAILABLE_LIST),
                                  (std::vector<std::vector<std::string>>{{"Duo", "", "", "0301", "", ""},
                                                                         {"Duo", "", "", "0302", "", ""},
                                                                         {"Equipe", "", "", "", "", ""}}));
                        EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST), std::vector<std::string>{"Anne    0101"});
                        dialog.SelectItems(IDC_AVAILABLE_LIST, {0, 1});
                        dialog.Click(IDC_ADD_TO_GROUP);
                        EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), std::vector<std::string>{"Equipe"});
                        EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST),
                                  (std::vector<std::string>{"Anne    0101", "Duo    0301", "Duo    0302"}));

                        // Both numbers chosen: the refill leaves Duo out entirely.
                        dialog.SetCheck(IDC_SHOW_GROUPS, false);
                        EXPECT_TRUE(dialog.Items(IDC_AVAILABLE_LIST).empty());
                        // The last checked box cannot be cleared.
                        dialog.SetCheck(IDC_SHOW_PERSONS, false);
                        EXPECT_TRUE(dialog.IsChecked(IDC_SHOW_PERSONS));
                        dialog.SetCheck(IDC_SHOW_GROUPS, true);
                        EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), std::vector<std::string>{"Equipe"});

                        // A removed entry goes back to the top, whatever the order.
                        dialog.SelectItems(IDC_MEMBER_LIST, {MemberIndex(dialog, "Duo    0302")});
                        dialog.Click(IDC_REMOVE_FROM_GROUP);
                        EXPECT_EQ(dialog.Rows(IDC_AVAILABLE_LIST)[0][3], "0302");
                        dialog.SetCheck(IDC_SHOW_PERSONS, false);
                        dialog.SetCheck(IDC_SHOW_PERSONS, true);
                        // The node keeps the primary number: only the secondary is offered again.
                        EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Duo", "Equipe"}));
                        dialog.SelectItems(IDC_MEMBER_LIST, {MemberIndex(dialog, "Duo    0301")});
                        dialog.Click(IDC_REMOVE_FROM_GROUP);
                        dialog.SetCheck(IDC_SHOW_GROUPS, false);
                        dialog.SetCheck(IDC_SHOW_GROUPS, true);
                        EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Duo", "Duo", "Equipe"}));
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  EXPECT_EQ(store.Read(book, edited), before);
  EXPECT_TRUE(NewMessages().empty());
}

TEST_F(GroupDialogTest, AColumnClickSortsAndTheOrderOutlivesTheDialog) {
  store.NewPerson(book, {Field(kDisplayNameField, "Bob"), Field(kCompanyField, "Z"), Field(kPrimaryNumberField, "2")});
  store.NewPerson(book,
                  {Field(kDisplayNameField, "Alice"), Field(kCompanyField, "Y"), Field(kPrimaryNumberField, "1")});
  Group("Carla", {});
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Alice", "Bob", "Carla"}));
              dialog.ClickColumn(IDC_AVAILABLE_LIST, 0);
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Carla", "Bob", "Alice"}));
              dialog.ClickColumn(IDC_AVAILABLE_LIST, 1);
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Carla", "Alice", "Bob"}));
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Carla", "Alice", "Bob"}));
              dialog.ClickColumn(IDC_AVAILABLE_LIST, 1);
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Bob", "Alice", "Carla"}));
              // Back to the order of a first opening for the tests that follow.
              dialog.ClickColumn(IDC_AVAILABLE_LIST, 0);
              EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), (std::vector<std::string>{"Alice", "Bob", "Carla"}));
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
}

TEST_F(GroupDialogTest, SavingAStoredGroupWritesItsWholeMembershipWithTheChosenNumbers) {
  ULONG anne = Person("Anne", "0101", "0102");
  ULONG bob = Person("Bob", "0201", "0202");
  ULONG cleo = Person("Cleo", "0301", "0302");
  ULONG gone = Person("Parti", "0401");
  ULONG team = Group("Equipe", {{bob, 3}});
  ULONG edited = Group("X", {{anne, 3}, {bob, 1}, {team, 0}, {gone, 1}});
  store.Delete(book, gone);
  EXPECT_EQ(EditGroup(edited,
                      [&](DialogView& dialog) {
                        EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST),
                                  (std::vector<std::string>{"Anne    0101", "Anne    0102", "Bob    0201", "Equipe"}));
                        dialog.SelectItems(IDC_MEMBER_LIST, {1});
                        dialog.Click(IDC_REMOVE_FROM_GROUP);
                        dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "Cleo", "0302"));
                        dialog.Click(IDC_ADD_TO_GROUP);
                        dialog.Type(IDC_KEYWORD, "clients");
                        dialog.Click(IDOK);
                        EXPECT_TRUE(NewMessages().empty());
                      }),
            IDOK);
  // The member the book no longer lists stays as it was.
  EXPECT_EQ(Sorted(StoredMembers(edited)), Sorted({{anne, 1}, {bob, 1}, {team, 0}, {cleo, 2}, {gone, 1}}));
  EXPECT_EQ(StoredField(edited, kKeywordField), "clients");
  EXPECT_EQ(StoredField(edited, kDisplayNameField), "X");
  // The persons themselves keep both numbers.
  EXPECT_EQ(StoredField(anne, kSecondaryNumberField), "0102");
  EXPECT_EQ(StoredField(cleo, kPrimaryNumberField), "0301");
  EXPECT_EQ(StoredMembers(team), (Members{{bob, 3}}));
}

// OK applies what the user did to the group as stored at that moment: values longer than the fields
// come back whole, and members another host added or removed meanwhile stay added or removed.
TEST_F(GroupDialogTest, SavingAStoredGroupKeepsWhatTheUserDidNotTouch) {
  ULONG anne = Person("Anne", "0101");
  ULONG bob = Person("Bob", "0201");
  ULONG cleo = Person("Cleo", "0301");
  ULONG dan = Person("Dan", "0401");
  const std::string longName = "Groupe " + std::string(150, 'n');
  const std::string longKeyword = "clients " + std::string(80, 'k');
  ULONG edited = Group("X", {{anne, 1}, {bob, 1}});
  std::vector<RawRecord> records = store.Read(book, edited);
  records[0].text = longName;
  records.push_back(Field(kKeywordField, longKeyword));
  store.Write(book, edited, records);
  EXPECT_EQ(EditGroup(edited,
                      [&](DialogView& dialog) {
                        // Another host adds Dan and takes Bob out.
                        store.Write(book, edited,
                                    {Field(kDisplayNameField, longName), Member(anne, 1), Member(dan, 1),
                                     Field(kKeywordField, longKeyword)});
                        dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "Cleo", "0301"));
                        dialog.Click(IDC_ADD_TO_GROUP);
                        dialog.SelectItems(IDC_MEMBER_LIST, {0});
                        dialog.Click(IDC_REMOVE_FROM_GROUP);
                        dialog.Click(IDOK);
                        EXPECT_TRUE(NewMessages().empty());
                      }),
            IDOK);
  EXPECT_EQ(Sorted(StoredMembers(edited)), Sorted({{dan, 1}, {cleo, 1}}));
  EXPECT_EQ(StoredField(edited, kDisplayNameField), longName);
  EXPECT_EQ(StoredField(edited, kKeywordField), longKeyword);
}

// A group dialog opened over another (as a host may open one from another) keeps its own lists and
// member list, and leaves the first one's intact.
TEST_F(GroupDialogTest, ADialogOpenedOverAnotherKeepsItsOwnState) {
  ULONG anne = Person("Anne", "0101");
  ULONG bob = Person("Bob", "0201");
  ULONG outer = Group("Outer", {{anne, 1}});
  ULONG inner = Group("Inner", {{bob, 1}});
  EXPECT_EQ(EditGroup(outer,
                      [&](DialogView& dialog) {
                        std::string id = IdInRoot(inner);
                        ULONG size = static_cast<ULONG>(id.size());
                        LPENTRYID entry = reinterpret_cast<LPENTRYID>(id.data());
                        abk::EntryDialogParams second = {resources, session, &size,   &entry, 0,
                                                         nullptr,   0,       nullptr, S_OK};
                        driver->OnDialog(IDD_GROUP, [](DialogView& over) {
                          EXPECT_EQ(over.Items(IDC_MEMBER_LIST), std::vector<std::string>{"Bob    0201"});
                          over.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(over, "Anne", "0101"));
                          over.Click(IDC_ADD_TO_GROUP);
                          over.Click(IDOK);
                        });
                        EXPECT_EQ(abk::ShowGroupDialog(dialog.Handle(), &second), IDOK);
                        EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST), std::vector<std::string>{"Anne    0101"});
                        dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "Bob", "0201"));
                        dialog.Click(IDC_ADD_TO_GROUP);
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_TRUE(NewMessages().empty());
  EXPECT_EQ(Sorted(StoredMembers(outer)), Sorted({{anne, 1}, {bob, 1}}));
  EXPECT_EQ(Sorted(StoredMembers(inner)), Sorted({{bob, 1}, {anne, 1}}));
}

TEST_F(GroupDialogTest, HelpNamesTheControlsContext) {
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              dialog.PressF1(IDC_MEMBER_LIST);
              dialog.Click(IDC_GROUP_HELP);
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  std::vector<HelpRequest> requests = help->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_WM_HELP));
  EXPECT_EQ(requests[0].data, reinterpret_cast<ULONG_PTR>(abk::GroupHelpIds));
  EXPECT_EQ(requests[1].command, static_cast<UINT>(HELP_FINDER));
}

TEST_F(GroupDialogTest, Screenshot) {
  const char* folder = std::getenv("ABK_SCREENSHOT_DIR");
  if (!folder || !*folder) GTEST_SKIP() << "ABK_SCREENSHOT_DIR is not set";
  ULONG anne = Person("Anne Martin", "01 02 03 04 05", "06 07 08 09 10");
  ULONG bob = Person("Bob Durand", "02 03 04 05 06");
  Person("Claire Petit", "03 04 05 06 07");
  ULONG team = Group("Equipe commerciale", {{bob, 1}});
  ULONG edited = Group("Clients", {{anne, 1}, {team, 0}});
  EXPECT_EQ(AddGroup([folder](DialogView& dialog) {
              EXPECT_EQ(dialog.SaveScreenshot(std::string(folder) + "/group-new.bmp"), "");
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(EditGroup(edited,
                      [folder](DialogView& dialog) {
                        EXPECT_EQ(dialog.SaveScreenshot(std::string(folder) + "/group-edit.bmp"), "");
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
}

} // namespace
} // namespace abktest
