// A book as it stands in memory: every entry's records, the id counters, the imports already taken in,
// and how many of the file's bytes still describe it (the rest is dead and compaction drops it).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "log_format.h"

namespace bkconv {

struct Entry {
  std::vector<BYTE> records; // packed as the call interface packs them
  ULONG count = 0;
  uint64_t createBytes = 0; // size of the frame that created the entry
  uint64_t setBytes = 0;    // size of the frame that set its records, 0 when none did
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

private:
  std::map<ULONG, Entry> entries_; // ascending ids: persons first, then groups
  std::set<uint64_t> imported_;
  ULONG nextPerson_ = kFirstPerson;
  ULONG nextGroup_ = kFirstGroup;
  uint64_t countersBytes_ = 0;
  uint64_t liveBytes_ = 0;
};

} // namespace bkconv
