// Fuzz target: the provider's table data and its views, driven by the input as a small program of
// row changes, reads, seeks, bookmarks and column sets.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_values.h"
#include "host/host_allocators.h"
#include "provider/module_state.h"
#include "tables/table_data.h"

using namespace abkfuzz;

namespace {

// The index column's tag: mostly the binary key the containers use, sometimes a key of another type.
ULONG IndexTagOf(uint8_t pick) {
  static const ULONG kTypes[] = {PT_LONG, PT_I2, PT_BOOLEAN, PT_CLSID, PT_STRING8, PT_UNICODE, PT_R4, PT_DOUBLE, PT_I8};
  if (pick < 128) return PR_INSTANCE_KEY;
  return PROP_TAG(kTypes[pick % (sizeof kTypes / sizeof kTypes[0])], 0x6700);
}

// A small key of the index type, so that rows meet again.
void SmallKey(uint8_t shape, void* parent, SPropValue& value) {
  ULONG number = shape % 12;
  void* block = nullptr;
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_BINARY:
  case PT_CLSID:
    if (HostAllocateMore(16, parent, &block) != S_OK) return;
    memset(block, 0, 16);
    memcpy(block, &number, 4);
    if (PROP_TYPE(value.ulPropTag) == PT_CLSID)
      value.Value.lpguid = static_cast<LPGUID>(block);
    else
      value.Value.bin = {4, static_cast<LPBYTE>(block)};
    return;
  case PT_STRING8:
  case PT_UNICODE:
    if (HostAllocateMore(4, parent, &block) != S_OK) return;
    memset(block, 0, 4);
    static_cast<BYTE*>(block)[0] = static_cast<BYTE>('a' + number);
    value.Value.lpszA = static_cast<LPSTR>(block);
    return;
  case PT_R4:
    value.Value.flt = static_cast<float>(number) * 0.75f;
    return;
  case PT_DOUBLE:
    value.Value.dbl = static_cast<double>(number) * 0.75;
    return;
  default:
    value.Value.li.QuadPart = number;
    return;
  }
}

// The index value: mostly a small key of the index type; sometimes any value of it, or another tag.
void KeyValue(FuzzInput& in, ULONG indexTag, void* parent, SPropValue& value) {
  uint8_t shape = in.Byte();
  value.ulPropTag = shape < 240 ? indexTag : FuzzTag(in);
  memset(&value.Value, 0, sizeof value.Value);
  if (shape < 200) {
    SmallKey(shape, parent, value);
    return;
  }
  FuzzValue(in, parent, value);
}

// A row of up to six values, the index value first unless the input says otherwise.
void ModifyRow(FuzzInput& in, ULONG indexTag, abk::TableData* table) {
  ULONG count = in.Below(7);
  LPSPropValue values = FuzzValues(in, count);
  if (!values) return;
  uint8_t keyAt = in.Byte();
  if (count && keyAt < 224) KeyValue(in, indexTag, values, values[keyAt % count]);
  SRow row{0, count, values};
  table->HrModifyRow(&row);
  HostFreeBuffer(values);
}

LPSPropValue OneKey(FuzzInput& in, ULONG indexTag) {
  void* block = nullptr;
  if (HostAllocateBuffer(sizeof(SPropValue), &block) != S_OK) return nullptr;
  auto* value = static_cast<LPSPropValue>(block);
  memset(value, 0, sizeof *value);
  KeyValue(in, indexTag, block, *value);
  return value;
}

void FreeRows(LPSRowSet rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i)
    HostFreeBuffer(rows->aRow[i].lpProps);
  HostFreeBuffer(rows);
}

BOOKMARK Origin(FuzzInput& in, const std::vector<BOOKMARK>& bookmarks) {
  uint8_t pick = in.Byte();
  if (pick < 150) return pick % 3; // beginning, current, end
  if (pick < 240 && !bookmarks.empty()) return bookmarks[pick % bookmarks.size()];
  return in.Word();
}

LONG Count(FuzzInput& in) {
  uint8_t pick = in.Byte();
  if (pick < 240) return static_cast<LONG>(pick % 32) - 16;
  return static_cast<LONG>(in.Word());
}

// A restriction of the kinds hosts send, now and then another kind, a few levels deep. Everything it points
// at lives in the store, for as long as one step.
struct RestrictionStore {
  std::deque<SRestriction> nodes;
  std::deque<std::vector<SRestriction>> lists;
  std::deque<SPropValue> values;
  std::deque<std::string> texts;
};

// Short texts from letters that fold into each other (H, h, e, é in the book's code page, space, -).
LPSTR FuzzText(FuzzInput& in, RestrictionStore& store) {
  static const char kLetters[] = {'H', 'h', 'e', '\xE9', ' ', '-', 'a', '\xC6'};
  std::string& text = store.texts.emplace_back();
  for (ULONG n = in.Below(5); n > 0; --n)
    text += kLetters[in.Below(sizeof kLetters)];
  return text.data();
}

SRestriction* FuzzRestriction(FuzzInput& in, RestrictionStore& store, int depth) {
  SRestriction& r = store.nodes.emplace_back();
  SPropValue& value = store.values.emplace_back();
  uint8_t kind = in.Byte();
  r.rt = depth > 3 ? RES_PROPERTY + kind % 2 : kind % 6;
  switch (r.rt) {
  case RES_AND:
  case RES_OR: {
    std::vector<SRestriction>& list = store.lists.emplace_back();
    for (ULONG n = in.Below(4); n > 0; --n)
      list.push_back(*FuzzRestriction(in, store, depth + 1));
    r.res.resAnd = {static_cast<ULONG>(list.size()), list.data()};
    return &r;
  }
  case RES_NOT:
    r.res.resNot = {0, FuzzRestriction(in, store, depth + 1)};
    return &r;
  case RES_CONTENT:
    value.ulPropTag = kind & 0x40 ? PR_COMMENT_A : PR_DISPLAY_NAME_A;
    value.Value.lpszA = FuzzText(in, store);
    r.res.resContent = {in.Below(4) | (kind & 0x80 ? FL_IGNORECASE : 0u), value.ulPropTag, &value};
    return &r;
  case RES_PROPERTY:
    if (kind & 0x40) {
      value.ulPropTag = PR_OBJECT_TYPE;
      value.Value.l = in.Below(8);
      r.res.resProperty = {in.Below(7), PR_OBJECT_TYPE, &value};
      return &r;
    }
    value.ulPropTag = PR_ANR_A;
    value.Value.lpszA = FuzzText(in, store);
    r.res.resProperty = {kind & 0x80 ? in.Below(7) : RELOP_EQ, PR_ANR_A, &value};
    return &r;
  default:
    r.rt = in.Below(12);
    r.res.resExist = {0, FuzzTag(in), 0};
    return &r;
  }
}

struct Program {
  ULONG indexTag = PR_INSTANCE_KEY;
  SizedSPropTagArray(4, columns) = {4, {PR_DISPLAY_NAME_A, PR_INSTANCE_KEY, PR_OBJECT_TYPE, PR_COMMENT_A}};
  abk::TableData* table = nullptr;
  std::vector<LPMAPITABLE> views;
  std::vector<BOOKMARK> bookmarks;

  LPMAPITABLE View(FuzzInput& in) { return views.empty() ? nullptr : views[in.Below(views.size())]; }
  void Step(FuzzInput& in);
};

void Program::Step(FuzzInput& in) {
  uint8_t op = in.Byte();
  switch (op % 16) {
  case 0:
  case 1:
    ModifyRow(in, indexTag, table);
    return;
  case 2: {
    LPSPropValue key = OneKey(in, indexTag);
    if (!key) return;
    table->HrDeleteRow(key);
    HostFreeBuffer(key);
    return;
  }
  case 3: {
    LPSPropValue key = OneKey(in, indexTag);
    if (!key) return;
    LPSRow row = nullptr;
    ULONG index = 0;
    if (SUCCEEDED(table->HrQueryRow(key, &row, op & 0x80 ? nullptr : &index)) && row) HostFreeBuffer(row);
    HostFreeBuffer(key);
    return;
  }
  case 4: {
    LPSRow row = nullptr;
    if (SUCCEEDED(table->HrEnumRow(in.Byte() < 240 ? in.Below(16) : in.Word(), &row)) && row) HostFreeBuffer(row);
    return;
  }
  case 5: {
    if (views.size() >= 4) return;
    LPMAPITABLE view = nullptr;
    if (FAILED(table->HrGetView(nullptr, nullptr, 0, &view)) || !view) return;
    views.push_back(view);
    return;
  }
  case 6: {
    if (views.empty()) return;
    size_t which = in.Below(views.size());
    views[which]->Release();
    views.erase(views.begin() + which);
    // Bookmarks belong to their view; the others' stay, and a stale one is a fair thing to try.
    return;
  }
  }
  LPMAPITABLE view = View(in);
  if (!view) return;
  switch (op % 16) {
  case 7:
  case 8: {
    LPSRowSet rows = nullptr;
    if (SUCCEEDED(view->QueryRows(Count(in), op & 0x80 ? TBL_NOADVANCE : 0, &rows))) FreeRows(rows);
    return;
  }
  case 9: {
    LONG sought = 0;
    view->SeekRow(Origin(in, bookmarks), Count(in), op & 0x80 ? nullptr : &sought);
    return;
  }
  case 10: {
    ULONG numerator = in.Below(8), denominator = in.Below(8);
    if (op & 0x80) numerator = in.Word();
    view->SeekRowApprox(numerator, denominator);
    return;
  }
  case 11: {
    BOOKMARK bookmark = 0;
    if (op & 0x80) {
      view->FreeBookmark(Origin(in, bookmarks));
      return;
    }
    if (SUCCEEDED(view->CreateBookmark(&bookmark))) bookmarks.push_back(bookmark);
    return;
  }
  case 12: {
    LPSPropTagArray tags = FuzzTags(in, in.Below(7));
    if (!tags) return;
    view->SetColumns(tags, 0);
    HostFreeBuffer(tags);
    return;
  }
  case 13: {
    ULONG count = 0, row = 0, numerator = 0, denominator = 0;
    view->GetRowCount(0, &count);
    view->QueryPosition(&row, &numerator, &denominator);
    LPSPropTagArray columns = nullptr;
    if (SUCCEEDED(view->QueryColumns(op & 0x80 ? TBL_ALL_COLUMNS : 0, &columns)) && columns) HostFreeBuffer(columns);
    return;
  }
  case 14: {
    RestrictionStore store;
    SRestriction* restriction = FuzzRestriction(in, store, 0);
    uint8_t how = in.Byte();
    if (how & 1)
      view->Restrict(how & 2 ? nullptr : restriction, 0);
    else
      view->FindRow(how & 2 ? nullptr : restriction, Origin(in, bookmarks), how & 4 ? DIR_BACKWARD : 0);
    if (how & 8) {
      SSortOrderSet sort = {in.Below(3), 0, 0, {{how & 16 ? FuzzTag(in) : PR_DISPLAY_NAME_A, in.Below(3)}}};
      view->SortTable(&sort, 0);
    }
    LPSSortOrderSet order = nullptr;
    if (SUCCEEDED(view->QuerySortOrder(&order)) && order) HostFreeBuffer(order);
    return;
  }
  default: {
    ULONG status = 0, type = 0;
    view->GetStatus(&status, &type);
    return;
  }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = false;
  static long liveBlocks = 0;
  if (!ready) {
    abk::AllocateBuffer = HostAllocateBuffer;
    abk::AllocateMore = HostAllocateMore;
    abk::FreeBuffer = HostFreeBuffer;
    liveBlocks = host::LiveBlocks();
    ready = true;
  }
  long badFrees = host::BadFrees();
  FuzzInput in(data, size);
  Program program;
  program.indexTag = IndexTagOf(in.Byte());
  program.columns.aulPropTag[1] = program.indexTag;
  if (CreateTableData(nullptr, 0, TBLTYPE_DYNAMIC, program.indexTag,
                      reinterpret_cast<LPSPropTagArray>(&program.columns), &program.table) != S_OK)
    abort();
  for (int step = 0; step < 64 && !in.Empty(); ++step)
    program.Step(in);
  for (LPMAPITABLE view : program.views)
    view->Release();
  program.table->Release();
  if (host::LiveBlocks() != liveBlocks || host::BadFrees() != badFrees) {
    fprintf(stderr, "host blocks left alive: %ld, bad frees: %ld\n", host::LiveBlocks() - liveBlocks,
            host::BadFrees() - badFrees);
    abort();
  }
  return 0;
}
