// The reference count of a COM object. Counting takes no lock: the count is the only state AddRef and
// Release touch, and the Release that takes it to 0 is the one that destroys the object.
#pragma once

#include <atomic>

#include "platform/platform.h"

namespace abk {

class RefCount final {
public:
  explicit RefCount(LONG initial = 0) : count_(initial) {}
  RefCount(const RefCount&) = delete;
  RefCount& operator=(const RefCount&) = delete;

  // The count after the change, as AddRef and Release answer it.
  ULONG Add() { return static_cast<ULONG>(++count_); }
  ULONG Drop() { return static_cast<ULONG>(--count_); }

private:
  std::atomic<LONG> count_;
};

} // namespace abk
