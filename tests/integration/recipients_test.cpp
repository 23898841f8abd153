// PrepareRecips through the loaded module: recipient rows rebuilt with the entries' current values.
#include "host/name_lookup.h"
#include "support/loaded_book.h"

using namespace abktest;

namespace {

class RecipientsTest : public LoadedBookTest {
protected:
  // A recipient row {PR_ENTRYID, PR_RECIPIENT_TYPE} (or without the identifier) in host memory.
  void AddRow(ADRLIST* list, ULONG index, const std::string* id) {
    void* block = nullptr;
    ASSERT_EQ(HostAllocateBuffer(2 * sizeof(SPropValue), &block), S_OK);
    auto* values = static_cast<LPSPropValue>(block);
    ULONG n = 0;
    if (id) {
      void* bytes = nullptr;
      ASSERT_EQ(HostAllocateMore(IdSize(*id), block, &bytes), S_OK);
      memcpy(bytes, id->data(), id->size());
      values[n].ulPropTag = PR_ENTRYID;
      values[n++].Value.bin = {IdSize(*id), static_cast<LPBYTE>(bytes)};
    }
    values[n].ulPropTag = PR_RECIPIENT_TYPE;
    values[n++].Value.l = MAPI_TO;
    list->aEntries[index].cValues = n;
    list->aEntries[index].rgPropVals = values;
  }
  // A recipient row {PR_DISPLAY_NAME, PR_RECIPIENT_TYPE} as a host hands over what the user typed.
  void AddTyped(ADRLIST* list, ULONG index, const char* typed) {
    void* block = nullptr;
    ASSERT_EQ(HostAllocateBuffer(2 * sizeof(SPropValue), &block), S_OK);
    auto* values = static_cast<LPSPropValue>(block);
    void* text = nullptr;
    ASSERT_EQ(HostAllocateMore(static_cast<ULONG>(strlen(typed) + 1), block, &text), S_OK);
    memcpy(text, typed, strlen(typed) + 1);
    values[0].ulPropTag = PR_DISPLAY_NAME;
    values[0].Value.lpszA = static_cast<LPSTR>(text);
    values[1].ulPropTag = PR_RECIPIENT_TYPE;
    values[1].Value.l = MAPI_TO;
    list->aEntries[index].cValues = 2;
    list->aEntries[index].rgPropVals = values;
  }
  ADRLIST* NewList(ULONG rows) {
    void* block = nullptr;
    EXPECT_EQ(HostAllocateBuffer(CbNewADRLIST(rows), &block), S_OK);
    auto* list = static_cast<ADRLIST*>(block);
    memset(list, 0, CbNewADRLIST(rows));
    list->cEntries = rows;
    return list;
  }
  void FreeList(ADRLIST* list) {
    for (ULONG i = 0; i < list->cEntries; ++i)
      HostFreeBuffer(list->aEntries[i].rgPropVals);
    HostFreeBuffer(list);
  }
};

SizedSPropTagArray(2, kWanted) = {2, {PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER}};

TEST_F(RecipientsTest, RowsGetTheRequestedValuesFirstThenTheirOwn) {
  ULONG paul = NewPerson("Paul", "0404", "0405");
  std::string id = IdInRoot(paul);
  ADRLIST* list = NewList(1);
  AddRow(list, 0, &id);
  ASSERT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list), S_OK);
  ADRENTRY& row = list->aEntries[0];
  ASSERT_EQ(row.cValues, 4u);
  EXPECT_EQ(row.rgPropVals[0].ulPropTag, PR_DISPLAY_NAME);
  EXPECT_STREQ(row.rgPropVals[0].Value.lpszA, "Paul");
  EXPECT_STREQ(row.rgPropVals[1].Value.lpszA, "0404");
  EXPECT_EQ(row.rgPropVals[2].ulPropTag, PR_ENTRYID);
  EXPECT_EQ(row.rgPropVals[3].ulPropTag, PR_RECIPIENT_TYPE);
  FreeList(list);

  // A tag of the row asked twice: the row's value once, then an error value, never a second copy.
  SizedSPropTagArray(2, twice) = {2, {PR_RECIPIENT_TYPE, PR_RECIPIENT_TYPE}};
  list = NewList(1);
  AddRow(list, 0, &id);
  ASSERT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&twice), list), S_OK);
  ADRENTRY& again = list->aEntries[0];
  ASSERT_EQ(again.cValues, 3u);
  EXPECT_EQ(again.rgPropVals[0].ulPropTag, PR_RECIPIENT_TYPE);
  EXPECT_EQ(again.rgPropVals[1].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_RECIPIENT_TYPE)));
  EXPECT_EQ(again.rgPropVals[2].ulPropTag, PR_ENTRYID);
  FreeList(list);
}

TEST_F(RecipientsTest, AnEntryReachedThroughAGroupShowsItsUnselectedNumberEmpty) {
  ULONG paul = NewPerson("Paul", "0404", "0405");
  ULONG group = NewGroup("G", {paul});
  std::vector<RawRecord> records = store.Read(book, group);
  records.back().flags = 2;
  store.Write(book, group, records);
  std::string id = IdInGroup(paul, group);
  ADRLIST* list = NewList(1);
  AddRow(list, 0, &id);
  ASSERT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list), S_OK);
  EXPECT_STREQ(list->aEntries[0].rgPropVals[1].Value.lpszA, "");
  FreeList(list);
}

TEST_F(RecipientsTest, TheResultIsThatOfTheLastRowThatCounted) {
  std::string id = IdInRoot(NewPerson("Paul", "0404"));
  ADRLIST* list = NewList(2);
  AddRow(list, 0, nullptr);
  AddRow(list, 1, &id);
  EXPECT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list), S_OK);
  FreeList(list);

  list = NewList(2);
  AddRow(list, 0, &id);
  AddRow(list, 1, nullptr);
  EXPECT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list), MAPI_E_INVALID_ENTRYID);
  EXPECT_EQ(list->aEntries[1].cValues, 1u) << "a row without identifier is left as it was";
  FreeList(list);

  list = NewList(1);
  std::string gone = IdInRoot(0x4321);
  AddRow(list, 0, &gone);
  EXPECT_EQ(session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&kWanted), list), MAPI_E_NOT_FOUND);
  EXPECT_EQ(session->PrepareRecips(0, nullptr, list), S_OK) << "no tags: nothing to do";
  FreeList(list);
}

std::string BytesOf(const SPropValue& value) {
  return std::string(reinterpret_cast<const char*>(value.Value.bin.lpb), value.Value.bin.cb);
}

SizedSPropTagArray(5, kResolved) = {
    5, {PR_ENTRYID, PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER, PR_OBJECT_TYPE, PR_DISPLAY_TYPE}};

// One match fills the row and resolves it, several make it ambiguous, none leave it; an exact display
// name wins over names it starts. Names match without case and accents, on any word, given name,
// surname or company.
TEST_F(RecipientsTest, ResolveNamesFillsOneMatchAndFlagsTheRest) {
  ULONG helene =
      NewPerson("H\xE9l\xE8ne Joubert", "0101", "", {{PR_GIVEN_NAME, "H\xE9l\xE8ne"}, {PR_SURNAME, "Joubert"}});
  NewPerson("H\xE9lo\xEFse Dupr\xE9", "0202");
  NewPerson("Henri Dupont", "0303", "", {{PR_COMPANY_NAME, "Orvex"}});
  ULONG anne = NewPerson("Anne", "0404");
  NewPerson("Anne-Marie", "0505");
  ULONG team = NewGroup("Equipe", {anne, helene});
  const std::pair<const char*, ULONG> cases[] = {
      {"helene", MAPI_RESOLVED},      {"dup", MAPI_AMBIGUOUS},      {"xyz", MAPI_UNRESOLVED},
      {"ANNE", MAPI_RESOLVED},        {"orv", MAPI_RESOLVED},       {"marie", MAPI_RESOLVED},
      {"an", MAPI_AMBIGUOUS},         {"joubert", MAPI_RESOLVED},   {"equipe", MAPI_RESOLVED},
      {"d\xFCpr\xE9", MAPI_RESOLVED}, {"dupre x", MAPI_UNRESOLVED},
  };
  const ULONG rows = static_cast<ULONG>(std::size(cases)) + 1;
  ADRLIST* list = NewList(rows);
  std::vector<ULONG> flagStorage(rows + 1);
  auto* flags = reinterpret_cast<LPFlagList>(flagStorage.data());
  flags->cFlags = rows;
  for (ULONG i = 0; i + 1 < rows; ++i) {
    AddTyped(list, i, cases[i].first);
    flags->ulFlag[i] = MAPI_UNRESOLVED;
  }
  AddTyped(list, rows - 1, "anne");
  flags->ulFlag[rows - 1] = MAPI_RESOLVED; // already resolved: left alone
  IABContainer* root = OpenRoot();
  ASSERT_EQ(root->ResolveNames(reinterpret_cast<LPSPropTagArray>(&kResolved), 0, list, flags), S_OK);
  for (ULONG i = 0; i + 1 < rows; ++i)
    EXPECT_EQ(flags->ulFlag[i], cases[i].second) << cases[i].first;
  ADRENTRY& first = list->aEntries[0];
  ASSERT_EQ(first.cValues, 6u) << "the asked columns, then the row's own";
  EXPECT_EQ(BytesOf(first.rgPropVals[0]), IdInRoot(helene));
  EXPECT_STREQ(first.rgPropVals[1].Value.lpszA, "H\xE9l\xE8ne Joubert");
  EXPECT_STREQ(first.rgPropVals[2].Value.lpszA, "0101");
  EXPECT_EQ(first.rgPropVals[3].Value.l, MAPI_MAILUSER);
  EXPECT_EQ(first.rgPropVals[4].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_TYPE)));
  EXPECT_EQ(first.rgPropVals[5].ulPropTag, PR_RECIPIENT_TYPE);
  EXPECT_STREQ(list->aEntries[3].rgPropVals[1].Value.lpszA, "Anne") << "the exact name wins";
  EXPECT_EQ(list->aEntries[1].cValues, 2u) << "an ambiguous row is left as it was";
  EXPECT_EQ(list->aEntries[rows - 1].cValues, 2u);
  EXPECT_EQ(list->aEntries[8].rgPropVals[3].Value.l, MAPI_DISTLIST);

  // A group resolves among its members only, with the identifiers its own table gives them.
  ULONG type = 0;
  IMAPIProp* group = OpenById(IdInRoot(team), &type);
  ASSERT_EQ(type, static_cast<ULONG>(MAPI_DISTLIST));
  ADRLIST* inGroup = NewList(2);
  AddTyped(inGroup, 0, "an");
  AddTyped(inGroup, 1, "dup");
  flags->cFlags = 2;
  flags->ulFlag[0] = flags->ulFlag[1] = MAPI_UNRESOLVED;
  ASSERT_EQ(static_cast<IABContainer*>(group)->ResolveNames(nullptr, 0, inGroup, flags), S_OK);
  EXPECT_EQ(flags->ulFlag[0], static_cast<ULONG>(MAPI_RESOLVED));
  EXPECT_EQ(flags->ulFlag[1], static_cast<ULONG>(MAPI_UNRESOLVED));
  EXPECT_EQ(BytesOf(inGroup->aEntries[0].rgPropVals[0]), IdInGroup(anne, team));

  EXPECT_EQ(root->ResolveNames(nullptr, MAPI_UNICODE, inGroup, flags), MAPI_E_BAD_CHARWIDTH);
  flags->cFlags = 3;
  EXPECT_EQ(root->ResolveNames(nullptr, 0, inGroup, flags), E_INVALIDARG) << "one flag per row";
  EXPECT_EQ(root->ResolveNames(nullptr, 0, nullptr, flags), E_INVALIDARG);
  group->Release();
  root->Release();
  FreeList(inGroup);
  FreeList(list);
}

// Restricting the root's table on PR_ANR finds people by the name parts it does not show.
TEST_F(RecipientsTest, TheContentsTableFindsPeopleByNamePartsItDoesNotShow) {
  NewPerson("Joubert", "0101", "", {{PR_GIVEN_NAME, "H\xE9l\xE8ne"}, {PR_SURNAME, "Joubert"}});
  NewPerson("Paul", "0202");
  IABContainer* root = OpenRoot();
  LPMAPITABLE table = nullptr;
  ASSERT_EQ(root->GetContentsTable(0, &table), S_OK);
  host::AnrRestriction anr("hel");
  ASSERT_EQ(table->Restrict(anr.Get(), 0), S_OK);
  std::vector<TableRow> rows = Rows(table);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][PROP_ID(PR_DISPLAY_NAME)], "Joubert");
  EXPECT_EQ(rows[0].size(), 20u) << "the name parts stay out of the columns";
  table->Release();
  root->Release();
}

} // namespace
