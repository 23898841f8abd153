// The provider's tables at contents-table sizes: building one with HrModifyRow, reading it through a
// view one row at a time and all at once, and finding rows by index value. Rows are shaped like the
// root container's: 20 columns, a few strings, the 4-byte record number as index, a 40-byte entry
// identifier and two numbers. Each case runs twice: with the substitute host's allocators (which track
// every live block in a hash set, for the tests) and with plain chained allocators like a production
// host's, so that the tables' own cost can be told apart from the test host's bookkeeping.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "host/host_allocators.h"
#include "provider/module_state.h"
#include "tables/table_data.h"

namespace {

// The contents-table columns: fifteen strings, three binaries, two numbers.
SizedSPropTagArray(20, kColumns) = {20,
                                    {PR_DISPLAY_NAME_A,
                                     PR_ENTRYID,
                                     PR_ADDRTYPE_A,
                                     PR_COMPANY_NAME_A,
                                     PR_DEPARTMENT_NAME_A,
                                     PR_BUSINESS_FAX_NUMBER_A,
                                     PROP_TAG(PT_STRING8, 0x5801),
                                     PROP_TAG(PT_STRING8, 0x5802),
                                     PROP_TAG(PT_STRING8, 0x5803),
                                     PROP_TAG(PT_STRING8, 0x5807),
                                     PR_HOME_FAX_NUMBER_A,
                                     PROP_TAG(PT_STRING8, 0x5804),
                                     PROP_TAG(PT_STRING8, 0x5805),
                                     PROP_TAG(PT_STRING8, 0x5806),
                                     PROP_TAG(PT_STRING8, 0x5808),
                                     PR_COMMENT_A,
                                     PR_DISPLAY_TYPE,
                                     PR_SEARCH_KEY,
                                     PR_OBJECT_TYPE,
                                     PR_INSTANCE_KEY}};

LPSPropTagArray Columns() { return reinterpret_cast<LPSPropTagArray>(&kColumns); }

// The rows a container would hand over, with the bytes their values point to.
class SourceRows {
public:
  explicit SourceRows(ULONG count) {
    for (ULONG id = 1; id <= count; ++id) {
      std::vector<SPropValue> values;
      char name[32];
      snprintf(name, sizeof name, "Personne %05lu", static_cast<unsigned long>(id));
      String(values, PR_DISPLAY_NAME_A, name);
      String(values, PR_ADDRTYPE_A, "FAX");
      String(values, PR_COMPANY_NAME_A, "Orvex");
      String(values, PR_DEPARTMENT_NAME_A, "Ventes");
      String(values, PR_BUSINESS_FAX_NUMBER_A, "+33 1 23 45 67 89");
      String(values, PROP_TAG(PT_STRING8, 0x5801), "Bureau");
      String(values, PR_COMMENT_A, "client");
      std::string id40(40, '\0');
      memcpy(&id40[32], &id, sizeof id);
      Binary(values, PR_ENTRYID, id40);
      Binary(values, PR_INSTANCE_KEY, std::string(reinterpret_cast<const char*>(&id), sizeof id));
      Binary(values, PR_SEARCH_KEY, std::string(1, '\0'));
      Long(values, PR_DISPLAY_TYPE, DT_MAILUSER);
      Long(values, PR_OBJECT_TYPE, MAPI_MAILUSER);
      values_.push_back(std::move(values));
    }
    for (auto& values : values_)
      rows_.push_back({0, static_cast<ULONG>(values.size()), values.data()});
  }

  ULONG Count() const { return static_cast<ULONG>(rows_.size()); }
  LPSRow Row(ULONG i) { return &rows_[i]; }
  LPSPropValue Key(ULONG i) { return &values_[i][8]; }

private:
  void String(std::vector<SPropValue>& values, ULONG tag, const std::string& text) {
    bytes_.push_back(text);
    SPropValue v{};
    v.ulPropTag = tag;
    v.Value.lpszA = bytes_.back().data();
    values.push_back(v);
  }
  void Binary(std::vector<SPropValue>& values, ULONG tag, const std::string& bytes) {
    bytes_.push_back(bytes);
    SPropValue v{};
    v.ulPropTag = tag;
    v.Value.bin.cb = static_cast<ULONG>(bytes.size());
    v.Value.bin.lpb = reinterpret_cast<LPBYTE>(bytes_.back().data());
    values.push_back(v);
  }
  void Long(std::vector<SPropValue>& values, ULONG tag, LONG number) {
    SPropValue v{};
    v.ulPropTag = tag;
    v.Value.l = number;
    values.push_back(v);
  }

  std::deque<std::string> bytes_;
  std::vector<std::vector<SPropValue>> values_;
  std::vector<SRow> rows_;
};

// A production host's allocators: a block carries only the link to the next block of its chain.
struct alignas(16) PlainBlock {
  PlainBlock* next;
};

SCODE WINAPI PlainAllocateBuffer(ULONG size, LPVOID* block) {
  auto* header = static_cast<PlainBlock*>(malloc(sizeof(PlainBlock) + size));
  if (!header) return MAPI_E_NOT_ENOUGH_MEMORY;
  header->next = nullptr;
  *block = header + 1;
  return S_OK;
}

SCODE WINAPI PlainAllocateMore(ULONG size, LPVOID parent, LPVOID* block) {
  PlainBlock* top = static_cast<PlainBlock*>(parent) - 1;
  auto* header = static_cast<PlainBlock*>(malloc(sizeof(PlainBlock) + size));
  if (!header) return MAPI_E_NOT_ENOUGH_MEMORY;
  header->next = top->next;
  top->next = header;
  *block = header + 1;
  return S_OK;
}

ULONG WINAPI PlainFreeBuffer(LPVOID block) {
  if (!block) return S_OK;
  for (PlainBlock* header = static_cast<PlainBlock*>(block) - 1; header;) {
    PlainBlock* next = header->next;
    free(header);
    header = next;
  }
  return S_OK;
}

enum Allocators { kHost, kPlain };

template <Allocators kind> void UseAllocators() {
  abk::AllocateBuffer = kind == kHost ? HostAllocateBuffer : PlainAllocateBuffer;
  abk::AllocateMore = kind == kHost ? HostAllocateMore : PlainAllocateMore;
  abk::FreeBuffer = kind == kHost ? HostFreeBuffer : PlainFreeBuffer;
}

abk::TableData* BuildTable(SourceRows& source) {
  abk::TableData* table = nullptr;
  CreateTableData(&IID_IMAPITableData, 0, TBLTYPE_DYNAMIC, PR_INSTANCE_KEY, Columns(), &table);
  for (ULONG i = 0; i < source.Count(); ++i)
    table->HrModifyRow(source.Row(i));
  return table;
}

LPMAPITABLE NewView(abk::TableData* table) {
  LPMAPITABLE view = nullptr;
  table->HrGetView(nullptr, nullptr, 0, &view);
  return view;
}

void FreeRowSet(LPSRowSet rows) {
  for (ULONG i = 0; i < rows->cRows; ++i)
    abk::FreeBuffer(rows->aRow[i].lpProps);
  abk::FreeBuffer(rows);
}

template <Allocators kind> void BM_BuildTable(benchmark::State& state) {
  UseAllocators<kind>();
  SourceRows source(static_cast<ULONG>(state.range(0)));
  for (auto _ : state) {
    abk::TableData* table = BuildTable(source);
    benchmark::DoNotOptimize(table->RowCount());
    table->Release();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <Allocators kind> void BM_ReadOneRowAtATime(benchmark::State& state) {
  UseAllocators<kind>();
  SourceRows source(static_cast<ULONG>(state.range(0)));
  abk::TableData* table = BuildTable(source);
  for (auto _ : state) {
    LPMAPITABLE view = NewView(table);
    ULONG read = 0;
    for (;;) {
      LPSRowSet rows = nullptr;
      view->QueryRows(1, 0, &rows);
      ULONG got = rows->cRows;
      FreeRowSet(rows);
      if (!got) break;
      read += got;
    }
    benchmark::DoNotOptimize(read);
    view->Release();
  }
  table->Release();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <Allocators kind> void BM_ReadAllAtOnce(benchmark::State& state) {
  UseAllocators<kind>();
  SourceRows source(static_cast<ULONG>(state.range(0)));
  abk::TableData* table = BuildTable(source);
  for (auto _ : state) {
    LPMAPITABLE view = NewView(table);
    LPSRowSet rows = nullptr;
    view->QueryRows(static_cast<LONG>(state.range(0)), 0, &rows);
    benchmark::DoNotOptimize(rows->cRows);
    FreeRowSet(rows);
    view->Release();
  }
  table->Release();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Every row looked up once by its record number, as a container does before replacing or deleting.
template <Allocators kind> void BM_FindEveryRowByIndex(benchmark::State& state) {
  UseAllocators<kind>();
  SourceRows source(static_cast<ULONG>(state.range(0)));
  abk::TableData* table = BuildTable(source);
  for (auto _ : state) {
    for (ULONG i = 0; i < source.Count(); ++i) {
      LPSRow row = nullptr;
      ULONG position = 0;
      table->HrQueryRow(source.Key(i), &row, &position);
      benchmark::DoNotOptimize(position);
      abk::FreeBuffer(row);
    }
  }
  table->Release();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Every row deleted by its index value, first to last: each deletion must not move the rows after it.
template <Allocators kind> void BM_DeleteEveryRow(benchmark::State& state) {
  UseAllocators<kind>();
  SourceRows source(static_cast<ULONG>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    abk::TableData* table = BuildTable(source);
    state.ResumeTiming();
    for (ULONG i = 0; i < source.Count(); ++i)
      table->HrDeleteRow(source.Key(i));
    state.PauseTiming();
    table->Release();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK_TEMPLATE(BM_BuildTable, kHost)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_BuildTable, kPlain)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ReadOneRowAtATime, kHost)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ReadOneRowAtATime, kPlain)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ReadAllAtOnce, kHost)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ReadAllAtOnce, kPlain)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FindEveryRowByIndex, kHost)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_FindEveryRowByIndex, kPlain)->Arg(1500)->Arg(3000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_DeleteEveryRow, kPlain)->Arg(6000)->Arg(80000)->Unit(benchmark::kMillisecond);

} // namespace

// glibc gives the top of its heap back to the system once more than 128 KiB is free there, and faults
// it in again page by page on the next round: with a 6000-row table that alone triples the time of a
// round. A host keeps its heap, so the benchmark keeps it too and measures the tables, not the trimming.
int main(int argc, char** argv) {
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
