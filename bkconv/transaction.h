// The changes of one opening of a book, made at once in its state (so that the opening reads what it
// wrote) and remembered well enough to undo them or to write them out as one transaction.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "book_state.h"

namespace bkconv {

class Transaction {
public:
  bool Empty() const { return !begun_; }

  // Called before each change: keeps what the book and the entry id held before the first change of the
  // transaction (id 0 for a change that touches no entry).
  void Remember(const BookState& state, ULONG id);
  // Puts state back as it was when the transaction began, and ends it.
  void Undo(BookState& state);
  // The operations that take the book from its state when the transaction began to state, in ascending
  // id order: a new entry's Create before its Set. An entry made and deleted again keeps its id used.
  std::vector<Operation> Changes(const BookState& state) const;

private:
  bool begun_ = false;
  BookState::Totals start_;
  std::map<ULONG, std::optional<Entry>> before_; // each touched entry as it was, or nothing if it was not
};

} // namespace bkconv
