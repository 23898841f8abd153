// Applying operations to a book in memory, and keeping count of the bytes that still matter.
#include "book_state.h"

#include <algorithm>

namespace bkconv {

bool BookState::Apply(Operation& op, uint64_t frameSize) {
  switch (op.code) {
  case OpCode::Create: {
    if (!IsEntryId(op.id) || entries_.count(op.id)) return false;
    Entry& entry = entries_[op.id];
    entry.createBytes = static_cast<uint32_t>(frameSize);
    liveBytes_ += frameSize;
    // A compacted book re-creates its entries after restating the counters, so an id below its counter is
    // no contradiction; the counters only ever grow.
    if (IsPersonId(op.id)) nextPerson_ = std::max(nextPerson_, op.id + 1);
    if (IsGroupId(op.id)) nextGroup_ = std::max(nextGroup_, op.id + 1);
    return true;
  }
  case OpCode::Set: {
    auto found = entries_.find(op.id);
    if (found == entries_.end()) return false;
    Entry& entry = found->second;
    liveBytes_ = liveBytes_ - entry.setBytes + frameSize;
    entry.setBytes = static_cast<uint32_t>(frameSize);
    entry.packed = std::move(op.packed);
    entry.packed.shrink_to_fit();
    entry.count = op.count;
    return true;
  }
  case OpCode::Delete: {
    auto found = entries_.find(op.id);
    if (found == entries_.end()) return false;
    liveBytes_ -= found->second.createBytes + found->second.setBytes;
    entries_.erase(found);
    return true;
  }
  case OpCode::Counters:
    nextPerson_ = std::max(nextPerson_, op.nextPerson);
    nextGroup_ = std::max(nextGroup_, op.nextGroup);
    liveBytes_ = liveBytes_ - countersBytes_ + frameSize;
    countersBytes_ = frameSize;
    return true;
  case OpCode::Imported:
    if (imported_.insert(op.fingerprint).second) liveBytes_ += frameSize;
    return true;
  case OpCode::Begin:
    // Transactions are the reader's business: a Begin frame changes nothing by itself.
    return false;
  }
  return false;
}

BookState::Totals BookState::SaveTotals() const {
  return Totals{imported_, nextPerson_, nextGroup_, countersBytes_, liveBytes_};
}

void BookState::RestoreTotals(const Totals& totals) {
  imported_ = totals.imported;
  nextPerson_ = totals.nextPerson;
  nextGroup_ = totals.nextGroup;
  countersBytes_ = totals.countersBytes;
  liveBytes_ = totals.liveBytes;
}

void BookState::RestoreEntry(ULONG id, const std::optional<Entry>& entry) {
  if (entry)
    entries_[id] = *entry;
  else
    entries_.erase(id);
}

const Entry* BookState::Find(ULONG id) const {
  auto found = entries_.find(id);
  return found == entries_.end() ? nullptr : &found->second;
}

ULONG BookState::NextId(bool group) const {
  if (group) return nextGroup_ < kGroupEnd ? nextGroup_ : 0;
  return nextPerson_ < kPersonEnd ? nextPerson_ : 0;
}

bool BookState::WasDeleted(ULONG id) const {
  if (entries_.count(id)) return false;
  if (IsPersonId(id)) return id < nextPerson_;
  if (IsGroupId(id)) return id < nextGroup_;
  return false;
}

} // namespace bkconv
