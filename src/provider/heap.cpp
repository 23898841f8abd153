// The provider's own heap: malloc underneath, with a hook that tests use to fail allocations in turn.
#include "provider/heap.h"

#include <cstdlib>

namespace abk {

static HeapFailureHook g_failureHook = nullptr;

void* HeapAllocate(size_t size) {
  if (g_failureHook && g_failureHook(size)) return nullptr;
  return std::malloc(size ? size : 1);
}

void HeapFree(void* block) { std::free(block); }

void SetHeapFailureHook(HeapFailureHook hook) { g_failureHook = hook; }

} // namespace abk
