// The group dialog on a full book: 3000 persons with two fax numbers and 3000 groups, one of them with
// 256 members. Opening that group's dialog (and cancelling), and opening it and saving it with a new
// keyword (every member written again), through Details on the loaded provider module and the dialog
// driver.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/syscall_counts.h"
#include "host/dialog_driver.h"
#include "host/host_allocators.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "host/provider_module.h"
#include "kit/store_kit.h"
#include "resources/resource.h"
#include "store/store_abi.h"

namespace {

const BYTE kUid[16] = {7, 7, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
constexpr int kPersons = 3000;
constexpr int kGroups = 3000;
constexpr int kMembers = 256;
constexpr int kGroupDialog = IDD_GROUP;

// The book; the record id of the 256-member group comes back in *bigGroup.
std::string MakeBook(ULONG* bigGroup) {
  std::string path = (std::filesystem::temp_directory_path() / "abk-group-bench.adr").string();
  std::filesystem::remove(path);
  HMODULE module = LoadLibraryA(storekit::LibraryBesideProgram().c_str());
  storekit::StoreExports store = storekit::BindExports(module);
  ULONG status = 0;
  ULONG handle = store.open(path.c_str(), &status);
  std::vector<ULONG> persons;
  for (int i = 0; i < kPersons; ++i) {
    ULONG id = store.createContact(handle, &status);
    persons.push_back(id);
    storekit::Records packed;
    std::string n = std::to_string(i);
    packed.Field(storekit::field::kDisplayName, "Person " + n);
    packed.Field(storekit::field::kCompany, "Company " + n);
    packed.Field(storekit::field::kPrimaryFax, "01-23-45-" + n);
    packed.Field(storekit::field::kSecondaryFax, "06-78-90-" + n);
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
  }
  for (int g = 0; g < kGroups; ++g) {
    ULONG id = store.createGroup(handle, &status);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "Group " + std::to_string(g));
    int members = g == 0 ? kMembers : 8;
    for (int m = 0; m < members; ++m)
      packed.Member(persons[static_cast<size_t>(g * 8 + m) % persons.size()], g == 0 ? 1 : 3);
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
    if (g == 0) *bigGroup = id;
  }
  store.close(handle);
  FreeLibrary(module);
  return path;
}

struct Book {
  host::ProviderModule module;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK session = nullptr;
  std::string path;
  std::string groupId = std::string(40, '\0');

  Book() {
    ULONG group = 0;
    path = MakeBook(&group);
    module.Load(host::ProgramFolder() + "libabkprv01.so");
    profile.SetString(PR_DISPLAY_NAME, "bench");
    profile.SetBinary(PR_SERVICE_UID, kUid, 16);
    profile.SetString(PR_AB_FILE_PATH, path);
    module.Open(&support, &profile, &session);
    ULONG keys[4] = {0xFFFFFFFF, 4, group, 8};
    memcpy(&groupId[4], kUid, 16);
    memcpy(&groupId[24], keys, 16);
  }
  ~Book() {
    if (session) session->Release();
    std::filesystem::remove(path);
  }

  // Details on the big group, the dialog ended with the given button (after typing a keyword, when one
  // is given); false when it did not end so.
  bool RunDialog(int button, const std::string& keyword = "") {
    host::DialogDriver driver(module.Instance());
    bool ended = false;
    driver.OnDialog(kGroupDialog, [&](host::DialogView& dialog) {
      ended = dialog.Items(IDC_MEMBER_LIST).size() == kMembers;
      if (!keyword.empty()) dialog.Type(IDC_KEYWORD, keyword);
      dialog.Click(button);
      ended = ended && !dialog.IsOpen();
    });
    ULONG window = 0;
    HRESULT hr = session->Details(&window, nullptr, nullptr, 40, reinterpret_cast<LPENTRYID>(groupId.data()), nullptr,
                                  nullptr, nullptr, 0);
    return SUCCEEDED(hr) && ended && driver.Messages().empty();
  }
};

Book& TheBook() {
  static Book* book = new Book;
  return *book;
}

void OpenGroupDialog(benchmark::State& state) {
  Book& book = TheBook();
  for (auto _ : state) {
    if (!book.RunDialog(IDCANCEL)) state.SkipWithError("the group dialog did not open with its 256 members");
  }
}
BENCHMARK(OpenGroupDialog)->Unit(benchmark::kMillisecond);

// The save writes the group with a new keyword: its record set with all its members, and each member's
// chosen numbers, as one transaction.
void SaveGroupOf256(benchmark::State& state) {
  Book& book = TheBook();
  static int saves = 0;
  bench::SyscallCounts before = bench::CountsNow();
  for (auto _ : state) {
    if (!book.RunDialog(IDOK, "saved " + std::to_string(++saves))) state.SkipWithError("the group was not saved");
  }
  bench::SyscallCounts spent = bench::CountsNow() - before;
  state.counters["flushes"] = static_cast<double>(spent.flushes) / static_cast<double>(state.iterations());
}
BENCHMARK(SaveGroupOf256)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
