// NewEntry and Details from the host's side: which dialog opens for which template or entry, what the
// caller gets back, and the identifiers that are refused before any dialog opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dialogs/dialog_fixture.h"
#include "resources/resource.h"

namespace abktest {
namespace {

constexpr char kEditPersonTitle[] = "Modifier une entr\xE9"
                                    "e de personne";

class EntryLaunchTest : public DialogTest {
protected:
  HRESULT NewEntry(const std::string& container, const std::string* tpl) {
    return addrBook->NewEntry(0, 0, static_cast<ULONG>(container.size()),
                              container.empty() ? nullptr : IdPtr(container), tpl ? static_cast<ULONG>(tpl->size()) : 0,
                              tpl ? IdPtr(*tpl) : nullptr, &newIdSize, &newId);
  }

  HRESULT Details(const std::string& id, ULONG_PTR* window) {
    ULONG handle = 0;
    return addrBook->Details(window ? reinterpret_cast<ULONG*>(window) : &handle, nullptr, nullptr,
                             static_cast<ULONG>(id.size()), IdPtr(id), nullptr, nullptr, nullptr, 0);
  }

  static LPENTRYID IdPtr(const std::string& id) { return reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data())); }

  void TearDown() override {
    if (newId) HostFreeBuffer(newId);
    DialogTest::TearDown();
  }

  ULONG newIdSize = 0;
  LPENTRYID newId = nullptr;
};

TEST_F(EntryLaunchTest, APersonTemplateOpensThePersonDialogAndHandsBackTheNewEntry) {
  std::string personTemplate = ContainerTemplate(session, PR_DEF_CREATE_MAILUSER);
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), "Add Person");
    dialog.Type(IDC_LAST_NAME, "Martin");
    dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
    dialog.Click(IDOK);
  });
  EXPECT_EQ(NewEntry("", &personTemplate), S_OK);
  ASSERT_NE(newId, nullptr);
  EXPECT_EQ(newIdSize, 40u);
  ULONG type = 0;
  LPUNKNOWN person = nullptr;
  ASSERT_EQ(session->OpenEntry(newIdSize, newId, nullptr, 0, &type, &person), S_OK);
  EXPECT_EQ(type, static_cast<ULONG>(MAPI_MAILUSER));
  person->Release();
}

TEST_F(EntryLaunchTest, WithoutATemplateTheUserChoosesTheKind) {
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) {
    dialog.SelectItem(IDC_ENTRY_TYPE_LIST, 1);
    dialog.Click(IDOK);
  });
  driver->OnDialog(IDD_GROUP, [](host::DialogView& dialog) { dialog.Click(IDCANCEL); });
  EXPECT_EQ(NewEntry("", nullptr), S_OK) << "a cancelled entry dialog is not an error";
  EXPECT_EQ(newIdSize, 0u);
  EXPECT_EQ(newId, nullptr);

  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) { dialog.Click(IDOK); });
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) { dialog.Click(IDCANCEL); });
  std::string root = MakeId(0xFFFFFFFF, 4);
  EXPECT_EQ(NewEntry(root, nullptr), S_OK) << "the root container named by its identifier";
  EXPECT_EQ(driver->DialogsRun(), 4);

  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) { dialog.Click(IDCANCEL); });
  EXPECT_EQ(NewEntry("", nullptr), MAPI_E_USER_CANCEL);
}

TEST_F(EntryLaunchTest, OutputsNamingAnEntryAreClearedBeforeTheDialogOpens) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405")});
  std::string existing = IdInRoot(person);
  newIdSize = static_cast<ULONG>(existing.size());
  newId = IdPtr(existing);
  std::string personTemplate = ContainerTemplate(session, PR_DEF_CREATE_MAILUSER);
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), "Add Person") << "a new entry, not the one the outputs named";
    EXPECT_EQ(dialog.Text(IDC_RECIPIENT_NAME), "");
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(NewEntry("", &personTemplate), S_OK);
  EXPECT_EQ(newIdSize, 0u);
  EXPECT_EQ(newId, nullptr);
}

TEST_F(EntryLaunchTest, ContainersAndTemplatesOfTheWrongKindAreRefusedWithoutADialog) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405")});
  ULONG group = store.NewGroup(book, {Field(1, "Clients"), Member(person, 1)});
  std::string personTemplate = ContainerTemplate(session, PR_DEF_CREATE_MAILUSER);
  std::string personId = IdInRoot(person);
  std::string foreignTemplate = MakeId(0, 0x3006, 0, 0, reinterpret_cast<const BYTE*>("another service!"));

  EXPECT_EQ(NewEntry(IdInRoot(group), &personTemplate), MAPI_E_UNKNOWN_ENTRYID);
  EXPECT_EQ(NewEntry(personId, &personTemplate), MAPI_E_UNKNOWN_ENTRYID);
  EXPECT_EQ(NewEntry("", &personId), MAPI_E_UNKNOWN_ENTRYID) << "an entry is not a template";
  EXPECT_EQ(NewEntry("", &foreignTemplate), MAPI_E_UNKNOWN_ENTRYID);
  std::string rootTemplate = MakeId(0, 0x2004);
  EXPECT_EQ(NewEntry("", &rootTemplate), MAPI_E_UNKNOWN_ENTRYID) << "a template of neither kind";
  EXPECT_EQ(addrBook->NewEntry(0, 0, 0, nullptr, 0, nullptr, nullptr, &newId), E_INVALIDARG);
  EXPECT_EQ(addrBook->NewEntry(0, 0, 0, nullptr, 0, nullptr, &newIdSize, nullptr), E_INVALIDARG);
  EXPECT_EQ(driver->DialogsRun(), 0);
}

TEST_F(EntryLaunchTest, DetailsOpensAPersonOrAGroupForEditing) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(5, "Martin"), Field(0x210, "0102030405")});
  ULONG group = store.NewGroup(book, {Field(1, "Clients"), Member(person, 1)});
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), kEditPersonTitle);
    EXPECT_EQ(dialog.Text(IDC_RECIPIENT_NAME), "Jean Martin");
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Details(IdInRoot(person), nullptr), S_OK);
  driver->OnDialog(IDD_GROUP, [](host::DialogView& dialog) { dialog.Click(IDCANCEL); });
  EXPECT_EQ(Details(IdInRoot(group), nullptr), S_OK);
  EXPECT_EQ(driver->DialogsRun(), 2);
}

// An identifier taken from a group's table names the entry itself: what the user changes in Details is
// written to the person's or the group's own record, and the group it was listed in stays as it was.
TEST_F(EntryLaunchTest, DetailsThroughAGroupEditsTheEntryItself) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405")});
  ULONG inner = store.NewGroup(book, {Field(1, "Clients"), Member(person, 1)});
  ULONG outer = store.NewGroup(book, {Field(1, "Tous"), Member(person, 1), Member(inner, 0)});
  std::vector<RawRecord> outerBefore = store.Read(book, outer);
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), kEditPersonTitle);
    dialog.Type(IDC_COMPANY, "Orvex");
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Details(IdInGroup(person, outer), nullptr), S_OK);
  EXPECT_EQ(store.Read(book, person),
            (std::vector<RawRecord>{Field(1, "Jean Martin"), Field(0x210, "0102030405"), Field(0x200, "Orvex")}));

  driver->OnDialog(IDD_GROUP, [](host::DialogView& dialog) {
    dialog.Type(IDC_GROUP_NAME, "Clients B");
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Details(IdInGroup(inner, outer), nullptr), S_OK);
  EXPECT_EQ(store.Read(book, inner), (std::vector<RawRecord>{Field(1, "Clients B"), Member(person, 1)}));
  EXPECT_EQ(store.Read(book, outer), outerBefore);
  EXPECT_EQ(driver->DialogsRun(), 2);
}

// A damaged book: Details fails before any dialog opens, and a new entry the user confirms cannot be
// written, so NewEntry reports why once the user gives up.
TEST_F(EntryLaunchTest, ADamagedBookIsReportedNotSavedAround) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405")});
  ULONG group = store.NewGroup(book, {Field(1, "Clients"), Member(person, 1)});
  store.NewPerson(book, {Field(1, "Marie Curie"), Field(0x210, "0102030406")});
  std::string bytes;
  {
    std::ifstream in(book, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  // A byte of the header's stamp: the book reads as another file, which is read whole and found damaged.
  bytes[20] ^= 0x10;
  std::filesystem::remove(book);
  {
    std::ofstream out(book, std::ios::binary);
    out << bytes;
  }
  EXPECT_EQ(Details(IdInRoot(person), nullptr), MAPI_E_CORRUPT_DATA);
  EXPECT_EQ(Details(IdInRoot(group), nullptr), MAPI_E_CORRUPT_DATA);
  std::string personTemplate = ContainerTemplate(session, PR_DEF_CREATE_MAILUSER);
  driver->OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    dialog.Type(IDC_RECIPIENT_NAME, "Paul");
    dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
    dialog.Click(IDOK);
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(NewEntry("", &personTemplate), MAPI_E_CORRUPT_DATA);
  EXPECT_EQ(newId, nullptr);
  std::ifstream in(book, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

TEST_F(EntryLaunchTest, DetailsRefusesWhatIsNeitherAPersonNorAGroup) {
  EXPECT_EQ(Details(MakeId(0xFFFFFFFF, 4), nullptr), MAPI_E_INVALID_ENTRYID) << "the root container";
  EXPECT_EQ(Details("", nullptr), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(Details(ContainerTemplate(session, PR_DEF_CREATE_MAILUSER), nullptr), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(Details(MakeId(7, 6, 0xFFFFFFFF, 4, reinterpret_cast<const BYTE*>("another service!")), nullptr),
            MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(Details(MakeId(7, 6).substr(0, 20), nullptr), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(driver->DialogsRun(), 0);
}

} // namespace
} // namespace abktest
