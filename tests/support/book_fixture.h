// A session on a book file of its own, opened through the provider's code linked into the test, with
// direct access to the same book through the store library's exports for arranging and checking records.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "provider/session.h"
#include "support/object_helpers.h"
#include "support/provider_fixture.h"
#include "support/raw_store.h"

extern "C" HRESULT __cdecl ABProviderOpen(HINSTANCE, LPABHOSTSUPPORT, LPMAPIPROP, ULONG, ULONG, ULONG, ULONG,
                                          LPFREEBUFFER, LPADRBOOK*);

namespace abktest {

class BookTest : public HostTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The identifier of an entry as it is listed in the root container or in a group.
  static std::string IdInRoot(ULONG recordId) { return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, 0xFFFFFFFF, 4); }
  static std::string IdInGroup(ULONG recordId, ULONG groupId) {
    return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, groupId, 8);
  }

  std::string book;
  RawStore store;
  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK addrBook = nullptr;
  abk::AddressBookSession* session = nullptr;
};

} // namespace abktest
