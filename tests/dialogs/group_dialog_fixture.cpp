// The group dialog test fixture.
#include "dialogs/group_dialog_fixture.h"

#include <filesystem>

#include "provider/entry_id.h"
#include "provider/module_state.h"
#include "resources/resource.h"

namespace abktest {

void GroupDialogTest::SetUp() {
  PersonDialogTest::SetUp();
  ULONG type = 0;
  LPUNKNOWN root = nullptr;
  ASSERT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &root), S_OK);
  SizedSPropTagArray(1, wanted) = {1, {PR_DEF_CREATE_DL}};
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = static_cast<LPMAPIPROP>(root)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values);
  root->Release();
  ASSERT_EQ(hr, S_OK);
  groupTemplate.assign(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
  abk::FreeBuffer(values);
}

ULONG GroupDialogTest::Person(const std::string& name, const std::string& primary, const std::string& secondary) {
  std::vector<RawRecord> records = {Field(kDisplayNameField, name)};
  if (!primary.empty()) records.push_back(Field(kPrimaryNumberField, primary));
  if (!secondary.empty()) records.push_back(Field(kSecondaryNumberField, secondary));
  return store.NewPerson(book, records);
}

ULONG GroupDialogTest::Group(const std::string& name, const std::vector<std::pair<ULONG, ULONG>>& members) {
  std::vector<RawRecord> records = {Field(kDisplayNameField, name)};
  for (const auto& [id, flags] : members)
    records.push_back(Member(id, flags));
  return store.NewGroup(book, records);
}

void GroupDialogTest::ArrangeFast(const std::function<void()>& arrange) {
  std::filesystem::path scratch = book + ".fast";
#ifdef _WIN32
  if (std::filesystem::is_directory("Z:\\dev\\shm")) scratch = "Z:\\dev\\shm\\" + scratch.filename().string();
#else
  if (std::filesystem::is_directory("/dev/shm")) scratch = "/dev/shm" / scratch.filename();
#endif
  std::string real = book;
  std::filesystem::copy_file(real, scratch, std::filesystem::copy_options::overwrite_existing);
  book = scratch.string();
  arrange();
  book = real;
  std::filesystem::copy_file(scratch, real, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(scratch);
}

INT_PTR GroupDialogTest::AddGroup(host::DialogDriver::Script script) {
  return RunForNewEntry(IDD_GROUP, groupTemplate, abk::ShowGroupDialog, std::move(script));
}

INT_PTR GroupDialogTest::EditGroup(ULONG groupId, host::DialogDriver::Script script) {
  std::string id = IdInRoot(groupId);
  ULONG size = static_cast<ULONG>(id.size());
  LPENTRYID entry = reinterpret_cast<LPENTRYID>(id.data());
  params = {resources, session, &size, &entry, 0, nullptr, 0, nullptr, S_OK};
  driver->OnDialog(IDD_GROUP, std::move(script));
  INT_PTR result = abk::ShowGroupDialog(nullptr, &params);
  EXPECT_EQ(entry, reinterpret_cast<LPENTRYID>(id.data())) << "edit mode hands nothing back";
  return result;
}

std::vector<std::pair<ULONG, ULONG>> GroupDialogTest::StoredMembers(ULONG groupId) {
  std::vector<std::pair<ULONG, ULONG>> members;
  for (const RawRecord& record : store.Read(book, groupId)) {
    if (record.member) members.emplace_back(record.id, record.flags);
  }
  return members;
}

std::vector<ShownId> GroupDialogTest::NewMessages() {
  std::vector<ShownId> shown;
  const std::vector<host::ShownMessage>& all = driver->Messages();
  static const UINT kGroupMessages[] = {IDS_GROUP_NO_MEMBERS,
                                        IDS_GROUP_TOO_MANY_MEMBERS,
                                        IDS_TOO_MANY_GROUPS,
                                        IDS_GROUP_NO_NAME,
                                        IDS_GROUP_NOTHING_SELECTED,
                                        IDS_GROUP_CONTAINS_ITSELF,
                                        IDS_GROUP_TOO_MANY_INDIVIDUALS,
                                        IDS_CONTAINING_GROUP_TOO_LARGE};
  for (; messagesSeen < all.size(); ++messagesSeen) {
    const host::ShownMessage& message = all[messagesSeen];
    EXPECT_EQ(message.caption, Text(IDS_MESSAGE_CAPTION));
    UINT found = 0;
    for (UINT id : kGroupMessages) {
      if (message.text == Text(id)) found = id;
    }
    shown.emplace_back(found, message.icon);
  }
  return shown;
}

int AvailableIndex(host::DialogView& dialog, const std::string& name, const std::string& number) {
  std::vector<std::vector<std::string>> rows = dialog.Rows(IDC_AVAILABLE_LIST);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i][0] == name && (number.empty() || rows[i][3] == number)) return static_cast<int>(i);
  }
  ADD_FAILURE() << "not in the available list: " << name << " " << number;
  return -1;
}

std::vector<int> AvailableIndexes(host::DialogView& dialog, const std::string& prefix) {
  std::vector<int> indexes;
  std::vector<std::string> names = dialog.Items(IDC_AVAILABLE_LIST);
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].rfind(prefix, 0) == 0) indexes.push_back(static_cast<int>(i));
  }
  return indexes;
}

} // namespace abktest
