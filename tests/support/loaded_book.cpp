// The loaded-module book fixture.
#include "support/loaded_book.h"

#include <cstdio>
#include <filesystem>

namespace abktest {

void LoadedBookTest::SetUp() {
  ProviderTest::SetUp();
  book = NewBookPath();
  ASSERT_TRUE(store.Loaded());
  profile.SetString(PR_AB_FILE_PATH, book);
  ASSERT_EQ(Open(), S_OK);
}

void LoadedBookTest::TearDown() {
  ProviderTest::TearDown();
  std::error_code ignored;
  std::filesystem::remove(book, ignored);
}

IABContainer* LoadedBookTest::OpenRoot() {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  EXPECT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &object), S_OK);
  EXPECT_EQ(type, static_cast<ULONG>(MAPI_ABCONT));
  return static_cast<IABContainer*>(object);
}

IMAPIProp* LoadedBookTest::OpenById(const std::string& id, ULONG* objectType) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  std::string copy = id;
  HRESULT hr = session->OpenEntry(IdSize(copy), IdPtr(copy), nullptr, 0, &type, &object);
  EXPECT_EQ(hr, S_OK);
  if (objectType) *objectType = type;
  return static_cast<IMAPIProp*>(object);
}

static std::string TemplateOf(IMAPIProp* container, ULONG tag) {
  SizedSPropTagArray(1, tags) = {1, {tag}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  EXPECT_EQ(container->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values), S_OK);
  std::string id(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  HostFreeBuffer(values);
  return id;
}

static ULONG RecordIdOf(IMAPIProp* object) {
  SizedSPropTagArray(1, tags) = {1, {PR_ENTRYID}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  EXPECT_EQ(object->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values), S_OK);
  ULONG id = 0;
  memcpy(&id, values[0].Value.bin.lpb + 32, 4);
  HostFreeBuffer(values);
  return id;
}

static IMAPIProp* CreateFrom(IABContainer* root, ULONG templateTag) {
  std::string id = TemplateOf(root, templateTag);
  LPMAPIPROP entry = nullptr;
  EXPECT_EQ(root->CreateEntry(IdSize(id), IdPtr(id), 0, &entry), S_OK);
  return entry;
}

ULONG LoadedBookTest::NewPerson(const std::string& name, const std::string& fax, const std::string& fax2,
                                const std::vector<std::pair<ULONG, std::string>>& more) {
  IABContainer* root = OpenRoot();
  IMAPIProp* person = CreateFrom(root, PR_DEF_CREATE_MAILUSER);
  std::vector<std::pair<ULONG, std::string>> values = {{PR_DISPLAY_NAME, name}, {PR_BUSINESS_FAX_NUMBER, fax}};
  if (!fax2.empty()) values.push_back({PR_HOME_FAX_NUMBER, fax2});
  values.insert(values.end(), more.begin(), more.end());
  EXPECT_EQ(SetStrings(person, values), S_OK);
  EXPECT_EQ(person->SaveChanges(0), S_OK);
  ULONG id = RecordIdOf(person);
  person->Release();
  root->Release();
  return id;
}

ULONG LoadedBookTest::NewGroup(const std::string& name, const std::vector<ULONG>& members) {
  IABContainer* root = OpenRoot();
  IMAPIProp* created = CreateFrom(root, PR_DEF_CREATE_DL);
  EXPECT_EQ(SetStrings(created, {{PR_DISPLAY_NAME, name}}), S_OK);
  EXPECT_EQ(created->SaveChanges(0), S_OK);
  ULONG id = RecordIdOf(created);
  if (!members.empty()) {
    std::vector<std::string> ids;
    for (ULONG member : members)
      ids.push_back(IdInRoot(member));
    std::vector<SBinary> storage;
    ENTRYLIST list;
    EXPECT_EQ(static_cast<IABContainer*>(created)->CopyEntries(MakeEntryList(ids, storage, list), 0, nullptr, 0), S_OK);
  }
  created->Release();
  root->Release();
  return id;
}

std::string RenderValue(const SPropValue& value) {
  char text[64];
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    return value.Value.lpszA;
  case PT_LONG:
    return std::to_string(value.Value.l);
  case PT_ERROR:
    snprintf(text, sizeof text, "!%08lX", static_cast<unsigned long>(static_cast<ULONG>(value.Value.err)));
    return text;
  case PT_BINARY: {
    std::string hex;
    for (ULONG i = 0; i < value.Value.bin.cb; ++i) {
      snprintf(text, sizeof text, "%02X", value.Value.bin.lpb[i]);
      hex += text;
    }
    return hex;
  }
  default:
    return "?";
  }
}

std::vector<TableRow> LoadedBookTest::Rows(IMAPITable* table) {
  std::vector<TableRow> rows;
  LPSRowSet set = nullptr;
  EXPECT_EQ(table->QueryRows(0x7FFFFFFF, 0, &set), S_OK);
  if (!set) return rows;
  for (ULONG r = 0; r < set->cRows; ++r) {
    TableRow row;
    for (ULONG v = 0; v < set->aRow[r].cValues; ++v) {
      const SPropValue& value = set->aRow[r].lpProps[v];
      row[PROP_ID(value.ulPropTag)] = RenderValue(value);
    }
    rows.push_back(row);
    HostFreeBuffer(set->aRow[r].lpProps);
  }
  HostFreeBuffer(set);
  return rows;
}

std::vector<TableRow> LoadedBookTest::ContentsOf(IMAPIContainer* container) {
  LPMAPITABLE table = nullptr;
  EXPECT_EQ(container->GetContentsTable(0, &table), S_OK);
  if (!table) return {};
  std::vector<TableRow> rows = Rows(table);
  table->Release();
  return rows;
}

ENTRYLIST* MakeEntryList(std::vector<std::string>& ids, std::vector<SBinary>& storage, ENTRYLIST& list) {
  storage.clear();
  for (std::string& id : ids)
    storage.push_back(SBinary{IdSize(id), reinterpret_cast<LPBYTE>(&id[0])});
  list.cValues = static_cast<ULONG>(storage.size());
  list.lpbin = storage.data();
  return &list;
}

} // namespace abktest
