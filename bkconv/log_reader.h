// Reading a book's frames into its state, a transaction at a time, and telling a write that never
// finished (dropped: it was never committed) from damage to committed data.
//
// In a version 2 book every transaction is a Begin frame (its number, one more than the transaction
// before it, and how many frames follow) and its frames; it counts only when all of them are whole. Bytes
// that are not a whole frame, with no later transaction after them, are a write that a crash cut short:
// the reader stops before them. A later transaction (a whole Begin frame numbered past the unfinished one)
// means that the bad bytes had been committed: that is damage. The first transaction of a file was written
// whole before the file got its name, so nothing in it can be unfinished.
// In a version 1 book every frame is a transaction of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "book_state.h"

namespace bkconv {

struct LogPosition {
  uint32_t version = kFormatVersion;
  uint64_t sequence = 0; // number of the last transaction read
  bool anyRead = false;  // a transaction of this file was read (the next one may be unfinished)
};

struct ReadOutcome {
  size_t end = 0;       // just past the last whole transaction
  bool torn = false;    // an unfinished write follows end
  bool damaged = false; // damage at damageAt
  size_t damageAt = 0;
};

// Applies to state the transactions of data from offset on. Stops at damage, with state holding what
// came before it.
ReadOutcome ReadLog(const std::vector<BYTE>& data, size_t offset, BookState& state, LogPosition& position);

// What salvaging a damaged book found: transactions read whole, those lost, and the bytes they held.
struct SalvageOutcome {
  size_t firstDamage = 0;
  size_t bytesLost = 0;
  unsigned kept = 0;
  unsigned lost = 0;
  bool damaged = false;
  bool torn = false;
};

// Reads every transaction it can: past damage it goes on at the next Begin frame that holds, and applies
// what it finds whatever came before (a Set of an entry whose Create was lost makes the entry).
SalvageOutcome SalvageLog(const std::vector<BYTE>& data, uint32_t version, BookState& state);

} // namespace bkconv
