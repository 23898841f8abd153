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
#include "platform/platform.h"
#include "store/store_abi.h"

namespace {

struct Store {
  STORE_OPENADDRESSBOOK* open = nullptr;
  STORE_CLOSEADDRESSBOOK* close = nullptr;
  STORE_CREATECONTACTENTRY* createContact = nullptr;
  STORE_CREATEGROUPENTRY* createGroup = nullptr;
  STORE_GETRECORDID* getRecordId = nullptr;
  STORE_GETPROPS* getProps = nullptr;
  STORE_SETPROPS* setProps = nullptr;
};

template <class T> void Resolve(HMODULE module, const char* name, T*& slot) {
  slot = reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Store& Api() {
  static const Store store = [] {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    folder = folder.substr(0, folder.find_last_of('/') + 1);
    Store s;
    HMODULE module = LoadLibraryA((folder + "libbkconv.so").c_str());
    if (!module) return s;
    Resolve(module, "OpenAddressBook", s.open);
    Resolve(module, "CloseAddressBook", s.close);
    Resolve(module, "CreateContactEntry", s.createContact);
    Resolve(module, "CreateGroupEntry", s.createGroup);
    Resolve(module, "GetRecordId", s.getRecordId);
    Resolve(module, "GetProps", s.getProps);
    Resolve(module, "SetProps", s.setProps);
    return s;
  }();
  return store;
}

void AddField(std::vector<BYTE>& records, ULONG id, const std::string& value) {
  StoreFieldRecord record = {};
  record.fieldId = id;
  memcpy(record.value, value.data(), value.size());
  const BYTE* p = reinterpret_cast<const BYTE*>(&record);
  records.insert(records.end(), p, p + sizeof record);
}

void AddMember(std::vector<BYTE>& records, ULONG member) {
  GroupMemberRecord record = {};
  record.marker = STORE_MEMBER_MARKER;
  record.memberId = member;
  record.faxSelection = 3;
  const BYTE* p = reinterpret_cast<const BYTE*>(&record);
  records.insert(records.end(), p, p + sizeof record);
}

// A person as the person dialog saves one: twelve fields.
std::vector<BYTE> Person(int n) {
  std::vector<BYTE> records;
  std::string number = std::to_string(n);
  const ULONG fields[] = {0x1, 0x3, 0x5, 0x8, 0x200, 0x201, 0x210, 0x211, 0x212, 0x110, 0x111, 0x112};
  for (ULONG field : fields)
    AddField(records, field, "value " + std::to_string(field) + " of person " + number);
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
  const Store& api = Api();
  ULONG status = 0;
  ULONG handle = api.open(book.c_str(), &status);
  for (int i = 0; i < kPersons; ++i) {
    ULONG id = api.createContact(handle, &status);
    std::vector<BYTE> records = Person(i);
    StoreRecordBlock block = {12, records.data()};
    api.setProps(handle, id, &status, &block);
  }
  for (int i = 0; i < kGroups; ++i) {
    ULONG id = api.createGroup(handle, &status);
    std::vector<BYTE> records;
    AddField(records, 0x1, "group " + std::to_string(i));
    AddField(records, 0x8, "a group of four");
    for (int m = 0; m < 4; ++m)
      AddMember(records, static_cast<ULONG>((i * 4 + m) % kPersons + 1));
    StoreRecordBlock block = {6, records.data()};
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
  const Store& api = Api();
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
  const Store& api = Api();
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
  const Store& api = Api();
  const char* path = BenchBook().c_str();
  ULONG status = 0;
  static int n = 0; // never the same records twice, across the benchmark's runs too
  bench::SyscallCounts before = bench::CountsNow();
  for (auto _ : state) {
    std::vector<BYTE> records = Person(kPersons + ++n);
    StoreRecordBlock block = {12, records.data()};
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
  const Store& api = Api();
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
  const Store& api = Api();
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
