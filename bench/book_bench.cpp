// Listing a book the way a host does (open the root container, take its contents table, read every
// row with one QueryRows) and preparing recipient rows, at several book sizes. The provider module is
// loaded by name through the substitute host; books are written once per size through the store
// library's exports.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/host_allocators.h"
#include "host/host_support.h"
#include "host/name_lookup.h"
#include "host/profile_section.h"
#include "host/provider_module.h"
#include "kit/store_kit.h"
#include "store/store_abi.h"

namespace {

const BYTE kUid[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};

// A book of `persons` persons with two fax numbers and `groups` groups of eight members each.
std::string MakeBook(int persons, int groups, std::vector<ULONG>* personIds) {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("abk-bench-" + std::to_string(persons) + "-" + std::to_string(groups) + ".adr"))
                         .string();
  std::filesystem::remove(path);
  HMODULE module = LoadLibraryA(storekit::LibraryBesideProgram().c_str());
  storekit::StoreExports store = storekit::BindExports(module);
  ULONG status = 0;
  ULONG handle = store.open(path.c_str(), &status);
  for (int i = 0; i < persons; ++i) {
    ULONG id = store.createContact(handle, &status);
    personIds->push_back(id);
    storekit::Records packed;
    std::string n = std::to_string(i);
    packed.Field(storekit::field::kDisplayName, "Person " + n);
    packed.Field(storekit::field::kGivenName, "First" + n);
    packed.Field(storekit::field::kSurname, "Last" + n);
    packed.Field(storekit::field::kCompany, "Company " + n);
    packed.Field(storekit::field::kPrimaryFax, "01-23-45-" + n);
    packed.Field(storekit::field::kPrimaryDescription, "office");
    packed.Field(storekit::field::kSecondaryFax, "06-78-90-" + n);
    packed.Field(storekit::field::kSecondaryDescription, "home");
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
  }
  for (int g = 0; g < groups; ++g) {
    ULONG id = store.createGroup(handle, &status);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "Group " + std::to_string(g));
    for (int m = 0; m < 8; ++m)
      packed.Member((*personIds)[(g * 8 + m) % personIds->size()], 3);
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
  }
  store.close(handle);
  FreeLibrary(module);
  return path;
}

struct OpenBook {
  host::ProviderModule module;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK session = nullptr;
  std::vector<ULONG> persons;
  std::string path;

  explicit OpenBook(int entries) {
    path = MakeBook(entries / 2, entries / 2, &persons);
    module.Load(host::ProgramFolder() + "libabkprv01.so");
    profile.SetString(PR_DISPLAY_NAME, "bench");
    profile.SetBinary(PR_SERVICE_UID, kUid, 16);
    profile.SetString(PR_AB_FILE_PATH, path);
    module.Open(&support, &profile, &session);
  }
  ~OpenBook() {
    if (session) session->Release();
    std::filesystem::remove(path);
  }
};

OpenBook& BookOf(int entries) {
  static std::map<int, OpenBook*> books;
  OpenBook*& book = books[entries];
  if (!book) book = new OpenBook(entries);
  return *book;
}

// Reads every row of a view with one QueryRows, as hosts list a book, and frees them; the rows read.
ULONG ReadEveryRow(LPMAPITABLE table) {
  LPSRowSet rows = nullptr;
  table->QueryRows(0x7FFFFFFF, 0, &rows);
  ULONG count = rows->cRows;
  for (ULONG r = 0; r < count; ++r)
    HostFreeBuffer(rows->aRow[r].lpProps);
  HostFreeBuffer(rows);
  return count;
}

void ListRootContainer(benchmark::State& state) {
  OpenBook& book = BookOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ULONG type = 0;
    LPUNKNOWN object = nullptr;
    book.session->OpenEntry(0, nullptr, nullptr, 0, &type, &object);
    auto* root = static_cast<IABContainer*>(object);
    LPMAPITABLE table = nullptr;
    root->GetContentsTable(0, &table);
    if (ReadEveryRow(table) != static_cast<ULONG>(state.range(0))) state.SkipWithError("wrong row count");
    table->Release();
    root->Release();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ListRootContainer)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond)->Complexity();

void PrepareRecips256(benchmark::State& state) {
  OpenBook& book = BookOf(6000);
  SizedSPropTagArray(2, tags) = {2, {PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER}};
  for (auto _ : state) {
    state.PauseTiming();
    void* block = nullptr;
    HostAllocateBuffer(CbNewADRLIST(256), &block);
    auto* list = static_cast<ADRLIST*>(block);
    list->cEntries = 256;
    for (ULONG i = 0; i < 256; ++i) {
      void* values = nullptr;
      HostAllocateBuffer(sizeof(SPropValue), &values);
      void* id = nullptr;
      HostAllocateMore(40, values, &id);
      memset(id, 0, 40);
      memcpy(static_cast<BYTE*>(id) + 4, kUid, 16);
      ULONG keys[4] = {0xFFFFFFFF, 4, book.persons[i], 6};
      memcpy(static_cast<BYTE*>(id) + 24, keys, 16);
      auto* value = static_cast<LPSPropValue>(values);
      value->ulPropTag = PR_ENTRYID;
      value->Value.bin = {40, static_cast<LPBYTE>(id)};
      list->aEntries[i].cValues = 1;
      list->aEntries[i].rgPropVals = value;
    }
    state.ResumeTiming();
    book.session->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&tags), list);
    state.PauseTiming();
    for (ULONG i = 0; i < 256; ++i)
      HostFreeBuffer(list->aEntries[i].rgPropVals);
    HostFreeBuffer(list);
    state.ResumeTiming();
  }
}
BENCHMARK(PrepareRecips256)->Unit(benchmark::kMillisecond);

// The root container with its contents table already built, as a host holds it while the user types.
IABContainer* WarmRoot(OpenBook& book) {
  ULONG type = 0;
  LPUNKNOWN object = nullptr;
  book.session->OpenEntry(0, nullptr, nullptr, 0, &type, &object);
  auto* root = static_cast<IABContainer*>(object);
  LPMAPITABLE table = nullptr;
  root->GetContentsTable(0, &table);
  table->Release();
  return root;
}

// One typed name resolved among every entry of the book: one exact match, as a host sends it.
void ResolveOneName(benchmark::State& state) {
  OpenBook& book = BookOf(static_cast<int>(state.range(0)));
  IABContainer* root = WarmRoot(book);
  SizedSPropTagArray(3, tags) = {3, {PR_ENTRYID, PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER}};
  for (auto _ : state) {
    state.PauseTiming();
    auto* names = new host::TypedNames;
    names->Make({"person 123"});
    state.ResumeTiming();
    root->ResolveNames(reinterpret_cast<LPSPropTagArray>(&tags), 0, names->List(), names->Flags());
    state.PauseTiming();
    bool resolved = names->Flag(0) == MAPI_RESOLVED;
    delete names;
    if (!resolved) {
      state.SkipWithError("not resolved");
      break;
    }
    state.ResumeTiming();
  }
  root->Release();
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ResolveOneName)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond)->Complexity();

// New views of the root's table, each narrowed or ordered by `shape` and read whole; every read must
// give `expected` rows.
template <class Shape> void ReadShapedViews(benchmark::State& state, IABContainer* root, Shape shape, ULONG expected) {
  for (auto _ : state) {
    LPMAPITABLE table = nullptr;
    root->GetContentsTable(0, &table);
    shape(table);
    if (ReadEveryRow(table) != expected) state.SkipWithError("wrong row count");
    table->Release();
  }
  root->Release();
  state.SetComplexityN(state.range(0));
}

// A restriction on PR_ANR: "last12" stands for Last12, Last120 to Last129 and Last1200 to Last1299 where
// the book has them.
void RestrictAndReadMatches(benchmark::State& state) {
  OpenBook& book = BookOf(static_cast<int>(state.range(0)));
  host::AnrRestriction anr("last12");
  ULONG expected = 0;
  for (size_t i = 0; i < book.persons.size(); ++i)
    expected += std::to_string(i).starts_with("12");
  ReadShapedViews(
      state, WarmRoot(book), [&](LPMAPITABLE table) { table->Restrict(anr.Get(), 0); }, expected);
}
BENCHMARK(RestrictAndReadMatches)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond)->Complexity();

// The whole book sorted by name.
void SortAndReadAll(benchmark::State& state) {
  SizedSSortOrderSet(1, byName) = {1, 0, 0, {{PR_DISPLAY_NAME_A, TABLE_SORT_DESCEND}}};
  auto sort = [&](LPMAPITABLE table) { table->SortTable(reinterpret_cast<LPSSortOrderSet>(&byName), 0); };
  ReadShapedViews(state, WarmRoot(BookOf(static_cast<int>(state.range(0)))), sort, static_cast<ULONG>(state.range(0)));
}
BENCHMARK(SortAndReadAll)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

// glibc gives freed memory back to the system after each round and faults it in again page by page
// on the next; a host keeps its heap, so the benchmark keeps it too and measures the provider.
int main(int argc, char** argv) {
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
