// Encoding and decoding the book's header and frames, and telling a torn tail from damage.
#include "log_format.h"

#include <cstring>

#include "crc32.h"

namespace bkconv {
namespace {

// PNG-style: a high byte, then line ends and ^Z, so a transfer that rewrites text is caught at once.
constexpr BYTE kMagic[8] = {0x89, 'A', 'B', 'K', '\r', '\n', 0x1A, '\n'};
// Ends every frame; none of its bytes is zero, which lets a reader tell a frame whose end never reached
// the disk (zeros) from a damaged one.
constexpr uint32_t kCommitMarker = 0x214B4241; // "ABK!"

void Put16(std::vector<BYTE>& out, uint32_t v) {
  out.push_back(static_cast<BYTE>(v));
  out.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<BYTE>(v >> shift));
}
void Put64(std::vector<BYTE>& out, uint64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(v >> 32));
}
void Patch32(BYTE* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<BYTE>(v >> (8 * i));
}
uint32_t Get16(const BYTE* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t Get32(const BYTE* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Get64(const BYTE* p) { return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32); }

bool AllZero(const BYTE* p, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (p[i]) return false;
  return true;
}

size_t TrailingZeros(const BYTE* p, size_t length) {
  size_t zeros = 0;
  while (zeros < length && p[length - 1 - zeros] == 0)
    ++zeros;
  return zeros;
}

ULONG FirstWord(const BYTE* record) {
  ULONG word;
  memcpy(&word, record, sizeof word);
  return word;
}

// A record in a frame: its first word, then the rest without its trailing zeros (a 16-bit length and the
// bytes). Field values are short and padded with zeros, so a book is about a tenth of its records' size,
// and the record comes back byte for byte.
void AppendRecord(std::vector<BYTE>& out, const BYTE* record, size_t size) {
  out.insert(out.end(), record, record + 4);
  size_t used = size - 4;
  while (used > 0 && record[4 + used - 1] == 0)
    --used;
  Put16(out, static_cast<uint32_t>(used));
  out.insert(out.end(), record + 4, record + 4 + used);
}

bool DecodeRecords(const BYTE* p, size_t size, ULONG count, std::vector<BYTE>* records) {
  size_t at = 0;
  for (ULONG i = 0; i < count; ++i) {
    if (size - at < 6) return false;
    size_t recordSize = StoreRecordSize(p + at);
    size_t used = Get16(p + at + 4);
    if (used > recordSize - 4 || size - at - 6 < used) return false;
    size_t start = records->size();
    records->resize(start + recordSize, 0);
    BYTE* record = records->data() + start;
    memcpy(record, p + at, 4);
    memcpy(record + 4, p + at + 6, used);
    if (!IsValidRecord(record)) return false;
    at += 6 + used;
  }
  return at == size;
}

} // namespace

void AppendHeader(std::vector<BYTE>& out, uint64_t stamp) {
  size_t start = out.size();
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  Put32(out, kFormatVersion);
  Put32(out, kHeaderSize);
  Put64(out, stamp);
  Put32(out, 0);
  Put32(out, Crc32(out.data() + start, kHeaderSize - 4));
}

HeaderCheck CheckHeader(const BYTE* data, size_t size, uint64_t* stamp) {
  if (size < kHeaderSize || memcmp(data, kMagic, sizeof kMagic) != 0) return HeaderCheck::NotABook;
  if (Get32(data + 28) != Crc32(data, kHeaderSize - 4)) return HeaderCheck::Damaged;
  // Every version keeps these first 32 bytes, so a newer book is recognised as such, not as damage.
  uint32_t version = Get32(data + 8);
  if (version > kFormatVersion) return HeaderCheck::NewerVersion;
  if (version == 0 || Get32(data + 12) != kHeaderSize || Get32(data + 24) != 0) return HeaderCheck::Damaged;
  *stamp = Get64(data + 16);
  return HeaderCheck::Valid;
}

namespace {

size_t BeginFrame(std::vector<BYTE>& out, OpCode code) {
  size_t start = out.size();
  Put32(out, 0); // length and its check, patched by EndFrame
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(code));
  return start;
}

size_t EndFrame(std::vector<BYTE>& out, size_t start) {
  uint32_t length = static_cast<uint32_t>(out.size() - start - 8);
  Patch32(&out[start], length);
  Patch32(&out[start + 4], ~length);
  Put32(out, Crc32(&out[start], out.size() - start));
  Put32(out, kCommitMarker);
  return out.size() - start;
}

} // namespace

size_t AppendSetFrame(std::vector<BYTE>& out, ULONG id, ULONG count, const BYTE* records) {
  size_t start = BeginFrame(out, OpCode::Set);
  Put32(out, id);
  Put32(out, count);
  for (ULONG i = 0; i < count; ++i) {
    size_t size = StoreRecordSize(records);
    AppendRecord(out, records, size);
    records += size;
  }
  return EndFrame(out, start);
}

size_t AppendFrame(std::vector<BYTE>& out, const Operation& op) {
  if (op.code == OpCode::Set) return AppendSetFrame(out, op.id, op.count, op.records.data());
  size_t start = BeginFrame(out, op.code);
  switch (op.code) {
  case OpCode::Create:
  case OpCode::Delete:
    Put32(out, op.id);
    break;
  case OpCode::Counters:
    Put32(out, op.nextPerson);
    Put32(out, op.nextGroup);
    break;
  case OpCode::Imported:
    Put64(out, op.fingerprint);
    break;
  case OpCode::Set:
    break;
  }
  return EndFrame(out, start);
}

FrameScan ScanFrame(const BYTE* data, size_t size, size_t offset, FrameView* frame) {
  size_t left = size - offset;
  const BYTE* p = data + offset;
  if (left == 0) return FrameScan::End;
  // A crash can leave the file longer than what reached the disk, the rest reading as zeros.
  if (AllZero(p, left)) return FrameScan::TornTail;
  if (left < 8) return FrameScan::TornTail;
  uint32_t length = Get32(p);
  // The length is checked on its own, so a damaged length cannot pass for a frame cut short. A header that
  // fails with nothing but zeros behind it is a write whose later blocks never reached the disk.
  if (Get32(p + 4) != ~length) return AllZero(p + 8, left - 8) ? FrameScan::TornTail : FrameScan::Damaged;
  if (length < 8 || length > kMaxPayload) return FrameScan::Damaged;
  size_t frameSize = length + kFrameOverhead;
  if (left < frameSize) return FrameScan::TornTail;
  bool checksumHolds = Get32(p + 8 + length) == Crc32(p, 8 + length);
  if (checksumHolds && Get32(p + 12 + length) == kCommitMarker) {
    *frame = FrameView{p + 8, length, frameSize};
    return FrameScan::Frame;
  }
  // The last frame, whose final block never reached the disk. Its last two bytes are the marker's, never
  // zero, so a zero run of two or more cannot come from one damaged byte; a lone zero at the very end can,
  // and counts as damage.
  if (left == frameSize && TrailingZeros(p, frameSize) >= 2) return FrameScan::TornTail;
  return FrameScan::Damaged;
}

bool DecodeOperation(const BYTE* p, size_t size, Operation* op) {
  if (size < 8) return false;
  *op = Operation();
  uint32_t code = Get32(p);
  switch (code) {
  case static_cast<uint32_t>(OpCode::Create):
  case static_cast<uint32_t>(OpCode::Delete):
    op->code = static_cast<OpCode>(code);
    op->id = Get32(p + 4);
    return size == 8 && IsEntryId(op->id);
  case static_cast<uint32_t>(OpCode::Set):
    op->code = OpCode::Set;
    if (size < 12) return false;
    op->id = Get32(p + 4);
    op->count = Get32(p + 8);
    if (!IsEntryId(op->id) || op->count > kMaxRecordsPerEntry) return false;
    return DecodeRecords(p + 12, size - 12, op->count, &op->records);
  case static_cast<uint32_t>(OpCode::Counters):
    op->code = OpCode::Counters;
    if (size != 12) return false;
    op->nextPerson = Get32(p + 4);
    op->nextGroup = Get32(p + 8);
    return op->nextPerson >= kFirstPerson && op->nextPerson <= kPersonEnd && op->nextGroup >= kFirstGroup;
  case static_cast<uint32_t>(OpCode::Imported):
    op->code = OpCode::Imported;
    if (size != 12) return false;
    op->fingerprint = Get64(p + 4);
    return true;
  default:
    return false;
  }
}

bool IsValidRecord(const BYTE* record) {
  if (FirstWord(record) == STORE_MEMBER_MARKER) {
    ULONG member;
    memcpy(&member, record + 4, sizeof member);
    return IsEntryId(member);
  }
  return memchr(record + 4, 0, STORE_FIELD_VALUE_SIZE) != nullptr;
}

bool MeasureRecords(const BYTE* records, ULONG count, size_t* length) {
  if (count > kMaxRecordsPerEntry) return false;
  size_t at = 0;
  for (ULONG i = 0; i < count; ++i) {
    if (!IsValidRecord(records + at)) return false;
    at += StoreRecordSize(records + at);
  }
  *length = at;
  return true;
}

} // namespace bkconv
