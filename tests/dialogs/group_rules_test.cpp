// The group rules as the dialog applies them: the 256-entry limits at Add and at OK, counting through
// nested groups, groups that would contain themselves, the group limit, and the name and member checks.
#include <gtest/gtest.h>

#include "dialogs/group_dialog_fixture.h"
#include "resources/resource.h"

namespace abktest {
namespace {

using host::DialogView;

constexpr UINT kStop = MB_ICONSTOP;
constexpr UINT kInfo = MB_ICONINFORMATION;

// A name or number with a counter; built with snprintf, which GCC 12's -Wrestrict does not misread.
std::string Numbered(const char* prefix, int n) {
  char text[32];
  snprintf(text, sizeof text, "%s%d", prefix, n);
  return text;
}

std::vector<int> FirstIndexes(const std::vector<int>& all, size_t count) {
  return std::vector<int>(all.begin(), all.begin() + static_cast<long>(std::min(count, all.size())));
}

TEST_F(GroupDialogTest, TakesExactly256MembersAnd256IndividualEntries) {
  std::vector<ULONG> persons;
  ULONG big = 0;
  ArrangeFast([&] {
    for (int i = 0; i < 257; ++i) {
      char name[16];
      snprintf(name, sizeof name, "P%03d", i);
      persons.push_back(Person(name, Numbered("01", i)));
    }
    std::vector<std::pair<ULONG, ULONG>> members;
    for (int i = 0; i < 200; ++i)
      members.emplace_back(persons[i], 1);
    big = Group("Big", members);
  });

  // 257 member-list entries are refused, 256 taken.
  ASSERT_EQ(AddGroup([&](DialogView& dialog) {
              std::vector<int> all = AvailableIndexes(dialog, "P");
              ASSERT_EQ(all.size(), 257u);
              dialog.SelectItems(IDC_AVAILABLE_LIST, all);
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_MEMBERS, kInfo}}));
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST).size(), 0u);
              dialog.SelectItems(IDC_AVAILABLE_LIST, FirstIndexes(all, 256));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_TRUE(NewMessages().empty());
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST).size(), 256u);
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST)[0], "P000    010");
              dialog.Type(IDC_GROUP_NAME, "Tous");
              dialog.Click(IDOK);
            }),
            IDOK);
  ASSERT_NE(NewGroupId(), 0u);
  EXPECT_EQ(StoredMembers(NewGroupId()).size(), 256u);
  EXPECT_TRUE(NewMessages().empty());

  // Big stands for 200 individual entries: with 56 persons more the group is full, and one more is
  // refused, whether at Add or through a member-list entry counted again.
  ASSERT_EQ(AddGroup([&](DialogView& dialog) {
              std::vector<int> chosen = {AvailableIndex(dialog, "Big")};
              for (int i = 200; i < 256; ++i)
                chosen.push_back(AvailableIndex(dialog, Numbered("P", i)));
              dialog.SelectItems(IDC_AVAILABLE_LIST, chosen);
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_TRUE(NewMessages().empty());
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST).size(), 57u);
              dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "P256"));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_INDIVIDUALS, kInfo}}));
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST).size(), 57u);
              dialog.Type(IDC_GROUP_NAME, "Grands");
              dialog.Click(IDOK);
            }),
            IDOK);
  std::vector<std::pair<ULONG, ULONG>> members = StoredMembers(NewGroupId());
  EXPECT_EQ(members.size(), 57u);
  EXPECT_NE(std::find(members.begin(), members.end(), std::pair<ULONG, ULONG>(big, 0)), members.end());

  // At OK an edited group is counted again: Big grown past 256 in the store refuses its container.
  ULONG holder = Group("Holder", {{big, 0}, {persons[256], 1}});
  ArrangeFast([&] {
    std::vector<RawRecord> records = {Field(kDisplayNameField, "Big")};
    for (int i = 0; i < 256; ++i)
      records.push_back(Member(persons[i], 1));
    store.Write(book, big, records);
  });
  std::vector<RawRecord> before = store.Read(book, holder);
  EXPECT_EQ(EditGroup(holder,
                      [&](DialogView& dialog) {
                        dialog.Click(IDOK);
                        EXPECT_TRUE(dialog.IsOpen());
                        EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_INDIVIDUALS, kStop}}));
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  EXPECT_EQ(store.Read(book, holder), before);
}

TEST_F(GroupDialogTest, APersonWithBothNumbersCountsTwiceAlsoInsideANestedGroup) {
  std::vector<ULONG> singles;
  ULONG many = 0;
  ULONG duo = 0;
  ULONG inner = 0;
  ArrangeFast([&] {
    std::vector<std::pair<ULONG, ULONG>> members;
    for (int i = 0; i < 253; ++i)
      singles.push_back(Person(Numbered("S", 1000 + i), Numbered("02", i)));
    for (int i = 0; i < 252; ++i)
      members.emplace_back(singles[i], 1);
    many = Group("Many", members);
    duo = Person("Duo", "0301", "0302");
    inner = Group("Inner", {{duo, 3}});
  });
  ASSERT_EQ(AddGroup([&](DialogView& dialog) {
              // 252 + 2 + 2: exactly 256 individual entries.
              dialog.SelectItems(IDC_AVAILABLE_LIST,
                                 {AvailableIndex(dialog, "Many"), AvailableIndex(dialog, "Duo", "0301"),
                                  AvailableIndex(dialog, "Duo", "0302")});
              dialog.Click(IDC_ADD_TO_GROUP);
              dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "Inner"));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_TRUE(NewMessages().empty());
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST),
                        (std::vector<std::string>{"Duo    0301", "Duo    0302", "Inner", "Many"}));
              dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "S1252"));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_INDIVIDUALS, kInfo}}));
              EXPECT_EQ(dialog.Items(IDC_MEMBER_LIST).size(), 4u);
              dialog.Type(IDC_GROUP_NAME, "Tous");
              dialog.Click(IDOK);
            }),
            IDOK);
  std::vector<std::pair<ULONG, ULONG>> members = StoredMembers(NewGroupId());
  std::sort(members.begin(), members.end());
  std::vector<std::pair<ULONG, ULONG>> expected = {{duo, 3}, {many, 0}, {inner, 0}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(members, expected);
}

TEST_F(GroupDialogTest, AGroupThatWouldContainItselfIsRefusedAtOk) {
  ULONG anne = Person("Anne", "0101");
  ULONG edited = Group("Equipe", {{anne, 1}});
  ULONG outer = Group("Outer", {{edited, 0}});
  std::vector<RawRecord> before = store.Read(book, edited);
  EXPECT_EQ(EditGroup(edited,
                      [&](DialogView& dialog) {
                        EXPECT_EQ(dialog.Caption(), Text(IDS_EDIT_GROUP_TITLE));
                        EXPECT_EQ(dialog.Text(IDC_GROUP_NAME), "Equipe");
                        EXPECT_EQ(dialog.Items(IDC_AVAILABLE_LIST), std::vector<std::string>{"Outer"});
                        dialog.SelectItem(IDC_AVAILABLE_LIST, 0);
                        dialog.Click(IDC_ADD_TO_GROUP);
                        EXPECT_TRUE(NewMessages().empty());
                        dialog.Click(IDOK);
                        EXPECT_TRUE(dialog.IsOpen());
                        EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_CONTAINS_ITSELF, kStop}}));
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  EXPECT_EQ(store.Read(book, edited), before);
  EXPECT_EQ(StoredMembers(outer), (std::vector<std::pair<ULONG, ULONG>>{{edited, 0}}));
}

TEST_F(GroupDialogTest, AGroupThatWouldOverfillAGroupContainingItIsRefused) {
  std::vector<ULONG> persons;
  ULONG edited = 0;
  ULONG outer = 0;
  ArrangeFast([&] {
    for (int i = 0; i < 257; ++i)
      persons.push_back(Person(Numbered("P", 1000 + i), Numbered("04", i)));
    edited = Group("Petit", {{persons[0], 1}});
    std::vector<std::pair<ULONG, ULONG>> members = {{edited, 0}};
    for (int i = 1; i < 256; ++i)
      members.emplace_back(persons[i], 1);
    outer = Group("Outer", members); // 256 individual entries through Petit
  });
  std::vector<RawRecord> before = store.Read(book, edited);
  EXPECT_EQ(EditGroup(edited,
                      [&](DialogView& dialog) {
                        dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "P1256"));
                        dialog.Click(IDC_ADD_TO_GROUP);
                        EXPECT_TRUE(NewMessages().empty());
                        dialog.Click(IDOK);
                        EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_CONTAINING_GROUP_TOO_LARGE, kStop}}));
                        // A change that keeps the count is saved.
                        dialog.SelectItems(IDC_MEMBER_LIST, {0});
                        dialog.Click(IDC_REMOVE_FROM_GROUP);
                        dialog.Click(IDOK);
                        EXPECT_TRUE(NewMessages().empty());
                      }),
            IDOK);
  EXPECT_EQ(StoredMembers(edited), (std::vector<std::pair<ULONG, ULONG>>{{persons[256], 1}}));
  EXPECT_NE(store.Read(book, edited), before);
  EXPECT_EQ(StoredMembers(outer).size(), 256u);
}

TEST_F(GroupDialogTest, ACycleAlreadyInTheBookNeverCountsForever) {
  ULONG anne = Person("Anne", "0101");
  ULONG a = Group("A", {{anne, 1}});
  ULONG b = Group("B", {{a, 0}});
  store.Write(book, a, {Field(kDisplayNameField, "A"), Member(anne, 1), Member(b, 0)});
  ULONG x = Group("X", {{a, 0}});

  // Adding A anywhere is refused as too many entries; the cycle through A itself is refused at OK.
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "A"));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_INDIVIDUALS, kInfo}}));
              EXPECT_TRUE(dialog.Items(IDC_MEMBER_LIST).empty());
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(EditGroup(a,
                      [&](DialogView& dialog) {
                        dialog.Click(IDOK);
                        EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_CONTAINS_ITSELF, kStop}}));
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  // X holds the cycle without being part of it.
  std::vector<RawRecord> before = store.Read(book, x);
  EXPECT_EQ(EditGroup(x,
                      [&](DialogView& dialog) {
                        dialog.Click(IDOK);
                        EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_TOO_MANY_INDIVIDUALS, kStop}}));
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  EXPECT_EQ(store.Read(book, x), before);
}

TEST_F(GroupDialogTest, ThreeThousandGroupsBlockANewGroupButNotAnEdit) {
  // Groups without any record cannot be opened, so each gets a name.
  ArrangeFast([&] {
    for (int i = 0; i < 2999; ++i)
      Group(Numbered("G", i), {});
  });
  ULONG anne = Person("Anne", "0101");
  ULONG last = Group("Dernier", {{anne, 1}});
  int entries = EntryCount();
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              dialog.SelectItem(IDC_AVAILABLE_LIST, AvailableIndex(dialog, "Anne"));
              dialog.Click(IDC_ADD_TO_GROUP);
              dialog.Type(IDC_GROUP_NAME, "Nouveau");
              dialog.Click(IDOK);
              EXPECT_TRUE(dialog.IsOpen());
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_TOO_MANY_GROUPS, kStop}}));
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(EntryCount(), entries);
  EXPECT_EQ(EditGroup(last,
                      [&](DialogView& dialog) {
                        dialog.Type(IDC_KEYWORD, "plein");
                        dialog.Click(IDOK);
                        EXPECT_TRUE(NewMessages().empty());
                      }),
            IDOK);
  EXPECT_EQ(StoredField(last, kKeywordField), "plein");
  EXPECT_EQ(StoredMembers(last), (std::vector<std::pair<ULONG, ULONG>>{{anne, 1}}));
}

// A host can save a group without giving it any field; such a group does not open, and it must not
// stop the other groups from being saved.
TEST_F(GroupDialogTest, AGroupWithoutAnyFieldDoesNotBlockOtherSaves) {
  ULONG anne = Person("Anne", "0101");
  ULONG bare = store.NewGroup(book, {});
  ULONG team = Group("Equipe", {{anne, 1}});
  EXPECT_EQ(EditGroup(team,
                      [&](DialogView& dialog) {
                        dialog.Type(IDC_KEYWORD, "vente");
                        dialog.Click(IDOK);
                        EXPECT_TRUE(NewMessages().empty());
                      }),
            IDOK);
  EXPECT_EQ(StoredField(team, kKeywordField), "vente");
  EXPECT_TRUE(store.Exists(book, bare));
}

TEST_F(GroupDialogTest, OkWantsANameThenMembersOneMessageAtATime) {
  Person("Anne", "0101");
  EXPECT_EQ(AddGroup([&](DialogView& dialog) {
              dialog.Click(IDOK);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_NO_NAME, kStop}}));
              EXPECT_EQ(dialog.FocusedId(), IDC_GROUP_NAME);
              dialog.Type(IDC_GROUP_NAME, "  ");
              dialog.Click(IDOK);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_NO_MEMBERS, kStop}}));
              EXPECT_TRUE(dialog.IsOpen());
              // Add and Remove with nothing chosen only inform.
              dialog.Click(IDC_REMOVE_FROM_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_NOTHING_SELECTED, kInfo}}));
              dialog.Click(IDC_ADD_TO_GROUP);
              EXPECT_EQ(NewMessages(), (std::vector<ShownId>{{IDS_GROUP_NOTHING_SELECTED, kInfo}}));
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  EXPECT_EQ(EntryCount(), 1);
}

} // namespace
} // namespace abktest
