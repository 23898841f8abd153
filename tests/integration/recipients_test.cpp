// PrepareRecips through the loaded module: recipient rows rebuilt with the entries' current values.
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

} // namespace
