// A book as it stands in memory: every entry's records, the id counters, the imports already taken in,
// and how many of the file's bytes still describe it (the rest is dead and compaction drops it).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "log_format.h"

namespace bkconv {

struct Entry {
  std::vector<BYTE> packed; // the records, packed as a frame carries them
  ULONG count = 0;
  uint32_t createBytes = 0; // size of the frame that created the entry
  uint32_t setBytes = 0;    // size of the frame that set its records, 0 when none did
};

class BookState {
public:
  // Applies one committed operation; false, with nothing changed, when it contradicts the book.
  bool Apply(Operation& op, uint64_t frameSize);

  const Entry* Find(ULONG id) const;
  // The id the next person or group gets; 0 when the range is used up.
  ULONG NextId(bool group) const;
  // An id once handed out and since deleted (ids are handed out in order and never again).
  bool WasDeleted(ULONG id) const;
  // Bytes of the frames that the book still needs.
  uint64_t LiveBytes() const { return liveBytes_; }

  const std::map<ULONG, Entry>& Entries() const { return entries_; }
  const std::set<uint64_t>& Imported() const { return imported_; }
  ULONG NextPerson() const { return nextPerson_; }
  ULONG NextGroup() const { return nextGroup_; }

  // What a transaction puts back when it is rolled back: the book-wide values, and each entry it touched.
  struct Totals {
    std::set<uint64_t> imported;
    ULONG nextPerson = kFirstPerson;
    ULONG nextGroup = kFirstGroup;
    uint64_t countersBytes = 0;
    uint64_t liveBytes = 0;
  };
  Totals SaveTotals() const;
  void RestoreTotals(const Totals& totals);
  void RestoreEntry(ULONG id, const std::optional<Entry>& entry);

private:
  std::map<ULONG, Entry> entries_; // ascending ids: persons first, then groups
  std::set<uint64_t> imported_;
  ULONG nextPerson_ = kFirstPerson;
  ULONG nextGroup_ = kFirstGroup;
  uint64_t countersBytes_ = 0;
  uint64_t liveBytes_ = 0;
};

} // namespace bkconv
