// Building stored rows and copying them out, both by projection onto a column set.
#include "tables/row_node.h"

#include <cstring>

#include "props/prop_values.h"
#include "provider/module_state.h"

namespace abk {

// Values start at the first suitably aligned offset after a header (a 32-bit SRow is 12 bytes, and an
// SPropValue holds doubles).
static constexpr size_t ValuesOffset(size_t header) {
  return (header + alignof(SPropValue) - 1) / alignof(SPropValue) * alignof(SPropValue);
}

static constexpr size_t kNodeValues = ValuesOffset(sizeof(RowNode));
static constexpr size_t kCopyValues = ValuesOffset(sizeof(SRow));

// Room for a header and count values, or 0 when that does not fit a 32-bit allocation size.
static ULONG BlockSize(size_t header, ULONG count) {
  unsigned long long size = header + static_cast<unsigned long long>(count) * sizeof(SPropValue);
  if (size > 0xFFFFFFFFull) return 0;
  return static_cast<ULONG>(size);
}

HRESULT ProjectValues(const SPropValue* source, ULONG sourceCount, const ULONG* tags, ULONG tagCount,
                      SPropValue* values, void* parent) {
  HRESULT hr = S_OK;
  for (ULONG i = 0; i < tagCount; ++i) {
    const SPropValue* found = FindPropValue(source, sourceCount, tags[i]);
    if (found) {
      hr = CopyPropValue(&values[i], found, parent);
      if (FAILED(hr)) return hr;
    } else {
      memset(&values[i], 0, sizeof values[i]);
      hr = MakeNotFoundValue(&values[i], tags[i]);
    }
  }
  return hr;
}

HRESULT BuildRowNode(const SRow& given, const SPropTagArray& columns, ULONG indexTag, RowNode** node) {
  ULONG size = BlockSize(kNodeValues, columns.cValues);
  if (!size) return E_OUTOFMEMORY;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(size, &block);
  if (FAILED(hr)) return hr;
  auto* built = static_cast<RowNode*>(block);
  auto* values = reinterpret_cast<SPropValue*>(static_cast<BYTE*>(block) + kNodeValues);
  memset(built, 0, sizeof *built);
  built->row.ulAdrEntryPad = given.ulAdrEntryPad;
  built->row.cValues = columns.cValues;
  built->row.lpProps = values;

  hr = ProjectValues(given.lpProps, given.cValues, columns.aulPropTag, columns.cValues, values, block);
  if (FAILED(hr)) {
    FreeBuffer(block);
    return hr;
  }
  built->key = FindPropValue(values, columns.cValues, indexTag);
  *node = built;
  return hr;
}

HRESULT CopyRowOut(const SRow& stored, const SPropTagArray& columns, LPSRow* copy) {
  ULONG size = BlockSize(kCopyValues, columns.cValues);
  if (!size) return E_OUTOFMEMORY;
  void* block = nullptr;
  HRESULT hr = AllocateBuffer(size, &block);
  if (FAILED(hr)) return hr;
  auto* row = static_cast<LPSRow>(block);
  auto* values = reinterpret_cast<SPropValue*>(static_cast<BYTE*>(block) + kCopyValues);
  row->ulAdrEntryPad = stored.ulAdrEntryPad;
  row->cValues = columns.cValues;
  row->lpProps = values;

  hr = ProjectValues(stored.lpProps, stored.cValues, columns.aulPropTag, columns.cValues, values, block);
  if (FAILED(hr)) {
    FreeBuffer(block);
    return hr;
  }
  *copy = row;
  return hr;
}

void FreeRowNode(RowNode* node) {
  if (node) FreeBuffer(node);
}

} // namespace abk
