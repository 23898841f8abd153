// Chained host blocks. Each block carries a header: a marker, its chain's top block and the next block
// of the chain. Freeing the top block frees the chain.
#include "host/host_allocators.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kTopMarker = 0x41424B54;   // 'ABKT'
constexpr uint32_t kChainMarker = 0x41424B43; // 'ABKC'
constexpr uint32_t kFreedMarker = 0x46524545; // 'FREE', left behind for debuggers

struct alignas(16) BlockHeader {
  uint32_t marker;
  BlockHeader* top;  // the chain's top block; itself for a top block
  BlockHeader* next; // next chained block
};

struct Counters {
  Counters() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  // Blocks are recognised by the marker in their header: a block freed twice, or a pointer that is not
  // a host block, shows up as a bad free (and, under AddressSanitizer, as the read of freed memory).
  long live = 0;
  long badFrees = 0;
  long allocations = 0;
  long failAt = 0; // allocation number (in allocations) that fails; 0 none
  bool failOnward = false;
  bool fired = false;
};

Counters& GetCounters() {
  static Counters counters;
  return counters;
}

class Locked {
public:
  Locked() { EnterCriticalSection(&GetCounters().lock); }
  ~Locked() { LeaveCriticalSection(&GetCounters().lock); }
};

BlockHeader* HeaderOf(LPVOID block) { return static_cast<BlockHeader*>(block) - 1; }

// Counts the allocation and says whether it is the one to fail. Called under the lock.
bool ShouldFail() {
  Counters& c = GetCounters();
  ++c.allocations;
  if (!c.failAt) return false;
  if (c.allocations == c.failAt || (c.failOnward && c.allocations > c.failAt)) {
    c.fired = true;
    return true;
  }
  return false;
}

BlockHeader* NewBlock(ULONG cbSize, uint32_t marker) {
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + (cbSize ? cbSize : 1)));
  if (!header) return nullptr;
  header->marker = marker;
  header->top = header;
  header->next = nullptr;
  // Fresh blocks are filled with a pattern, so code that reads what it never wrote shows up in tests.
  memset(header + 1, 0xCD, cbSize);
  ++GetCounters().live;
  return header;
}

} // namespace

SCODE WINAPI HostAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
  if (!lppBuffer) return MAPI_E_INVALID_PARAMETER;
  *lppBuffer = nullptr;
  Locked locked;
  if (ShouldFail()) return MAPI_E_NOT_ENOUGH_MEMORY;
  BlockHeader* header = NewBlock(cbSize, kTopMarker);
  if (!header) return MAPI_E_NOT_ENOUGH_MEMORY;
  *lppBuffer = header + 1;
  return S_OK;
}

SCODE WINAPI HostAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
  if (!lppBuffer) return MAPI_E_INVALID_PARAMETER;
  *lppBuffer = nullptr;
  if (!lpObject) return MAPI_E_INVALID_PARAMETER;
  Locked locked;
  BlockHeader* parent = HeaderOf(lpObject);
  if (parent->marker != kTopMarker && parent->marker != kChainMarker) return MAPI_E_INVALID_PARAMETER;
  if (ShouldFail()) return MAPI_E_NOT_ENOUGH_MEMORY;
  BlockHeader* header = NewBlock(cbSize, kChainMarker);
  if (!header) return MAPI_E_NOT_ENOUGH_MEMORY;
  BlockHeader* top = parent->top;
  header->top = top;
  header->next = top->next;
  top->next = header;
  *lppBuffer = header + 1;
  return S_OK;
}

ULONG WINAPI HostFreeBuffer(LPVOID lpBuffer) {
  if (!lpBuffer) return S_OK;
  Locked locked;
  BlockHeader* header = HeaderOf(lpBuffer);
  if (header->marker != kTopMarker) {
    ++GetCounters().badFrees;
    return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
  }
  while (header) {
    BlockHeader* next = header->next;
    --GetCounters().live;
    header->marker = kFreedMarker;
    std::free(header);
    header = next;
  }
  return S_OK;
}

namespace host {

long LiveBlocks() {
  Locked locked;
  return GetCounters().live;
}

long BadFrees() {
  Locked locked;
  return GetCounters().badFrees;
}

long AllocationCount() {
  Locked locked;
  return GetCounters().allocations;
}

void FailAllocation(long nth) {
  Locked locked;
  Counters& c = GetCounters();
  c.failAt = nth ? c.allocations + nth : 0;
  c.failOnward = false;
  c.fired = false;
}

void FailAllocationsFrom(long nth) {
  FailAllocation(nth);
  Locked locked;
  GetCounters().failOnward = nth != 0;
}

bool FailureFired() {
  Locked locked;
  return GetCounters().fired;
}

} // namespace host
