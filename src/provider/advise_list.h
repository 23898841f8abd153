// The session's advise registrations: who hears of changes to the book. Every registered sink hears of
// every change; the identifier and mask a registration was made with are kept but not consulted.
//
// Hosts may register and unregister from any thread while others save. The list has a lock of its own;
// a notification takes a counted copy of the sinks under it and calls them outside every provider lock,
// so a sink may call back into the provider, and a sink unadvised meanwhile is not freed under it.
#pragma once

#include "platform/platform.h"

namespace abk {

struct AdviseRegistration {
  ULONG entryIdSize;
  BYTE* entryId; // heap copy, null when the registration named no entry
  ULONG eventMask;
  LPMAPIADVISESINK sink; // the host keeps it alive until Unadvise; a notification in flight holds it too
  ULONG connection;
  AdviseRegistration* next;
};

class AdviseList final {
public:
  AdviseList();
  ~AdviseList();
  AdviseList(const AdviseList&) = delete;
  AdviseList& operator=(const AdviseList&) = delete;

  // Appends a registration and hands back its connection number (1, 2, ...).
  HRESULT Add(ULONG entryIdSize, const void* entryId, ULONG eventMask, LPMAPIADVISESINK sink, ULONG* connection);
  // Removes the first registration with that connection number, if any.
  void Remove(ULONG connection);
  // Calls every registered sink, in registration order, with the notifications. The caller holds no
  // provider lock.
  void Notify(ULONG count, LPNOTIFICATION notifications);

  ULONG Count();

private:
  mutable CRITICAL_SECTION lock_; // guards the list; never held while a sink runs
  AdviseRegistration* first_ = nullptr;
  AdviseRegistration* last_ = nullptr;
  ULONG lastConnection_ = 0;
  ULONG count_ = 0;
};

} // namespace abk
