// Holding a critical section for one scope, and the order the provider's locks are taken in.
//
// Lock order: a thread holding one of these locks takes only locks further down the list.
//   1. container   ABContainer::containerLock_   its contents table and the group's member list
//   2. properties  PropObject::propLock_         an object's property list
//   3. view        TableView::lock_              a view's columns, position and bookmarks
//   4. table       TableData::lock_              a table's rows
//   5. advise list AdviseList::lock_             the session's registrations
// Reference counts take no lock (RefCount). No provider lock is held while the provider calls the host:
// advise sinks and the support object run with every lock released. Two host calls are made under a lock
// because they cannot call back into the provider: the host's allocators, and the AddRef that keeps each
// advise sink alive through a notification while another thread may unadvise it.
#pragma once

#include "platform/platform.h"

namespace abk {

class ScopedLock final {
public:
  explicit ScopedLock(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  ~ScopedLock() { LeaveCriticalSection(&lock_); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

private:
  CRITICAL_SECTION& lock_;
};

} // namespace abk
