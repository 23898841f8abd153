// The book through the loaded module as a host sees it: the root container and groups, their contents
// tables, opening entries through the session and through containers, creating, adding and deleting.
#include <filesystem>
#include <fstream>

#include "host/advise_recorder.h"
#include "props/entry_props.h"
#include "support/loaded_book.h"

using namespace abktest;

namespace {

constexpr ULONG kName = PROP_ID(PR_DISPLAY_NAME), kEntryId = PROP_ID(PR_ENTRYID), kObjectType = PROP_ID(PR_OBJECT_TYPE),
                kInstance = PROP_ID(PR_INSTANCE_KEY), kFax = PROP_ID(PR_BUSINESS_FAX_NUMBER),
                kFax2 = PROP_ID(PR_HOME_FAX_NUMBER), kFax2Description = PROP_ID(PR_SECONDARY_FAX_DESCRIPTION);
const std::string kNotFound = "!8004010F";

std::string Hex(const std::string& bytes) {
  SPropValue v{};
  v.ulPropTag = PR_ENTRYID;
  v.Value.bin = {static_cast<ULONG>(bytes.size()), reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data()))};
  return RenderValue(v);
}

std::string Key4(ULONG id) { return Hex(std::string(reinterpret_cast<char*>(&id), 4)); }

class ContainerTest : public LoadedBookTest {
protected:
  void SetUp() override {
    LoadedBookTest::SetUp();
    anne = NewPerson("Anne", "0101");
    bruno = NewPerson("Bruno", "0202", "0203");
    team = NewGroup("Equipe", {anne, bruno});
    all = NewGroup("Tous", {team, anne});
  }
  ULONG anne = 0, bruno = 0, team = 0, all = 0;
};

TEST_F(ContainerTest, TheRootTableListsEveryEntryWithItsKeyAndErrorColumns) {
  IABContainer* root = OpenRoot();
  std::vector<TableRow> rows = ContentsOf(root);
  ASSERT_EQ(rows.size(), 4u);
  std::map<std::string, TableRow> byName;
  for (TableRow& row : rows) {
    EXPECT_EQ(row.size(), 20u);
    EXPECT_EQ(row[PROP_ID(PR_ADDRTYPE)], kNotFound);
    EXPECT_EQ(row[PROP_ID(PR_DISPLAY_TYPE)], kNotFound);
    EXPECT_EQ(row[PROP_ID(PR_SEARCH_KEY)], kNotFound);
    byName[row[kName]] = row;
  }
  EXPECT_EQ(byName["Anne"][kEntryId], Hex(IdInRoot(anne))) << "listed in the root: parent (0xFFFFFFFF, 4)";
  EXPECT_EQ(byName["Anne"][kObjectType], "6");
  EXPECT_EQ(byName["Anne"][kInstance], Key4(anne));
  EXPECT_EQ(byName["Anne"][kFax2], kNotFound);
  EXPECT_EQ(byName["Bruno"][kFax2], "0203");
  EXPECT_EQ(byName["Equipe"][kObjectType], "8");
  EXPECT_EQ(byName["Equipe"][kInstance], Key4(team));
  root->Release();
}

TEST_F(ContainerTest, AGroupTableShowsOnlyTheFaxNumbersTheGroupUses) {
  // The group uses only Bruno's primary number.
  std::vector<RawRecord> records = store.Read(book, team);
  for (RawRecord& r : records)
    if (r.member && r.id == bruno) r.flags = 1;
  store.Write(book, team, records);

  ULONG type = 0;
  IMAPIProp* group = OpenById(IdInRoot(team), &type);
  ASSERT_EQ(type, static_cast<ULONG>(MAPI_DISTLIST));
  std::vector<TableRow> rows = ContentsOf(static_cast<IABContainer*>(group));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][kEntryId], Hex(IdInGroup(anne, team))) << "listed in the group: parent (group, 8)";
  EXPECT_EQ(rows[1][kName], "Bruno");
  EXPECT_EQ(rows[1][kFax], "0202");
  EXPECT_EQ(rows[1][kFax2], "");
  EXPECT_EQ(rows[1][kFax2Description], "");
  group->Release();
}

TEST_F(ContainerTest, ASecondTableReusesTheRowsOfTheFirst) {
  IABContainer* root = OpenRoot();
  EXPECT_EQ(ContentsOf(root).size(), 4u);
  NewPerson("Claire", "0303");
  EXPECT_EQ(ContentsOf(root).size(), 4u) << "a container's rows are built once";
  root->Release();
  root = OpenRoot();
  EXPECT_EQ(ContentsOf(root).size(), 5u) << "a new open sees the book as it is now";
  root->Release();
}

TEST_F(ContainerTest, AnEmptyGroupHasAnEmptyTable) {
  ULONG empty = NewGroup("Vide", {});
  IMAPIProp* group = OpenById(IdInRoot(empty));
  EXPECT_TRUE(ContentsOf(static_cast<IABContainer*>(group)).empty());
  EXPECT_TRUE(ContentsOf(static_cast<IABContainer*>(group)).empty());
  group->Release();
}

TEST_F(ContainerTest, TheSessionOpensByIdentifierWithItsInterfaceRules) {
  ULONG type = 0;
  LPUNKNOWN first = nullptr, second = nullptr;
  ASSERT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &first), S_OK);
  std::string rootId = MakeId(0xFFFFFFFF, 4);
  ASSERT_EQ(session->OpenEntry(40, IdPtr(rootId), &IID_IABContainer, 0, &type, &second), S_OK);
  EXPECT_NE(first, second) << "every open makes a new container";
  first->Release();
  second->Release();

  std::string group = IdInRoot(team);
  LPUNKNOWN object = nullptr;
  ASSERT_EQ(session->OpenEntry(40, IdPtr(group), &IID_IMailUser, 0, &type, &object), S_OK);
  EXPECT_EQ(type, static_cast<ULONG>(MAPI_DISTLIST)) << "the interface is not matched against the entry";
  object->Release();

  EXPECT_EQ(session->OpenEntry(40, IdPtr(group), &IID_IUnknown, 0, &type, &object), E_NOINTERFACE);
  std::string personTemplate = MakeId(0, 0x3006);
  EXPECT_EQ(session->OpenEntry(40, IdPtr(personTemplate), nullptr, 0, &type, &object), MAPI_E_INVALID_ENTRYID);
  std::string fakeRoot = MakeId(5, 4);
  EXPECT_EQ(session->OpenEntry(40, IdPtr(fakeRoot), nullptr, 0, &type, &object), MAPI_E_INVALID_ENTRYID);
  std::string gone = IdInRoot(0x777);
  EXPECT_EQ(session->OpenEntry(40, IdPtr(gone), nullptr, 0, &type, &object), MAPI_E_NOT_FOUND);
}

TEST_F(ContainerTest, AContainerOpensPersonsAndGroupsOnly) {
  IABContainer* root = OpenRoot();
  std::string person = IdInRoot(anne);
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  EXPECT_EQ(root->OpenEntry(40, IdPtr(person), &IID_IMailUser, 0, &type, &object), E_NOINTERFACE);
  ASSERT_EQ(root->OpenEntry(40, IdPtr(person), nullptr, 0, &type, &object), S_OK);
  EXPECT_EQ(type, static_cast<ULONG>(MAPI_MAILUSER));
  object->Release();
  std::string rootId = MakeId(0xFFFFFFFF, 4);
  EXPECT_EQ(root->OpenEntry(40, IdPtr(rootId), nullptr, 0, &type, &object), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(root->OpenEntry(0, nullptr, nullptr, 0, &type, &object), MAPI_E_INVALID_ENTRYID);
  root->Release();
}

TEST_F(ContainerTest, CreateEntryTakesTemplatesOnly) {
  IABContainer* root = OpenRoot();
  LPMAPIPROP entry = nullptr;
  std::string person = IdInRoot(anne);
  EXPECT_EQ(root->CreateEntry(40, IdPtr(person), 0, &entry), MAPI_E_INVALID_ENTRYID);
  std::string containerTemplate = MakeId(0, 0x2004);
  EXPECT_EQ(root->CreateEntry(40, IdPtr(containerTemplate), 0, &entry), MAPI_E_NO_SUPPORT);
  std::string shortTemplate = MakeId(0, 0x3006).substr(0, 20);
  EXPECT_EQ(root->CreateEntry(20, IdPtr(shortTemplate), 0, &entry), MAPI_E_INVALID_ENTRYID);
  root->Release();
}

TEST_F(ContainerTest, CopyEntriesAddsWhatItCanAndSaysSo) {
  ULONG claire = NewPerson("Claire", "0303");
  IMAPIProp* group = OpenById(IdInRoot(team));
  auto* container = static_cast<IABContainer*>(group);
  std::vector<std::string> ids = {MakeId(0, 0x3006), IdInRoot(claire), IdInRoot(anne), std::string(12, 'x'),
                                  IdInRoot(team)};
  std::vector<SBinary> storage;
  ENTRYLIST list;
  EXPECT_EQ(container->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), MAPI_W_PARTIAL_COMPLETION);
  std::vector<RawRecord> records = store.Read(book, team);
  EXPECT_EQ(records, (std::vector<RawRecord>{Field(1, "Equipe"), Member(anne, 3), Member(bruno, 3), Member(claire, 3)}))
      << "an existing member is not doubled; a template, a short identifier and the group itself are refused";
  group->Release();
}

// Two hosts hold the same group, each opened before the other's change: each adds, removes or renames
// only what it was asked to, so no change of the other is lost.
TEST_F(ContainerTest, TwoHoldersOfOneGroupNeverUndoEachOther) {
  ULONG claire = NewPerson("Claire", "0303");
  ULONG denis = NewPerson("Denis", "0404");
  LPADRBOOK second = nullptr;
  ASSERT_EQ(module.Open(&support, &profile, &second), S_OK);
  IMAPIProp* mine = OpenById(IdInRoot(team));
  std::string id = IdInRoot(team);
  ULONG type = 0;
  LPUNKNOWN theirs = nullptr;
  ASSERT_EQ(second->OpenEntry(IdSize(id), IdPtr(id), nullptr, 0, &type, &theirs), S_OK);
  std::vector<SBinary> storage;
  ENTRYLIST list;
  std::vector<std::string> ids = {IdInRoot(claire)};
  EXPECT_EQ(static_cast<IABContainer*>(mine)->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), S_OK);
  ids = {IdInRoot(denis)};
  EXPECT_EQ(static_cast<IABContainer*>(theirs)->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), S_OK);
  ids = {IdInGroup(anne, team)};
  EXPECT_EQ(static_cast<IABContainer*>(theirs)->DeleteEntries(MakeEntryList(ids, storage, list), 0), S_OK);
  ASSERT_EQ(SetStrings(mine, {{PR_DISPLAY_NAME, "Equipe B"}}), S_OK);
  EXPECT_EQ(mine->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, team),
            (std::vector<RawRecord>{Field(1, "Equipe B"), Member(bruno, 3), Member(claire, 3), Member(denis, 3)}));
  theirs->Release();
  mine->Release();
  second->Release();
}

TEST_F(ContainerTest, AGroupSaveKeepsStoredFlagsAndSelectsNewPersonsWhole) {
  std::vector<RawRecord> records = store.Read(book, team);
  records[1].flags = 0xABCD0001; // whatever a stored flags word holds is carried over
  store.Write(book, team, records);
  ULONG claire = NewPerson("Claire", "0303");
  IMAPIProp* group = OpenById(IdInRoot(team));
  std::vector<std::string> ids = {IdInRoot(claire), IdInRoot(all)};
  std::vector<SBinary> storage;
  ENTRYLIST list;
  EXPECT_EQ(static_cast<IABContainer*>(group)->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), S_OK);
  EXPECT_EQ(store.Read(book, team), (std::vector<RawRecord>{Field(1, "Equipe"), Member(anne, 0xABCD0001),
                                                            Member(bruno, 3), Member(claire, 3), Member(all, 0)}));
  group->Release();
}

TEST_F(ContainerTest, DeletingFromTheRootRemovesTheEntryWithOneNotification) {
  host::AdviseRecorder sink;
  ULONG connection = 0;
  ASSERT_EQ(session->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);
  IABContainer* root = OpenRoot();
  ASSERT_EQ(ContentsOf(root).size(), 4u);
  std::vector<std::string> ids = {IdInRoot(anne), IdInRoot(bruno)};
  std::vector<SBinary> storage;
  ENTRYLIST list;
  EXPECT_EQ(root->DeleteEntries(MakeEntryList(ids, storage, list), 0), S_OK);
  EXPECT_FALSE(store.Exists(book, anne));
  EXPECT_FALSE(store.Exists(book, bruno));
  EXPECT_EQ(sink.heard.size(), 1u);
  EXPECT_EQ(ContentsOf(root).size(), 2u) << "the kept table loses the deleted rows";
  root->Release();
}

TEST_F(ContainerTest, DeletingFromAGroupOnlyShortensTheGroup) {
  ULONG outsider = NewPerson("Hors", "1");
  host::AdviseRecorder sink;
  ULONG connection = 0;
  ASSERT_EQ(session->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);
  IMAPIProp* group = OpenById(IdInRoot(team));
  auto* container = static_cast<IABContainer*>(group);
  std::vector<std::string> ids = {IdInGroup(anne, team)};
  std::vector<SBinary> storage;
  ENTRYLIST list;
  EXPECT_EQ(container->DeleteEntries(MakeEntryList(ids, storage, list), 0), S_OK);
  EXPECT_EQ(store.Read(book, team), (std::vector<RawRecord>{Field(1, "Equipe"), Member(bruno, 3)}));
  EXPECT_TRUE(store.Exists(book, anne)) << "the person stays in the book";

  ids = {IdInRoot(outsider)};
  EXPECT_EQ(container->DeleteEntries(MakeEntryList(ids, storage, list), 0), S_OK) << "not a member: still fine";
  EXPECT_EQ(sink.heard.size(), 2u);

  std::string foreign = IdInRoot(bruno);
  foreign[5] ^= 1;
  ids = {foreign, ""};
  EXPECT_EQ(container->DeleteEntries(MakeEntryList(ids, storage, list), 0), MAPI_W_PARTIAL_COMPLETION);
  EXPECT_EQ(sink.heard.size(), 2u) << "nothing deleted, nobody told";
  group->Release();
}

// A group opened through another group is still that group: adding, deleting and renaming change its
// own record, and the group it was reached through keeps its members.
TEST_F(ContainerTest, AGroupReachedThroughAGroupChangesItsOwnRecord) {
  ULONG claire = NewPerson("Claire", "0303");
  std::vector<RawRecord> outer = store.Read(book, all);
  IMAPIProp* group = OpenById(IdInGroup(team, all));
  auto* container = static_cast<IABContainer*>(group);
  std::vector<std::string> ids = {IdInRoot(claire)};
  std::vector<SBinary> storage;
  ENTRYLIST list;
  EXPECT_EQ(container->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), S_OK);
  ids = {IdInGroup(anne, team)};
  EXPECT_EQ(container->DeleteEntries(MakeEntryList(ids, storage, list), 0), S_OK);
  ASSERT_EQ(SetStrings(group, {{PR_DISPLAY_NAME, "Equipe B"}}), S_OK);
  EXPECT_EQ(group->SaveChanges(0), S_OK);
  EXPECT_EQ(store.Read(book, team),
            (std::vector<RawRecord>{Field(1, "Equipe B"), Member(bruno, 3), Member(claire, 3)}));
  EXPECT_EQ(store.Read(book, all), outer);
  group->Release();
}

// CreateEntry through a group: the save makes the entry with everything set on it and adds it to the
// group with both numbers chosen; the root lists it under its name.
TEST_F(ContainerTest, AnEntryCreatedThroughAGroupIsStoredWholeAndJoinsIt) {
  IMAPIProp* group = OpenById(IdInRoot(team));
  LPMAPIPROP created = nullptr;
  std::string personTemplate = MakeId(0, 0x3006);
  ASSERT_EQ(static_cast<IABContainer*>(group)->CreateEntry(40, IdPtr(personTemplate), 0, &created), S_OK);
  ASSERT_EQ(SetStrings(created,
                       {{PR_DISPLAY_NAME, "Claire"}, {PR_BUSINESS_FAX_NUMBER, "0303"}, {PR_HOME_FAX_NUMBER, "0304"}}),
            S_OK);
  ASSERT_EQ(created->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
  std::vector<RawRecord> members = store.Read(book, team);
  ASSERT_EQ(members.size(), 4u);
  ASSERT_TRUE(members.back().member);
  ULONG claire = members.back().id;
  EXPECT_EQ(members.back().flags, 3u);
  EXPECT_EQ(store.Read(book, claire),
            (std::vector<RawRecord>{Field(1, "Claire"), Field(0x210, "0303"), Field(0x110, "0304")}));
  created->Release();
  group->Release();

  IABContainer* root = OpenRoot();
  std::vector<TableRow> rows = ContentsOf(root);
  ASSERT_EQ(rows.size(), 5u);
  bool listed = false;
  for (TableRow& row : rows)
    listed = listed || row[kName] == "Claire";
  EXPECT_TRUE(listed);
  root->Release();
}

// A book the store finds damaged is never shown as an empty one: tables, opens and saves say so, and
// nothing is written to it.
TEST_F(ContainerTest, ADamagedBookFailsLoudlyAndStaysAsItWas) {
  std::string bytes;
  {
    std::ifstream in(book, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  bytes[bytes.size() / 2] ^= 0x10;
  std::string damaged = book + ".damaged"; // a file this process has never read
  {
    std::ofstream out(damaged, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  session->Release();
  session = nullptr;
  profile.SetString(PR_AB_FILE_PATH, damaged);
  ASSERT_EQ(Open(), S_OK);

  IABContainer* root = OpenRoot();
  LPMAPITABLE table = reinterpret_cast<LPMAPITABLE>(1);
  EXPECT_EQ(root->GetContentsTable(0, &table), MAPI_E_CORRUPT_DATA);
  EXPECT_EQ(table, nullptr);
  ULONG type = 0;
  LPUNKNOWN opened = nullptr;
  std::string id = IdInRoot(anne);
  EXPECT_EQ(session->OpenEntry(IdSize(id), IdPtr(id), nullptr, 0, &type, &opened), MAPI_E_CORRUPT_DATA);
  LPMAPIPROP created = nullptr;
  std::string personTemplate = MakeId(0, 0x3006);
  ASSERT_EQ(root->CreateEntry(40, IdPtr(personTemplate), 0, &created), S_OK);
  ASSERT_EQ(SetStrings(created, {{PR_DISPLAY_NAME, "Claire"}, {PR_BUSINESS_FAX_NUMBER, "0303"}}), S_OK);
  EXPECT_EQ(created->SaveChanges(0), MAPI_E_CORRUPT_DATA);
  created->Release();
  root->Release();
  std::ifstream in(damaged, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes) << "nothing written to the damaged book";
  std::error_code ignored;
  std::filesystem::remove(damaged, ignored);
}

TEST_F(ContainerTest, PersonsAndGroupsCopyThroughTheHost) {
  IABContainer* root = OpenRoot();
  IMAPIProp* group = OpenById(IdInRoot(all));
  ULONG before = support.copyPropsCalls;
  SizedSPropTagArray(1, tags) = {1, {PR_DISPLAY_NAME}};
  LPMAPIPROP created = nullptr;
  std::string groupTemplate = MakeId(0x80000000, 0x3008);
  ASSERT_EQ(root->CreateEntry(40, IdPtr(groupTemplate), 0, &created), S_OK);
  ASSERT_EQ(group->CopyProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, nullptr, &IID_IDistList, created, 0, nullptr),
            S_OK);
  EXPECT_EQ(support.copyPropsCalls, before + 1);
  EXPECT_EQ(ReadString(created, PR_DISPLAY_NAME), "Tous");
  created->Release();
  group->Release();
  root->Release();
}

} // namespace
