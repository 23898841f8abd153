// The session's advise registrations, kept in registration order.
#include "provider/advise_list.h"

#include <cstring>

#include "provider/heap.h"
#include "provider/scoped_lock.h"

namespace abk {

static void FreeRegistration(AdviseRegistration* registration) {
  HeapFree(registration->entryId);
  HeapFree(registration);
}

AdviseList::AdviseList() { InitializeCriticalSection(&lock_); }

ULONG AdviseList::Count() {
  ScopedLock list(lock_);
  return count_;
}

AdviseList::~AdviseList() {
  AdviseRegistration* registration = first_;
  while (registration) {
    AdviseRegistration* next = registration->next;
    FreeRegistration(registration);
    registration = next;
  }
  DeleteCriticalSection(&lock_);
}

HRESULT AdviseList::Add(ULONG entryIdSize, const void* entryId, ULONG eventMask, LPMAPIADVISESINK sink,
                        ULONG* connection) {
  auto* registration = static_cast<AdviseRegistration*>(HeapAllocate(sizeof(AdviseRegistration)));
  if (!registration) return E_OUTOFMEMORY;
  memset(registration, 0, sizeof *registration);

  if (entryIdSize && entryId) {
    registration->entryId = static_cast<BYTE*>(HeapAllocate(entryIdSize));
    if (!registration->entryId) {
      FreeRegistration(registration);
      return E_OUTOFMEMORY;
    }
    memcpy(registration->entryId, entryId, entryIdSize);
    registration->entryIdSize = entryIdSize;
  }
  registration->eventMask = eventMask;
  registration->sink = sink;

  ScopedLock list(lock_);
  registration->connection = ++lastConnection_;
  if (last_)
    last_->next = registration;
  else
    first_ = registration;
  last_ = registration;
  ++count_;
  *connection = registration->connection;
  return S_OK;
}

void AdviseList::Remove(ULONG connection) {
  AdviseRegistration* removed = nullptr;
  {
    ScopedLock list(lock_);
    AdviseRegistration* previous = nullptr;
    for (AdviseRegistration* registration = first_; registration; registration = registration->next) {
      if (registration->connection != connection) {
        previous = registration;
        continue;
      }
      if (previous)
        previous->next = registration->next;
      else
        first_ = registration->next;
      if (last_ == registration) last_ = previous;
      --count_;
      removed = registration;
      break;
    }
  }
  if (removed) FreeRegistration(removed);
}

void AdviseList::Notify(ULONG count, LPNOTIFICATION notifications) {
  // The sinks as they are now, each held for the call (AddRef is all that runs under the list's lock):
  // a sink may then unadvise itself, or another thread any sink, while they are told.
  ULONG held = 0;
  LPMAPIADVISESINK* sinks = nullptr;
  {
    ScopedLock list(lock_);
    sinks = static_cast<LPMAPIADVISESINK*>(HeapAllocate((count_ ? count_ : 1) * sizeof(LPMAPIADVISESINK)));
    for (AdviseRegistration* registration = first_; sinks && registration; registration = registration->next) {
      if (!registration->sink) continue;
      registration->sink->AddRef();
      sinks[held++] = registration->sink;
    }
  }
  for (ULONG i = 0; i < held; ++i) {
    sinks[i]->OnNotify(count, notifications);
    sinks[i]->Release();
  }
  HeapFree(sinks);
}

} // namespace abk
