// The person dialog test fixture.
#include "dialogs/person_dialog_fixture.h"

#include <filesystem>

#include "dialogs/dialog_common.h"
#include "provider/entry_id.h"
#include "provider/module_state.h"
#include "resources/resource.h"

namespace abktest {

namespace {

constexpr UINT kPersonMessages[] = {IDS_TOO_MANY_ENTRIES, IDS_NO_RECIPIENT_NAME,   IDS_FAX_INVALID_CHARS,
                                    IDS_FAX_TOO_LONG,     IDS_FAX_NO_VALID_NUMBER, IDS_FAX_MISSING};

} // namespace

void TypeValidPerson(host::DialogView& dialog, const std::string& name) {
  dialog.Type(IDC_RECIPIENT_NAME, name);
  dialog.Type(IDC_PRIMARY_NUMBER, "0102030405");
}

void PersonDialogTest::SetUp() {
  DialogTest::SetUp();
  ULONG type = 0;
  LPUNKNOWN root = nullptr;
  ASSERT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &root), S_OK);
  SizedSPropTagArray(1, wanted) = {1, {PR_DEF_CREATE_MAILUSER}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = static_cast<LPMAPIPROP>(root)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values);
  root->Release();
  ASSERT_EQ(hr, S_OK);
  personTemplate.assign(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  abk::FreeBuffer(values);
}

void PersonDialogTest::TearDown() {
  if (newId) abk::FreeBuffer(newId);
  newId = nullptr;
  DialogTest::TearDown();
}

INT_PTR PersonDialogTest::RunForNewEntry(int templateId, std::string& tpl,
                                         INT_PTR (*show)(HWND, abk::EntryDialogParams*),
                                         host::DialogDriver::Script script) {
  if (newId) abk::FreeBuffer(newId);
  newIdSize = 0;
  newId = nullptr;
  params = {resources,
            session,
            &newIdSize,
            &newId,
            0,
            nullptr,
            static_cast<ULONG>(tpl.size()),
            reinterpret_cast<LPENTRYID>(tpl.data()),
            S_OK};
  driver->OnDialog(templateId, std::move(script));
  return show(nullptr, &params);
}

INT_PTR PersonDialogTest::AddPerson(host::DialogDriver::Script script) {
  return RunForNewEntry(IDD_PERSON, personTemplate, abk::ShowPersonDialog, std::move(script));
}

INT_PTR PersonDialogTest::EditEntry(const std::string& id, host::DialogDriver::Script script) {
  ULONG size = static_cast<ULONG>(id.size());
  LPENTRYID entry = reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data()));
  params = {resources, session, &size, &entry, 0, nullptr, 0, nullptr, S_OK};
  driver->OnDialog(IDD_PERSON, std::move(script));
  INT_PTR result = abk::ShowPersonDialog(nullptr, &params);
  EXPECT_EQ(entry, reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data()))) << "edit mode hands nothing back";
  return result;
}

ULONG PersonDialogTest::NewRecordId() const {
  if (!newId || newIdSize != sizeof(abk::ProviderEntryId)) return 0;
  return reinterpret_cast<const abk::ProviderEntryId*>(newId)->self.recordId;
}

std::string PersonDialogTest::StoredField(ULONG recordId, ULONG fieldId) {
  for (const RawRecord& record : store.Read(book, recordId)) {
    if (!record.member && record.id == fieldId) return record.text;
  }
  return "(none)";
}

void PersonDialogTest::FillBook(int persons, int groups) {
  // Thousands of flushed appends take seconds on a disk; a memory file system makes them free.
  // Named after this process too: another test run may be filling its own copy at the same time.
  std::filesystem::path scratch = book + "." + std::to_string(GetCurrentProcessId()) + ".fill";
#ifdef _WIN32
  if (std::filesystem::is_directory("Z:\\dev\\shm")) scratch = "Z:\\dev\\shm\\" + scratch.filename().string();
#else
  if (std::filesystem::is_directory("/dev/shm")) scratch = "/dev/shm" / scratch.filename();
#endif
  std::filesystem::remove(scratch);
  store.NewBlankEntries(scratch.string(), persons, groups);
  std::filesystem::copy_file(scratch, book, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(scratch);
}

int PersonDialogTest::EntryCount() {
  LPSRowSet rows = nullptr;
  EXPECT_TRUE(abk::ReadContainerRows(session, 0, nullptr, 0, &rows));
  if (!rows) return 0;
  int count = static_cast<int>(rows->cRows);
  for (ULONG i = 0; i < rows->cRows; ++i)
    abk::FreeBuffer(rows->aRow[i].lpProps);
  abk::FreeBuffer(rows);
  return count;
}

std::string PersonDialogTest::Text(UINT id) const {
  char text[512] = "";
  LoadStringA(resources, id, text, sizeof text);
  return text;
}

std::vector<UINT> PersonDialogTest::MessageIds() {
  std::vector<UINT> ids;
  for (const host::ShownMessage& message : driver->Messages()) {
    EXPECT_EQ(message.caption, Text(IDS_MESSAGE_CAPTION));
    EXPECT_EQ(message.icon, static_cast<UINT>(MB_ICONSTOP));
    UINT found = 0;
    for (UINT id : kPersonMessages) {
      if (message.text == Text(id)) found = id;
    }
    ids.push_back(found);
  }
  return ids;
}

} // namespace abktest
