// The session's advise registrations: who hears of changes to the book. Every registered sink hears of
// every change; the identifier and mask a registration was made with are kept but not consulted.
#pragma once

#include "platform/platform.h"

class AddressBookSession;

struct AdviseRegistration {
  ULONG entryIdSize;
  BYTE* entryId; // heap copy, null when the registration named no entry
  ULONG eventMask;
  LPMAPIADVISESINK sink; // not reference-counted: the host keeps it alive until Unadvise
  ULONG connection;
  AdviseRegistration* next;
};

class AdviseList final {
public:
  explicit AdviseList(AddressBookSession* session) : session_(session) {}
  ~AdviseList();

  // Appends a registration and hands back its connection number (1, 2, ...).
  HRESULT Add(ULONG entryIdSize, const void* entryId, ULONG eventMask, LPMAPIADVISESINK sink, ULONG* connection);
  // Removes the first registration with that connection number, if any.
  void Remove(ULONG connection);
  // Calls every registered sink, in registration order, with the notifications.
  void Notify(ULONG count, LPNOTIFICATION notifications) const;

  ULONG Count() const { return count_; }

private:
  AddressBookSession* session_;
  AdviseRegistration* first_ = nullptr;
  AdviseRegistration* last_ = nullptr;
  ULONG lastConnection_ = 0;
  ULONG count_ = 0;
};
