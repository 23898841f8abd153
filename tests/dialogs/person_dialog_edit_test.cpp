// The person dialog on a stored person, and the entry limit that applies to new entries only.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dialogs/dialog_common.h"
#include "dialogs/person_dialog_fixture.h"
#include "host/host_allocators.h"
#include "provider/entry_id.h"
#include "provider/module_state.h"
#include "resources/resource.h"

namespace abktest {
namespace {

using host::DialogView;

TEST_F(PersonDialogTest, EditingShowsTheStoredValuesInFullAndSavesThemBack) {
  const std::string longFirst = "Marie-Christine Alexandra"; // 25 characters, the field takes 20 from typing
  std::vector<RawRecord> stored = {Field(kDisplayNameField, "Mme Marie-Christine Alexandra Dupont"),
                                   Field(kPrefixField, "Mme"),
                                   Field(kFirstNameField, longFirst),
                                   Field(kLastNameField, "Dupont"),
                                   Field(kCompanyField, "Orvex"),
                                   Field(kPrimaryNumberField, "01-02-03-04-05"),
                                   Field(kSecondaryNumberField, "0607"),
                                   Field(kKeywordField, "client\r\nfidèle")};
  ULONG person = store.NewPerson(book, stored);
  ASSERT_EQ(EditEntry(IdInRoot(person),
                      [&](DialogView& dialog) {
                        EXPECT_EQ(dialog.Caption(), Text(IDS_EDIT_PERSON_TITLE));
                        EXPECT_EQ(dialog.Text(IDC_FIRST_NAME), longFirst);
                        EXPECT_EQ(dialog.Text(IDC_PREFIX), "Mme");
                        EXPECT_EQ(dialog.Text(IDC_RECIPIENT_NAME), "Mme Marie-Christine Alexandra Dupont");
                        EXPECT_EQ(dialog.Text(IDC_PRIMARY_NUMBER), "01-02-03-04-05");
                        EXPECT_EQ(dialog.Text(IDC_SECONDARY_NUMBER), "0607");
                        EXPECT_EQ(dialog.Text(IDC_KEYWORD), "client\r\nfidèle");
                        EXPECT_EQ(dialog.Text(IDC_DEPARTMENT), "");
                        dialog.Type(IDC_COMPANY, "Orvex SA");
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_EQ(StoredField(person, kFirstNameField), longFirst);
  EXPECT_EQ(StoredField(person, kCompanyField), "Orvex SA");
  EXPECT_EQ(StoredField(person, kKeywordField), "client\r\nfidèle");
  EXPECT_EQ(StoredField(person, kDisplayNameField), "Mme Marie-Christine Alexandra Dupont");
  EXPECT_EQ(EntryCount(), 1);

  // Cancel leaves the stored person as it was.
  std::vector<RawRecord> before = store.Read(book, person);
  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [](DialogView& dialog) {
                        dialog.Type(IDC_COMPANY, "Autre");
                        dialog.Type(IDC_PRIMARY_NUMBER, "");
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
  EXPECT_EQ(store.Read(book, person), before);
  EXPECT_TRUE(driver->Messages().empty());
}

TEST_F(PersonDialogTest, StoredValuesTheUserDidNotChangeSurviveASave) {
  const std::string longFirst(45, 'f');
  const std::string longCompany = "Soci\xE9t\xE9 " + std::string(90, 'c');
  ULONG person = store.NewPerson(book, {Field(kDisplayNameField, "Jean Martin"), Field(kFirstNameField, longFirst),
                                        Field(kCompanyField, longCompany), Field(kPrimaryNumberField, "0102")});
  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [](DialogView& dialog) {
                        dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_EQ(StoredField(person, kPrimaryNumberField), "0102030405");
  EXPECT_EQ(StoredField(person, kFirstNameField), longFirst);
  EXPECT_EQ(StoredField(person, kCompanyField), longCompany);

  // Another host changes fields while the dialog is open: OK writes only what the user changed, so the
  // other host's values stay.
  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [&](DialogView& dialog) {
                        std::vector<RawRecord> records = store.Read(book, person);
                        for (RawRecord& record : records)
                          if (record.id == kCompanyField) record.text = "Orvex";
                        records.push_back(Field(kKeywordField, "fournisseur"));
                        store.Write(book, person, records);
                        dialog.Type(IDC_SECONDARY_NUMBER, "0607");
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_EQ(StoredField(person, kSecondaryNumberField), "0607");
  EXPECT_EQ(StoredField(person, kCompanyField), "Orvex");
  EXPECT_EQ(StoredField(person, kKeywordField), "fournisseur");
  EXPECT_EQ(StoredField(person, kPrimaryNumberField), "0102030405");
}

TEST_F(PersonDialogTest, AnEntryWithoutANameOpensEmptyAndOneThatCannotBeReadNotAtAll) {
  // Without a recipient name the stored values are not shown at all.
  ULONG nameless = store.NewPerson(book, {Field(kLastNameField, "Martin"), Field(kPrimaryNumberField, "0102")});
  EXPECT_EQ(EditEntry(IdInRoot(nameless),
                      [](DialogView& dialog) {
                        EXPECT_EQ(dialog.Caption(), "Add Person");
                        EXPECT_EQ(dialog.Text(IDC_LAST_NAME), "");
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);

  // A deleted entry is not offered as an empty one to fill in: the dialog ends before it shows, with
  // the reason for the caller.
  ULONG gone = store.NewPerson(book, {Field(kDisplayNameField, "Parti")});
  store.Delete(book, gone);
  std::string id = IdInRoot(gone);
  ULONG size = static_cast<ULONG>(id.size());
  LPENTRYID entry = reinterpret_cast<LPENTRYID>(id.data());
  params = {resources, session, &size, &entry, 0, nullptr, 0, nullptr, S_OK};
  EXPECT_EQ(abk::ShowPersonDialog(nullptr, &params), IDCANCEL);
  EXPECT_EQ(params.failure, MAPI_E_NOT_FOUND);
  EXPECT_EQ(driver->DialogsRun(), 1);
  EXPECT_FALSE(store.Exists(book, gone));
  EXPECT_TRUE(driver->Messages().empty());
  EXPECT_EQ(EntryCount(), 1);
}

TEST_F(PersonDialogTest, AContainerIdentifierThatNamesAPersonCreatesNothing) {
  ULONG person = store.NewPerson(book, {Field(kDisplayNameField, "Jean Martin")});
  std::string notAContainer = IdInRoot(person);
  newIdSize = 0;
  params = {resources,
            session,
            &newIdSize,
            &newId,
            static_cast<ULONG>(notAContainer.size()),
            reinterpret_cast<LPENTRYID>(notAContainer.data()),
            static_cast<ULONG>(personTemplate.size()),
            reinterpret_cast<LPENTRYID>(personTemplate.data()),
            S_OK};
  driver->OnDialog(IDD_PERSON, [](DialogView& dialog) {
    TypeValidPerson(dialog, "Anne");
    dialog.Click(IDOK);
    EXPECT_TRUE(dialog.IsOpen());
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(abk::ShowPersonDialog(nullptr, &params), IDCANCEL);
  EXPECT_EQ(newId, nullptr);
  EXPECT_EQ(EntryCount(), 1);
}

TEST_F(PersonDialogTest, ABookOf3000EntriesTakesNoNewPersonButStillLetsOneBeEdited) {
  FillBook(2498, 500);
  ULONG person = store.NewPerson(book, {Field(kDisplayNameField, "Jean Martin"), Field(kPrimaryNumberField, "01")});
  // The 3000th entry can still be made.
  ASSERT_EQ(AddPerson([](DialogView& dialog) {
              TypeValidPerson(dialog);
              dialog.Click(IDOK);
            }),
            IDOK);
  ASSERT_EQ(EntryCount(), 3000);

  EXPECT_EQ(AddPerson([this](DialogView& dialog) {
              TypeValidPerson(dialog, "Anne");
              dialog.Click(IDOK);
              EXPECT_TRUE(dialog.IsOpen());
              EXPECT_EQ(MessageIds(), std::vector<UINT>{IDS_TOO_MANY_ENTRIES});
              // No field is blamed: the focus stays on the button the user clicked.
              EXPECT_EQ(dialog.FocusedId(), IDOK);
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);

  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [](DialogView& dialog) {
                        dialog.Type(IDC_RECIPIENT_NAME, "Jean Martin fils");
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_EQ(StoredField(person, kDisplayNameField), "Jean Martin fils");
  EXPECT_EQ(driver->Messages().size(), 1u);
  EXPECT_EQ(EntryCount(), 3000);
}

TEST_F(PersonDialogTest, ANameComposedFromLongStoredPartsIsCutToItsBuffer) {
  // Four stored parts of 40 characters and three spaces make 163; the name's buffer holds 128.
  const std::string part(40, 'a');
  ULONG person =
      store.NewPerson(book, {Field(kDisplayNameField, "Long"), Field(kPrefixField, part), Field(kFirstNameField, part),
                             Field(kLastNameField, part), Field(kSuffixField, part), Field(kPrimaryNumberField, "01")});
  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [&](DialogView& dialog) {
                        EXPECT_EQ(dialog.Text(IDC_LAST_NAME), part);
                        dialog.Type(IDC_RECIPIENT_NAME, "");
                        dialog.Click(IDOK);
                      }),
            IDOK);
  EXPECT_EQ(StoredField(person, kDisplayNameField), (part + " " + part + " " + part + " " + part).substr(0, 128));
  EXPECT_EQ(StoredField(person, kLastNameField), part) << "the parts themselves are kept whole";
}

TEST_F(PersonDialogTest, OkWithoutMemoryKeepsTheDialogOpenAndLeaksNothing) {
#ifdef _WIN32
  // The sweep opens the dialog a hundred times or more in quick succession; under Wine one of those
  // openings now and then is never activated, so the driver never sees it and the run stalls. The
  // provider's code is the same on both backends: the sweep runs on the headless layer.
  GTEST_SKIP() << "runs on the headless layer";
#endif
  bool failed = true;
  long nth = 1;
  for (; failed && nth < 200; ++nth) {
    bool stayedOpen = false;
    INT_PTR result = AddPerson([&](DialogView& dialog) {
      TypeValidPerson(dialog);
      host::FailAllocation(nth);
      dialog.Click(IDOK);
      failed = host::FailureFired();
      host::FailAllocation(0);
      // Some failures inside the save are absorbed on the way (a notification not sent): then it succeeds.
      stayedOpen = dialog.IsOpen();
      if (!stayedOpen) return;
      // A failed OK keeps nothing, so the user's second OK stores the person once.
      LPSRowSet rows = nullptr;
      ASSERT_TRUE(abk::ReadContainerRows(session, 0, nullptr, 0, &rows));
      EXPECT_EQ(rows ? rows->cRows : 0, 0u) << "allocation " << nth;
      for (ULONG i = 0; rows && i < rows->cRows; ++i)
        abk::FreeBuffer(rows->aRow[i].lpProps);
      if (rows) abk::FreeBuffer(rows);
      dialog.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK) << "allocation " << nth;
    EXPECT_NE(NewRecordId(), 0u) << "allocation " << nth;
    // The person is stored once and whole. The book is emptied again so that every round reads the same.
    LPSRowSet rows = nullptr;
    ASSERT_TRUE(abk::ReadContainerRows(session, 0, nullptr, 0, &rows));
    EXPECT_EQ(rows ? rows->cRows : 0, 1u) << "allocation " << nth;
    for (ULONG i = 0; rows && i < rows->cRows; ++i) {
      const SPropValue* row = rows->aRow[i].lpProps;
      EXPECT_STREQ(row[0].Value.lpszA, "Jean Martin");
      EXPECT_STREQ(row[5].Value.lpszA, "0102030405");
      store.Delete(book, reinterpret_cast<const abk::ProviderEntryId*>(row[1].Value.bin.lpb)->self.recordId);
      abk::FreeBuffer(rows->aRow[i].lpProps);
    }
    if (rows) abk::FreeBuffer(rows);
  }
  EXPECT_FALSE(failed) << "the save never got through";
  EXPECT_GT(nth, 10) << "a save makes many allocations";
  EXPECT_TRUE(driver->Messages().empty());
}

// Under Wine the test run photographs the dialog empty and on a stored person (ABK_SCREENSHOT_DIR).
TEST_F(PersonDialogTest, Screenshots) {
  const char* folder = std::getenv("ABK_SCREENSHOT_DIR");
  if (!folder || !*folder) GTEST_SKIP() << "ABK_SCREENSHOT_DIR is not set";
  const std::string where = folder;
  EXPECT_EQ(AddPerson([&](DialogView& dialog) {
              EXPECT_EQ(dialog.SaveScreenshot(where + "/person-new.bmp"), "");
              dialog.Click(IDCANCEL);
            }),
            IDCANCEL);
  ULONG person = store.NewPerson(book, {Field(kDisplayNameField, "M. Jean Martin"), Field(kPrefixField, "M."),
                                        Field(kFirstNameField, "Jean"), Field(kLastNameField, "Martin"),
                                        Field(kCompanyField, "Orvex"), Field(0x201, "Achats"),
                                        Field(kPrimaryNumberField, "01-44-55-66-77"), Field(0x211, "Bureau"),
                                        Field(kSecondaryNumberField, "01-44-55-66-78"), Field(0x111, "Domicile"),
                                        Field(kKeywordField, "fournisseur")});
  EXPECT_EQ(EditEntry(IdInRoot(person),
                      [&](DialogView& dialog) {
                        EXPECT_EQ(dialog.SaveScreenshot(where + "/person-edit.bmp"), "");
                        dialog.Click(IDCANCEL);
                      }),
            IDCANCEL);
}

} // namespace
} // namespace abktest
