// The session's advise registrations, kept in registration order.
#include "provider/advise_list.h"

#include <cstring>

#include "provider/heap.h"

static void FreeRegistration(AdviseRegistration* registration) {
  abk::HeapFree(registration->entryId);
  abk::HeapFree(registration);
}

AdviseList::~AdviseList() {
  AdviseRegistration* registration = first_;
  while (registration) {
    AdviseRegistration* next = registration->next;
    FreeRegistration(registration);
    registration = next;
  }
}

HRESULT AdviseList::Add(ULONG entryIdSize, const void* entryId, ULONG eventMask, LPMAPIADVISESINK sink,
                        ULONG* connection) {
  auto* registration = static_cast<AdviseRegistration*>(abk::HeapAllocate(sizeof(AdviseRegistration)));
  if (!registration) return E_OUTOFMEMORY;
  memset(registration, 0, sizeof *registration);

  if (entryIdSize && entryId) {
    registration->entryId = static_cast<BYTE*>(abk::HeapAllocate(entryIdSize));
    if (!registration->entryId) {
      FreeRegistration(registration);
      return E_OUTOFMEMORY;
    }
    memcpy(registration->entryId, entryId, entryIdSize);
    registration->entryIdSize = entryIdSize;
  }
  registration->eventMask = eventMask;
  registration->sink = sink;
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
    FreeRegistration(registration);
    return;
  }
}

void AdviseList::Notify(ULONG count, LPNOTIFICATION notifications) const {
  // The next registration is taken first, so a sink may unadvise itself from inside OnNotify.
  AdviseRegistration* next = nullptr;
  for (AdviseRegistration* registration = first_; registration; registration = next) {
    next = registration->next;
    LPMAPIADVISESINK sink = registration->sink;
    if (!sink) continue;
    sink->AddRef();
    sink->OnNotify(count, notifications);
    sink->Release();
  }
}
