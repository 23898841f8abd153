// Reading transactions, telling an unfinished write from damage, and salvaging what damage left.
#include "log_reader.h"

namespace bkconv {
namespace {

enum class Scan {
  Whole,     // a transaction whose frames are all whole and well formed
  End,       // nothing follows
  Bad,       // bytes that are not a whole frame: unfinished, or damaged
  Malformed, // a whole frame that no correct writer writes there: damage
};

struct TxnFrames {
  std::vector<Operation> ops;
  std::vector<size_t> sizes;
  uint64_t sequence = 0;
  size_t end = 0;
  size_t badAt = 0;
};

Scan ScanTransaction(const std::vector<BYTE>& data, size_t offset, uint32_t version, TxnFrames* txn) {
  FrameView frame;
  Operation op;
  FrameScan scan = ScanFrame(data.data(), data.size(), offset, &frame);
  txn->badAt = offset;
  if (scan == FrameScan::End) return Scan::End;
  if (scan == FrameScan::Bad) return Scan::Bad;
  if (!DecodeOperation(frame.payload, frame.payloadSize, &op)) return Scan::Malformed;
  if (version < kFirstTransactionVersion) {
    if (op.code == OpCode::Begin) return Scan::Malformed;
    txn->ops.push_back(std::move(op));
    txn->sizes.push_back(frame.frameSize);
    txn->end = offset + frame.frameSize;
    return Scan::Whole;
  }
  if (op.code != OpCode::Begin) return Scan::Malformed;
  txn->sequence = op.sequence;
  size_t at = offset + frame.frameSize;
  for (ULONG i = 0; i < op.frames; ++i) {
    Operation inner;
    txn->badAt = at;
    scan = ScanFrame(data.data(), data.size(), at, &frame);
    if (scan != FrameScan::Frame) return Scan::Bad;
    if (!DecodeOperation(frame.payload, frame.payloadSize, &inner) || inner.code == OpCode::Begin)
      return Scan::Malformed;
    txn->ops.push_back(std::move(inner));
    txn->sizes.push_back(frame.frameSize);
    at += frame.frameSize;
  }
  txn->end = at;
  return Scan::Whole;
}

// The first offset from `from` on where a whole frame starts that is a transaction's beginning: a Begin
// frame numbered past `after` (any Begin when anyNumber), or in a version 1 book any frame. size when none.
size_t NextTransactionStart(const std::vector<BYTE>& data, size_t from, uint32_t version, uint64_t after,
                            bool anyNumber) {
  for (size_t at = from; at + kFrameOverhead <= data.size(); ++at) {
    FrameView frame;
    if (ScanFrame(data.data(), data.size(), at, &frame) != FrameScan::Frame) continue;
    Operation op;
    if (!DecodeOperation(frame.payload, frame.payloadSize, &op)) continue;
    if (version < kFirstTransactionVersion) return at;
    if (op.code == OpCode::Begin && (anyNumber || op.sequence > after)) return at;
  }
  return data.size();
}

bool ApplyAll(TxnFrames& txn, BookState& state) {
  for (size_t i = 0; i < txn.ops.size(); ++i)
    if (!state.Apply(txn.ops[i], txn.sizes[i])) return false;
  return true;
}

// Salvage applies what it finds even when what came before it was lost.
void ApplyLeniently(TxnFrames& txn, BookState& state) {
  for (size_t i = 0; i < txn.ops.size(); ++i) {
    Operation& op = txn.ops[i];
    bool present = state.Find(op.id) != nullptr;
    if ((op.code == OpCode::Create && present) || (op.code == OpCode::Delete && !present)) continue;
    if (op.code == OpCode::Set && !present) {
      Operation create;
      create.code = OpCode::Create;
      create.id = op.id;
      state.Apply(create, 0);
    }
    state.Apply(op, txn.sizes[i]);
  }
}

} // namespace

ReadOutcome ReadLog(const std::vector<BYTE>& data, size_t offset, BookState& state, LogPosition& position) {
  ReadOutcome outcome;
  size_t at = offset;
  for (;;) {
    outcome.end = at;
    TxnFrames txn;
    Scan scan = ScanTransaction(data, at, position.version, &txn);
    if (scan == Scan::End) return outcome;
    bool inOrder =
        !position.anyRead || position.version < kFirstTransactionVersion || txn.sequence == position.sequence + 1;
    if (scan == Scan::Whole && inOrder && ApplyAll(txn, state)) {
      position.sequence = txn.sequence;
      position.anyRead = true;
      at = txn.end;
      continue;
    }
    if (scan == Scan::Bad && position.anyRead &&
        NextTransactionStart(data, txn.badAt + 1, position.version, position.sequence + 1, false) == data.size()) {
      outcome.torn = true;
      return outcome;
    }
    outcome.damaged = true;
    outcome.damageAt = scan == Scan::Whole ? at : txn.badAt;
    return outcome;
  }
}

SalvageOutcome SalvageLog(const std::vector<BYTE>& data, uint32_t version, BookState& state) {
  SalvageOutcome outcome;
  LogPosition position;
  position.version = version;
  size_t at = kHeaderSize;
  for (;;) {
    TxnFrames txn;
    Scan scan = ScanTransaction(data, at, version, &txn);
    if (scan == Scan::End) return outcome;
    if (scan == Scan::Whole) {
      ApplyLeniently(txn, state);
      position.sequence = txn.sequence;
      position.anyRead = true;
      ++outcome.kept;
      at = txn.end;
      continue;
    }
    if (scan == Scan::Bad && position.anyRead &&
        NextTransactionStart(data, txn.badAt + 1, version, position.sequence + 1, false) == data.size()) {
      outcome.torn = true;
      return outcome;
    }
    if (!outcome.damaged) outcome.firstDamage = txn.badAt;
    outcome.damaged = true;
    ++outcome.lost;
    size_t next = NextTransactionStart(data, txn.badAt + 1, version, 0, true);
    outcome.bytesLost += next - at;
    if (next == data.size()) return outcome;
    at = next;
  }
}

} // namespace bkconv
