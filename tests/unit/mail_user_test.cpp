// Persons read from and written to a real book: loading, reading through a group, saving in their own
// right or as a group member, and copying through the host.
#include <gtest/gtest.h>

#include "host/advise_recorder.h"
#include "props/entry_props.h"
#include "props/mail_user.h"
#include "support/book_fixture.h"

using namespace abk;

using abktest::Field;
using abktest::Member;
using abktest::RawRecord;
using abktest::ReadString;
using abktest::SetStrings;

namespace {

constexpr abk::EntryKey kRoot{kRootRecordId, kEntryTypeRoot};

class MailUserTest : public abktest::BookTest {
protected:
  // Opens a person as the session's OpenEntry would: parent pair from the identifier.
  abk::MailUser* OpenPerson(const std::string& id) {
    abk::EntryKey parent = ParentKeyOf(id.data());
    abk::MailUser* user = nullptr;
    EXPECT_EQ(abk::MailUser::Open(session, &parent, id.data(), &user), S_OK);
    return user;
  }
  ULONG SamplePerson() {
    return store.NewPerson(book,
                           {Field(1, "Jean Martin"), Field(3, "Jean"), Field(5, "Martin"), Field(0x210, "0102030405"),
                            Field(0x211, "bureau"), Field(0x110, "0607080910"), Field(0x111, "maison")});
  }
};

TEST_F(MailUserTest, LoadsStoredFieldsAfterItsInitialProperties) {
  ULONG id = store.NewPerson(book, {Field(1, "Anne"), Field(7, "inconnu"), Member(0x44, 3), Field(0x8, "clients")});
  abk::MailUser* user = OpenPerson(IdInRoot(id));
  ASSERT_NE(user, nullptr);
  LPSPropTagArray tags = nullptr;
  ASSERT_EQ(user->GetPropList(0, &tags), S_OK);
  std::vector<ULONG> listed(tags->aulPropTag, tags->aulPropTag + tags->cValues);
  HostFreeBuffer(tags);
  EXPECT_EQ(listed, (std::vector<ULONG>{PR_ENTRYID, PR_RECORD_KEY, PR_SEARCH_KEY, PR_OBJECT_TYPE, PR_DISPLAY_TYPE,
                                        PR_DISPLAY_NAME, PR_COMMENT}))
      << "field 7 and a 0x30 record give nothing; the instance key is never listed";

  SizedSPropTagArray(4, wanted) = {4, {PR_SEARCH_KEY, PR_RECORD_KEY, PR_INSTANCE_KEY, PR_DISPLAY_TYPE}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(user->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values), S_OK);
  EXPECT_EQ(values[0].Value.bin.cb, 1u);
  EXPECT_EQ(values[0].Value.bin.lpb[0], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(values[1].Value.bin.lpb), values[1].Value.bin.cb), IdInRoot(id));
  ULONG instance = 0;
  memcpy(&instance, values[2].Value.bin.lpb, 4);
  EXPECT_EQ(instance, id);
  EXPECT_EQ(values[3].Value.l, DT_MAILUSER);
  HostFreeBuffer(values);
  user->Release();
}

TEST_F(MailUserTest, ARecordWithoutKnownFieldsOpensWithAnEmptyNameAndAMissingOneIsNotFound) {
  // Such a record (a person saved through the API without a name, say) can be shown, named and saved.
  ULONG unknownOnly = store.NewPerson(book, {Field(7, "x")});
  abk::MailUser* user = OpenPerson(IdInRoot(unknownOnly));
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(ReadString(user, PR_DISPLAY_NAME), "");
  ASSERT_EQ(SetStrings(user, {{PR_DISPLAY_NAME, "Named at last"}}), S_OK);
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, unknownOnly), (std::vector<RawRecord>{Field(1, "Named at last")}));
  user->Release();
  std::string missing = IdInRoot(0x1234);
  EXPECT_EQ(abk::MailUser::Open(session, &kRoot, missing.data(), &user), MAPI_E_NOT_FOUND);
}

TEST_F(MailUserTest, AGroupShowsOnlyTheFaxBlocksItUses) {
  ULONG person = SamplePerson();
  for (ULONG flags : {0u, 1u, 2u, 3u}) {
    ULONG group = store.NewGroup(book, {Field(1, "Groupe"), Member(person, flags)});
    abk::MailUser* user = OpenPerson(IdInGroup(person, group));
    ASSERT_NE(user, nullptr);
    bool primary = flags & 1, secondary = flags & 2;
    EXPECT_EQ(ReadString(user, PR_BUSINESS_FAX_NUMBER), primary ? "0102030405" : "") << flags;
    EXPECT_EQ(ReadString(user, PR_PRIMARY_FAX_DESCRIPTION), primary ? "bureau" : "") << flags;
    EXPECT_EQ(ReadString(user, PR_PRIMARY_FAX_EXTRA3), primary ? "(missing)" : "") << flags;
    EXPECT_EQ(ReadString(user, PR_HOME_FAX_NUMBER), secondary ? "0607080910" : "") << flags;
    EXPECT_EQ(ReadString(user, PR_SECONDARY_FAX_EXTRA1), secondary ? "(missing)" : "") << flags;
    user->Release();
  }
}

TEST_F(MailUserTest, SavingThroughAGroupRewritesOnlyThatMembersFlags) {
  ULONG person = SamplePerson();
  ULONG other = SamplePerson();
  ULONG group = store.NewGroup(book, {Field(1, "G"), Member(other, 0x7001), Member(person, 3)});
  std::vector<RawRecord> personBefore = store.Read(book, person);

  abk::MailUser* user = OpenPerson(IdInGroup(person, group));
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, group)[2], Member(person, 3)) << "nothing changed, nothing written";

  ASSERT_EQ(SetStrings(user, {{PR_BUSINESS_FAX_NUMBER, ""}}), S_OK);
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, group), (std::vector<RawRecord>{Field(1, "G"), Member(other, 0x7001), Member(person, 2)}));
  EXPECT_EQ(store.Read(book, person), personBefore) << "the person's own record is untouched";

  ASSERT_EQ(SetStrings(user, {{PR_HOME_FAX_NUMBER, ""}}), S_OK);
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, group)[2], Member(person, 0));

  // Anything but the two numbers is refused there, each in the problem array, and left as it was.
  SPropValue others[3] = {};
  others[0].ulPropTag = PR_DISPLAY_NAME;
  others[0].Value.lpszA = const_cast<char*>("Renamed through the group");
  others[1].ulPropTag = PR_HOME_FAX_NUMBER;
  others[1].Value.lpszA = const_cast<char*>("0607080910");
  others[2].ulPropTag = PR_PRIMARY_FAX_DESCRIPTION;
  others[2].Value.lpszA = const_cast<char*>("lost");
  LPSPropProblemArray problems = nullptr;
  ASSERT_EQ(user->SetProps(3, others, &problems), S_OK);
  ASSERT_NE(problems, nullptr);
  ASSERT_EQ(problems->cProblem, 2u);
  EXPECT_EQ(problems->aProblem[0].ulIndex, 0u);
  EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_NO_ACCESS);
  EXPECT_EQ(problems->aProblem[1].ulPropTag, PR_PRIMARY_FAX_DESCRIPTION);
  EXPECT_EQ(problems->aProblem[1].scode, MAPI_E_NO_ACCESS);
  HostFreeBuffer(problems);
  EXPECT_NE(ReadString(user, PR_DISPLAY_NAME), "Renamed through the group");
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, group)[2], Member(person, 2));
  EXPECT_EQ(store.Read(book, person), personBefore) << "the person's own record is untouched";
  user->Release();
}

TEST_F(MailUserTest, ANewPersonGetsARecordAndItsIdentifierOnFirstSave) {
  std::string templateId = abktest::MakeId(0, abk::kEntryTypePersonTemplate, abk::kRootRecordId, 4);
  abk::MailUser* user = nullptr;
  ASSERT_EQ(abk::MailUser::Create(session, &kRoot, templateId.data(), &user), S_OK);
  host::AdviseRecorder sink;
  ULONG connection = 0;
  ASSERT_EQ(addrBook->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);

  ASSERT_EQ(SetStrings(user, {{PR_DISPLAY_NAME, std::string(300, 'd')}, {PR_GIVEN_NAME, "Paul"}}), S_OK);
  ASSERT_EQ(user->SaveChanges(0), S_OK);
  abk::EntryKey key = user->OwnKey();
  EXPECT_EQ(key.typeWord, abk::kEntryTypePerson);
  EXPECT_NE(key.recordId, 0u);
  EXPECT_EQ(store.Read(book, key.recordId), (std::vector<RawRecord>{Field(1, std::string(255, 'd')), Field(3, "Paul")}))
      << "a 300-character name is stored as its first 255";

  SizedSPropTagArray(3, wanted) = {3, {PR_ENTRYID, PR_INSTANCE_KEY, PR_RECORD_KEY}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  ASSERT_EQ(user->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values), S_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(values[0].Value.bin.lpb), 40), IdInRoot(key.recordId));
  ULONG instance = 1;
  memcpy(&instance, values[1].Value.bin.lpb, 4);
  EXPECT_EQ(instance, 0u) << "the instance key keeps its first value";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(values[2].Value.bin.lpb), 40), templateId);
  HostFreeBuffer(values);

  ASSERT_EQ(sink.heard.size(), 1u);
  EXPECT_EQ(sink.heard[0].eventType, fnevObjectModified);
  EXPECT_EQ(sink.heard[0].objectType, static_cast<ULONG>(MAPI_ADDRBOOK));
  EXPECT_TRUE(sink.heard[0].entryId.empty()) << "the object part holds only the object type";

  ASSERT_EQ(user->SaveChanges(0), S_OK);
  EXPECT_EQ(sink.heard.size(), 1u) << "a save without changes notifies nobody";
  user->Release();
}

TEST_F(MailUserTest, AFailedWriteKeepsTheChangesForALaterSave) {
  ULONG person = SamplePerson();
  abk::MailUser* user = OpenPerson(IdInRoot(person));
  store.Delete(book, person);
  ASSERT_EQ(SetStrings(user, {{PR_COMPANY_NAME, "Acme"}}), S_OK);
  EXPECT_EQ(user->SaveChanges(0), MAPI_E_NOT_FOUND);
  EXPECT_TRUE(user->IsModified());
  EXPECT_EQ(ReadString(user, PR_COMPANY_NAME), "Acme");
  EXPECT_EQ(user->SaveChanges(0), MAPI_E_NOT_FOUND) << "the change is still there to retry";
  user->Release();
}

TEST_F(MailUserTest, AnswersItsOwnInterfacesOnly) {
  abk::MailUser* user = OpenPerson(IdInRoot(SamplePerson()));
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(user->QueryInterface(IID_IDistList, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(user->QueryInterface(IID_IABContainer, &object), E_NOINTERFACE);
  ASSERT_EQ(user->QueryInterface(IID_IMailUser, &object), S_OK);
  EXPECT_EQ(object, static_cast<IMailUser*>(user));
  EXPECT_EQ(user->Release(), 1u);
  EXPECT_EQ(user->Release(), 0u);
}

TEST_F(MailUserTest, CopiesGoThroughTheHost) {
  abk::MailUser* source = OpenPerson(IdInRoot(SamplePerson()));
  std::string templateId = abktest::MakeId(0, abk::kEntryTypePersonTemplate, abk::kRootRecordId, 4);
  abk::MailUser* copy = nullptr;
  ASSERT_EQ(abk::MailUser::Create(session, &kRoot, templateId.data(), &copy), S_OK);

  SizedSPropTagArray(1, excluded) = {1, {PR_HOME_FAX_NUMBER}};
  LPSPropProblemArray problems = nullptr;
  ASSERT_EQ(source->CopyTo(0, nullptr, reinterpret_cast<LPSPropTagArray>(&excluded), 0, nullptr, &IID_IMailUser,
                           static_cast<IMailUser*>(copy), 0, &problems),
            S_OK);
  EXPECT_EQ(support.copyToCalls, 1u);
  ASSERT_NE(problems, nullptr) << "the computed properties were refused by the destination";
  HostFreeBuffer(problems);
  EXPECT_EQ(ReadString(copy, PR_DISPLAY_NAME), "Jean Martin");
  EXPECT_EQ(ReadString(copy, PR_BUSINESS_FAX_NUMBER), "0102030405");
  EXPECT_EQ(ReadString(copy, PR_HOME_FAX_NUMBER), "(missing)");

  ASSERT_EQ(source->CopyProps(reinterpret_cast<LPSPropTagArray>(&excluded), 0, nullptr, &IID_IMailUser,
                              static_cast<IMailUser*>(copy), 0, nullptr),
            S_OK);
  EXPECT_EQ(support.copyPropsCalls, 1u);
  EXPECT_EQ(ReadString(copy, PR_HOME_FAX_NUMBER), "0607080910");

  ASSERT_EQ(copy->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, copy->OwnKey().recordId).size(), 7u);
  copy->Release();
  source->Release();
}

} // namespace
