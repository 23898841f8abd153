// Entry storage facing a store library that misbehaves: records read back are never trusted to stay
// inside their buffer, and the file is closed on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "props/entry_props.h"
#include "provider/module_state.h"
#include "store/entry_storage.h"
#include "support/provider_fixture.h"
#include "unit/provider_code_test.h"

using namespace abk;

namespace {

// What the fake library answers.
struct FakeBook {
  std::vector<BYTE> records; // what GetProps copies (at most the room it is given)
  ULONG countAnswer = 0;     // what GetProps returns for a null block
  ULONG fillAnswer = 0;      // what GetProps returns after filling
  int opens = 0, closes = 0;
  ULONG failOpenStatus = 0;
  // Copies refused for want of room, as when the record grew since it was counted.
  int refuseFills = 0;
  int getPropsCalls = 0;
  std::vector<ULONG> ids; // what GetRecordId lists
  int refuseLists = 0;
};
FakeBook g_book;

ULONG WINAPI FakeOpen(LPCSTR, ULONG* status) {
  if (g_book.failOpenStatus) {
    *status = g_book.failOpenStatus;
    return STORE_BAD_HANDLE;
  }
  ++g_book.opens;
  return 1;
}
ULONG WINAPI FakeClose(ULONG) { return ++g_book.closes; }
ULONG WINAPI FakeGetProps(ULONG, ULONG, ULONG* status, StoreRecordBlock* block) {
  ++g_book.getPropsCalls;
  if (!block) return g_book.countAnswer;
  if (g_book.refuseFills > 0) {
    --g_book.refuseFills;
    *status = STORE_STATUS_INVALID_ARGUMENT;
    return STORE_CALL_FAILED;
  }
  size_t room = static_cast<size_t>(block->count) * STORE_FIELD_RECORD_SIZE;
  memcpy(block->records, g_book.records.data(), std::min(room, g_book.records.size()));
  return g_book.fillAnswer;
}
ULONG WINAPI FakeGetRecordId(ULONG, ULONG, ULONG* status, StoreIdList* list) {
  ULONG total = static_cast<ULONG>(g_book.ids.size());
  if (!list->ids) {
    list->count = total;
    return total;
  }
  if (g_book.refuseLists > 0) {
    --g_book.refuseLists;
    *status = STORE_STATUS_INVALID_ARGUMENT;
    return STORE_CALL_FAILED;
  }
  for (ULONG i = 0; i < total && i < list->count; ++i)
    list->ids[i] = g_book.ids[i];
  list->count = total;
  return total;
}
ULONG WINAPI FakeSetProps(ULONG, ULONG, ULONG* status, StoreRecordBlock*) {
  *status = 99; // a status word the provider does not know
  return 0;
}

void AddMemberRecord(ULONG id, ULONG selection) {
  GroupMemberRecord member{};
  member.marker = STORE_MEMBER_MARKER;
  member.memberId = id;
  member.faxSelection = selection;
  const BYTE* p = reinterpret_cast<const BYTE*>(&member);
  g_book.records.insert(g_book.records.end(), p, p + sizeof member);
}

void AddField(ULONG id, const std::string& text, bool terminate = true) {
  StoreFieldRecord record;
  memset(&record, terminate ? 0 : 'z', sizeof record);
  record.fieldId = id;
  memcpy(record.value, text.data(), std::min(text.size(), sizeof record.value));
  const BYTE* p = reinterpret_cast<const BYTE*>(&record);
  g_book.records.insert(g_book.records.end(), p, p + sizeof record);
}

class StorageRobustnessTest : public abktest::ProviderCodeTest {
protected:
  void SetUp() override {
    ProviderCodeTest::SetUp();
    g_book = FakeBook{};
    library = abk::StoreLibrary::Create();
    library->openAddressBook = FakeOpen;
    library->closeAddressBook = FakeClose;
    library->getProps = FakeGetProps;
    library->getRecordId = FakeGetRecordId;
    library->setProps = FakeSetProps;
  }
  void TearDown() override {
    abk::StoreLibrary::Destroy(library);
    EXPECT_EQ(g_book.opens, g_book.closes) << "every open is closed";
    HostTest::TearDown();
  }
  abk::StoreLibrary* library = nullptr;
};

TEST_F(StorageRobustnessTest, ACountLargerThanTheBufferIsClampedToIt) {
  AddField(1, "Martin");
  AddField(5, "Durand");
  g_book.countAnswer = 2;
  g_book.fillAnswer = 40; // claims far more records than it was given room for
  abk::PropList list;
  ASSERT_EQ(ReadEntryProperties(*library, EntryKey{3, 6}, nullptr, list), S_OK);
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_STREQ(list.FindProp(PR_SURNAME)->value.Value.lpszA, "Durand");
}

// Another thread or process saved the record between the count and the copy: it is read again.
TEST_F(StorageRobustnessTest, ARecordThatGrewSinceItWasCountedIsCountedAgain) {
  AddField(1, "Martin");
  AddField(5, "Durand");
  g_book.countAnswer = g_book.fillAnswer = 2;
  g_book.refuseFills = 1;
  abk::PropList list;
  ASSERT_EQ(ReadEntryProperties(*library, EntryKey{3, 6}, nullptr, list), S_OK);
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(g_book.getPropsCalls, 4);
}

TEST_F(StorageRobustnessTest, ARecordThatKeepsGrowingIsGivenUpOn) {
  AddField(1, "Martin");
  g_book.countAnswer = g_book.fillAnswer = 1;
  g_book.refuseFills = 1000;
  abk::PropList list;
  EXPECT_EQ(ReadEntryProperties(*library, EntryKey{3, 6}, nullptr, list), E_INVALIDARG);
  EXPECT_EQ(g_book.getPropsCalls, 8) << "four counts and four copies";
}

TEST_F(StorageRobustnessTest, ABookThatGrewSinceItsEntriesWereCountedIsListedAgain) {
  g_book.ids = {3, 4, 0x80000002};
  g_book.refuseLists = 2;
  library->AddRef();
  abk::StoreLink link(library);
  ASSERT_EQ(link.LoadEntry(EntryKey{kRootRecordId, kEntryTypeRoot}, nullptr), S_OK);
  EXPECT_EQ(link.Members().Count(), 3u);
}

TEST_F(StorageRobustnessTest, AnUnterminatedValueIsCutAt255Characters) {
  AddField(1, std::string(256, 'n'), false);
  g_book.countAnswer = g_book.fillAnswer = 1;
  abk::PropList list;
  ASSERT_EQ(ReadEntryProperties(*library, EntryKey{3, 6}, nullptr, list), S_OK);
  EXPECT_EQ(strlen(list.FindProp(PR_DISPLAY_NAME)->value.Value.lpszA), 255u);
}

TEST_F(StorageRobustnessTest, ARecordCrossingTheEndOfTheBufferIsNotRead) {
  // Two member records (140 bytes each) then a field record: 140 + 140 + 260 > 2 × 260.
  for (ULONG id : {5u, 6u})
    AddMemberRecord(id, 3);
  AddField(1, "hors limite");
  g_book.countAnswer = 2;
  g_book.fillAnswer = 3;
  abk::MemberList members;
  ASSERT_EQ(ReadMemberKeys(*library, EntryKey{0x80000002, 8}, members), S_OK);
  EXPECT_EQ(members.Count(), 2u);
}

TEST_F(StorageRobustnessTest, AnUnknownStatusAfterAFailedWriteIsAFailure) {
  abk::PropList list;
  SPropValue name{};
  name.ulPropTag = PR_DISPLAY_NAME;
  name.Value.lpszA = const_cast<char*>("x");
  list.SetProp(name);
  EXPECT_EQ(WriteEntry(*library, EntryKey{3, 6}, EntryKey{kRootRecordId, 4}, list, nullptr), MAPI_E_CALL_FAILED);
}

TEST_F(StorageRobustnessTest, AFailedOpenIsReportedAndNothingElseHappens) {
  g_book.failOpenStatus = STORE_STATUS_DISK_FULL;
  abk::PropList list;
  EXPECT_EQ(ReadEntryProperties(*library, EntryKey{3, 6}, nullptr, list), MAPI_E_NOT_ENOUGH_DISK);
  abk::EntryKey key{3, 6};
  EXPECT_EQ(ResolveRecord(*library, RESOLVE_EXISTING, key), MAPI_E_NOT_ENOUGH_DISK);
  EXPECT_EQ(g_book.opens, 0);
}

TEST_F(StorageRobustnessTest, TheRootContainerNeedsNoFileAndCannotBeDeleted) {
  abk::EntryKey root{0, kEntryTypeRoot};
  EXPECT_EQ(ResolveRecord(*library, RESOLVE_EXISTING, root), S_OK);
  EXPECT_EQ(root.recordId, kRootRecordId);
  EXPECT_EQ(DeleteEntry(*library, root), E_INVALIDARG);
  abk::EntryKey key{3, 6};
  EXPECT_EQ(ResolveRecord(*library, 3, key), E_FAIL);
  EXPECT_EQ(g_book.opens, 0);
}

// Opening a group and listing its members is one opening of the book each, however many members it
// has: the group dialog's checks read every group of a full book this way.
TEST_F(StorageRobustnessTest, AGroupAndItsListedMembersAreReadFromOneOpeningEach) {
  AddField(1, "Comptables"); // every record of the fake book reads back as this name and these members
  AddMemberRecord(5, 1);
  AddMemberRecord(6, 3);
  g_book.countAnswer = g_book.fillAnswer = 3;
  const abk::EntryKey group{0x80000002, kEntryTypeGroup};
  library->AddRef(); // the fixture's own reference: the link takes and drops another
  {
    abk::StoreLink link(library);
    ASSERT_EQ(link.LoadEntry(group, nullptr), S_OK);
    EXPECT_EQ(link.Members().Count(), 2u);
    EXPECT_STREQ(link.Props().FindProp(PR_DISPLAY_NAME)->value.Value.lpszA, "Comptables");
  }
  EXPECT_EQ(g_book.opens, 1);

  ContainerReader reader(*library);
  ASSERT_EQ(reader.Open(group), S_OK);
  for (ULONG id : {5u, 6u}) {
    abk::PropList list;
    ASSERT_EQ(reader.Read(EntryKey{id, kEntryTypePerson}, list), S_OK);
    EXPECT_STREQ(list.FindProp(PR_DISPLAY_NAME)->value.Value.lpszA, "Comptables");
    // Member 5 uses only its first number: its second reads blank through the group.
    abk::PropElement* second = list.FindProp(PR_HOME_FAX_NUMBER);
    EXPECT_EQ(second != nullptr, id == 5u);
    if (second) {
      EXPECT_STREQ(second->value.Value.lpszA, "");
    }
  }
  abk::PropList templateEntry;
  EXPECT_EQ(reader.Read(EntryKey{kPersonTemplateRecordId, kEntryTypePerson}, templateEntry), MAPI_E_NOT_FOUND);
  EXPECT_EQ(g_book.opens, 2);
}

TEST_F(StorageRobustnessTest, TheRootContainerOpensWhenTheBookCannotBeRead) {
  g_book.failOpenStatus = STORE_STATUS_DISK_FULL;
  library->AddRef();
  abk::StoreLink link(library);
  EXPECT_EQ(link.LoadEntry(EntryKey{kRootRecordId, kEntryTypeRoot}, nullptr), S_OK);
  EXPECT_EQ(link.Members().Count(), 0u);
  EXPECT_EQ(link.LoadEntry(EntryKey{3, kEntryTypePerson}, nullptr), MAPI_E_NOT_ENOUGH_DISK);
}

} // namespace
