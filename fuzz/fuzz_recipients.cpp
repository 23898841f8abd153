// Fuzz target: PrepareRecips (and the root container's ResolveNames) on recipient lists of any shape:
// any number of rows and values, any tags and types, identifiers of the book mixed in.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_book.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_values.h"

using namespace abkfuzz;

namespace {

// Turns one value of the row into an identifier the input picks (often one of the book's).
void PutId(FuzzInput& in, const FuzzBook& book, LPSPropValue values, ULONG count) {
  if (count == 0) return;
  SPropValue& value = values[in.Below(count)];
  std::string id = FuzzId(in, book);
  void* bytes = nullptr;
  if (HostAllocateMore(static_cast<ULONG>(id.size() ? id.size() : 1), values, &bytes) != S_OK) return;
  memcpy(bytes, id.data(), id.size());
  value.ulPropTag = PR_ENTRYID;
  value.Value.bin = {static_cast<ULONG>(id.size()), static_cast<LPBYTE>(bytes)};
}

LPADRLIST FuzzList(FuzzInput& in, const FuzzBook& book) {
  ULONG rows = in.Below(9);
  void* block = nullptr;
  if (HostAllocateBuffer(CbNewADRLIST(rows), &block) != S_OK) return nullptr;
  auto* list = static_cast<LPADRLIST>(block);
  list->cEntries = rows;
  for (ULONG r = 0; r < rows; ++r) {
    uint8_t shape = in.Byte();
    ULONG count = shape % 7;
    // Now and then a row longer than the provider's small bookkeeping of moved values.
    if (shape % 7 == 6 && in.Byte() < 24) count = 60 + in.Below(16);
    ADRENTRY& entry = list->aEntries[r];
    entry.ulReserved1 = 0;
    entry.cValues = count;
    entry.rgPropVals = nullptr;
    // A row that claims values but holds none: hosts leave such rows behind after a failed resolve.
    if (shape & 0x80 && count && in.Byte() < 16) continue;
    entry.rgPropVals = FuzzValues(in, count);
    if (!entry.rgPropVals) entry.cValues = 0;
    if (shape & 0x40) PutId(in, book, entry.rgPropVals, entry.cValues);
  }
  return list;
}

void FreeList(LPADRLIST list) {
  if (!list) return;
  for (ULONG r = 0; r < list->cEntries; ++r)
    if (list->aEntries[r].rgPropVals) HostFreeBuffer(list->aEntries[r].rgPropVals);
  HostFreeBuffer(list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzBook& book = Book();
  FuzzInput in(data, size);
  uint8_t mode = in.Byte();
  LPSPropTagArray tags = mode & 1 ? nullptr : FuzzTags(in, in.Below(9));
  LPADRLIST list = FuzzList(in, book);
  if (list) {
    if (mode & 2) {
      auto* root = static_cast<IABContainer*>(OpenThroughSession(book, "", 0));
      if (root) {
        LPFlagList flags = nullptr;
        void* block = nullptr;
        if (HostAllocateBuffer(static_cast<ULONG>(offsetof(FlagList, ulFlag) + (list->cEntries + 1) * sizeof(ULONG)),
                               &block) == S_OK) {
          flags = static_cast<LPFlagList>(block);
          flags->cFlags = list->cEntries;
          for (ULONG i = 0; i < list->cEntries; ++i)
            flags->ulFlag[i] = in.Below(4) == 0 ? MAPI_RESOLVED : MAPI_UNRESOLVED;
          root->ResolveNames(tags, 0, list, flags);
          HostFreeBuffer(flags);
        }
        root->Release();
      }
    }
    book.session->PrepareRecips(in.Byte() < 200 ? 0 : in.Word(), tags, list);
  }
  FreeList(list);
  if (tags) HostFreeBuffer(tags);
  CheckHostBlocks(book);
  return 0;
}
