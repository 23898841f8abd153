// Remembering, undoing and writing out the changes of one opening.
#include "transaction.h"

namespace bkconv {
namespace {

Operation Simple(OpCode code, ULONG id) {
  Operation op;
  op.code = code;
  op.id = id;
  return op;
}

Operation SetOf(ULONG id, const Entry& entry) {
  Operation op = Simple(OpCode::Set, id);
  op.count = entry.count;
  op.packed = entry.packed;
  return op;
}

bool SameRecords(const Entry& a, const Entry& b) { return a.count == b.count && a.packed == b.packed; }

} // namespace

void Transaction::Remember(const BookState& state, ULONG id) {
  if (!begun_) {
    begun_ = true;
    start_ = state.SaveTotals();
  }
  if (id == 0 || before_.count(id)) return;
  const Entry* entry = state.Find(id);
  before_[id] = entry ? std::optional<Entry>(*entry) : std::nullopt;
}

void Transaction::Undo(BookState& state) {
  for (const auto& [id, entry] : before_)
    state.RestoreEntry(id, entry);
  if (begun_) state.RestoreTotals(start_);
  before_.clear();
  begun_ = false;
}

std::vector<Operation> Transaction::Changes(const BookState& state) const {
  std::vector<Operation> ops;
  for (uint64_t fingerprint : state.Imported()) {
    if (start_.imported.count(fingerprint)) continue;
    Operation imported;
    imported.code = OpCode::Imported;
    imported.fingerprint = fingerprint;
    ops.push_back(imported);
  }
  for (const auto& [id, old] : before_) {
    const Entry* now = state.Find(id);
    if (!old) {
      // New in this transaction: made, and kept or deleted again (its id stays used either way).
      ops.push_back(Simple(OpCode::Create, id));
      if (now && now->count) ops.push_back(SetOf(id, *now));
      if (!now) ops.push_back(Simple(OpCode::Delete, id));
    } else if (!now) {
      ops.push_back(Simple(OpCode::Delete, id));
    } else if (!SameRecords(*old, *now)) {
      ops.push_back(SetOf(id, *now));
    }
  }
  return ops;
}

} // namespace bkconv
