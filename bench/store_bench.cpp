// The store library's costs on a book of 3000 persons and 3000 groups, through its exports as the provider
// calls them: opening an unchanged book, reading one entry, saving one change, loading the book cold.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/syscall_counts.h"
#include "kit/store_kit.h"
#include "platform/platform.h"
#include "store/store_abi.h"

namespace {

const storekit::StoreExports& Api() {
  static const storekit::StoreExports store =
      storekit::BindExports(LoadLibraryA(storekit::LibraryBesideProgram().c_str()));
  return store;
}

// A person as the person dialog saves one: twelve fields.
storekit::Records Person(int n) {
  using namespace storekit::field;
  storekit::Records records;
  std::string number = std::to_string(n);
  const ULONG fields[] = {kDisplayName,
                          kGivenName,
                          kSurname,
                          kComment,
                          kCompany,
                          kDepartment,
                          kPrimaryFax,
                          kPrimaryDescription,
                          kPrimaryExtra1,
                          kSecondaryFax,
                          kSecondaryDescription,
                          kSecondaryExtra1};
  for (ULONG field : fields)
    records.Field(field, "value " + std::to_string(field) + " of person " + number);
  return records;
}

const int kPersons = 3000;
const int kGroups = 3000;

std::string BenchFolder() {
  static const std::string folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("abk-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path.string();
  }();
  return folder;
}

// A benchmark book: 3000 persons and 3000 groups of two fields and four members each.
std::string MakeBook(const std::string& name) {
  std::string book = BenchFolder() + "/" + name;
  const storekit::StoreExports& api = Api();
  ULONG status = 0;
  ULONG handle = api.open(book.c_str(), &status);
  for (int i = 0; i < kPersons; ++i) {
    ULONG id = api.createContact(handle, &status);
    storekit::Records records = Person(i);
    StoreRecordBlock block = records.Block();
    api.setProps(handle, id, &status, &block);
  }
  for (int i = 0; i < kGroups; ++i) {
    ULONG id = api.createGroup(handle, &status);
    storekit::Records records;
    records.Field(storekit::field::kDisplayName, "group " + std::to_string(i));
    records.Field(storekit::field::kComment, "a group of four");
    for (int m = 0; m < 4; ++m)
      records.Member(static_cast<ULONG>((i * 4 + m) % kPersons + 1), 3);
    StoreRecordBlock block = records.Block();
    api.setProps(handle, id, &status, &block);
  }
  api.close(handle);
  return book;
}

// The book the benchmarks read and change.
const std::string& BenchBook() {
  static const std::string path = MakeBook("bench.adr");
  return path;
}

// Per iteration: the flushes, file-status calls and opens since `before`.
void Count(benchmark::State& state, const bench::SyscallCounts& before) {
  bench::SyscallCounts spent = bench::CountsNow() - before;
  auto perIteration = [&](long n) {
    return benchmark::Counter(static_cast<double>(n) / static_cast<double>(state.iterations()));
  };
  state.counters["flushes"] = perIteration(spent.flushes);
  state.counters["stats"] = perIteration(spent.stats);
  state.counters["opens"] = perIteration(spent.opens);
}

// Opening the book when nothing changed since this process last read it: one file-status call.
void BM_OpenUnchangedBook(benchmark::State& state) {
  const storekit::StoreExports& api = Api();
  const char* path = BenchBook().c_str();
  ULONG status = 0;
  api.close(api.open(path, &status));
  bench::SyscallCounts before = bench::CountsNow();
  for (auto _ : state) {
    ULONG handle = api.open(path, &status);
    benchmark::DoNotOptimize(handle);
    api.close(handle);
  }
  Count(state, before);
}
BENCHMARK(BM_OpenUnchangedBook);

// One entry read as the provider reads it: open, count, fill, close.
void BM_ReadOneRecord(benchmark::State& state) {
  const storekit::StoreExports& api = Api();
  const char* path = BenchBook().c_str();
  std::vector<BYTE> buffer(12 * STORE_FIELD_RECORD_SIZE);
  ULONG status = 0;
  ULONG id = 1;
  for (auto _ : state) {
    ULONG handle = api.open(path, &status);
    ULONG count = api.getProps(handle, id, &status, nullptr);
    StoreRecordBlock block = {count, buffer.data()};
    benchmark::DoNotOptimize(api.getProps(handle, id, &status, &block));
    api.close(handle);
    id = id % kPersons + 1;
  }
}
BENCHMARK(BM_ReadOneRecord);

// One person saved: open, one append and one flush, close (with the compactions that come due).
void BM_AppendOneChange(benchmark::State& state) {
  const storekit::StoreExports& api = Api();
  const char* path = BenchBook().c_str();
  ULONG status = 0;
  static int n = 0; // never the same records twice, across the benchmark's runs too
  bench::SyscallCounts before = bench::CountsNow();
  for (auto _ : state) {
    storekit::Records records = Person(kPersons + ++n);
    StoreRecordBlock block = records.Block();
    ULONG handle = api.open(path, &status);
    if (!api.setProps(handle, static_cast<ULONG>(n % kPersons + 1), &status, &block))
      state.SkipWithError("SetProps failed");
    if (!api.close(handle)) state.SkipWithError("the commit failed");
  }
  Count(state, before);
}
BENCHMARK(BM_AppendOneChange);

// Every entry of the book read as the root container's contents table reads them: the id list, then for
// each entry open, count, fill, close.
void BM_ReadEveryEntry(benchmark::State& state) {
  const storekit::StoreExports& api = Api();
  const char* path = BenchBook().c_str();
  std::vector<ULONG> ids(kPersons + kGroups);
  std::vector<BYTE> buffer(16 * STORE_FIELD_RECORD_SIZE);
  ULONG status = 0;
  for (auto _ : state) {
    ULONG handle = api.open(path, &status);
    StoreIdList list = {static_cast<ULONG>(ids.size()), ids.data()};
    api.getRecordId(handle, STORE_SELECT_ALL_ENTRIES, &status, &list);
    api.close(handle);
    for (ULONG i = 0; i < list.count; ++i) {
      handle = api.open(path, &status);
      ULONG count = api.getProps(handle, ids[i], &status, nullptr);
      StoreRecordBlock block = {count, buffer.data()};
      api.getProps(handle, ids[i], &status, &block);
      api.close(handle);
    }
  }
}
BENCHMARK(BM_ReadEveryEntry)->Unit(benchmark::kMillisecond);

// The book read by a process that has not read it before (the file itself in the system's cache): each
// round opens a new copy of it, a file of its own, so nothing parsed earlier is reused. Also what the
// parsed book takes of the heap, beside the file's size.
void BM_LoadBookCold(benchmark::State& state) {
  const storekit::StoreExports& api = Api();
  // A book of its own, which no other benchmark changes: as compact as a freshly written one.
  static const std::string book = MakeBook("cold.adr");
  ULONG status = 0;
  int n = 0;
  size_t heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = book + ".cold" + std::to_string(++n);
    std::filesystem::copy_file(book, copy);
    size_t heapBefore = mallinfo2().uordblks;
    state.ResumeTiming();
    ULONG handle = api.open(copy.c_str(), &status);
    if (handle == STORE_BAD_HANDLE) state.SkipWithError("OpenAddressBook failed");
    state.PauseTiming();
    heap = mallinfo2().uordblks - heapBefore; // the book as the library keeps it while it is open
    state.ResumeTiming();
    api.close(handle);
    state.PauseTiming();
    std::filesystem::remove(copy);
    state.ResumeTiming();
  }
  double bytes = static_cast<double>(std::filesystem::file_size(book));
  state.counters["bytes"] = bytes;
  state.counters["heap"] = static_cast<double>(heap);
  state.counters["heap/bytes"] = static_cast<double>(heap) / bytes;
}
BENCHMARK(BM_LoadBookCold)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Api().open) {
    std::fprintf(stderr, "libbkconv.so not found beside the benchmark\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove_all(BenchFolder());
  return 0;
}
