// The provider's own heap for its private objects (never for blocks handed to the host). Allocation
// failure comes back as null, never as an exception, so every caller can turn it into E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace abk {

void* HeapAllocate(size_t size);
void HeapFree(void* block);

// Hook for failure sweeps: when set, called before every heap allocation; returning true fails it.
using HeapFailureHook = bool (*)(size_t size);
void SetHeapFailureHook(HeapFailureHook hook);

template <class T, class... Args> T* HeapNew(Args&&... args) {
  void* block = HeapAllocate(sizeof(T));
  if (!block) return nullptr;
  return new (block) T(std::forward<Args>(args)...);
}

template <class T> void HeapDelete(T* object) {
  if (!object) return;
  object->~T();
  HeapFree(object);
}

} // namespace abk
