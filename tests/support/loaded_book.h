// A session on a book of its own through the provider module loaded by name, with helpers that build a
// book the way a host would (templates, SetProps, SaveChanges, CopyEntries) and read contents tables.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/object_helpers.h"
#include "support/provider_fixture.h"
#include "support/raw_store.h"

namespace abktest {

// One contents-table row: every value rendered as text ("!" + hex code for an error value).
using TableRow = std::map<ULONG, std::string>;

class LoadedBookTest : public ProviderTest {
protected:
  void SetUp() override;
  void TearDown() override;

  IABContainer* OpenRoot();
  // Opens an entry by its identifier through the session.
  IMAPIProp* OpenById(const std::string& id, ULONG* objectType = nullptr);
  // A new person saved through the root container, with any more values given; returns its record id.
  ULONG NewPerson(const std::string& name, const std::string& fax, const std::string& fax2 = "",
                  const std::vector<std::pair<ULONG, std::string>>& more = {});
  // A new group with the given members (record ids), saved; returns its record id.
  ULONG NewGroup(const std::string& name, const std::vector<ULONG>& members);
  // Every row of a table, read with one QueryRows.
  std::vector<TableRow> Rows(IMAPITable* table);
  std::vector<TableRow> ContentsOf(IMAPIContainer* container);

  static std::string IdInRoot(ULONG recordId) { return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, 0xFFFFFFFF, 4); }
  static std::string IdInGroup(ULONG recordId, ULONG groupId) {
    return MakeId(recordId, recordId & 0x80000000 ? 8 : 6, groupId, 8);
  }

  std::string book;
  RawStore store;
};

std::string RenderValue(const SPropValue& value);
ENTRYLIST* MakeEntryList(std::vector<std::string>& ids, std::vector<SBinary>& storage, ENTRYLIST& list);

} // namespace abktest
