// Encoding and decoding the book's header, frames and packed records.
#include "log_format.h"

#include <cstring>

#include "crc32.h"

namespace bkconv {
namespace {

// PNG-style: a high byte, then line ends and ^Z, so a transfer that rewrites text is caught at once.
constexpr BYTE kMagic[8] = {0x89, 'A', 'B', 'K', '\r', '\n', 0x1A, '\n'};
// Ends every frame: a frame whose last bytes never reached the disk fails here even when its checksum
// happens to hold over what did.
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

ULONG FirstWord(const BYTE* record) {
  ULONG word;
  memcpy(&word, record, sizeof word);
  return word;
}

// Steps over one packed record at p (size bytes left): its unpacked size and its packed length.
bool StepPacked(const BYTE* p, size_t size, size_t* unpacked, size_t* packed) {
  if (size < 6) return false;
  *unpacked = StoreRecordSize(p);
  size_t used = Get16(p + 4);
  if (used > *unpacked - 4 || size - 6 < used) return false;
  *packed = 6 + used;
  return true;
}

void UnpackOne(const BYTE* p, size_t used, size_t unpacked, BYTE* out) {
  memcpy(out, p, 4);
  memcpy(out + 4, p + 6, used);
  memset(out + 4 + used, 0, unpacked - 4 - used);
}

// Checks that size bytes hold exactly count well-formed packed records.
bool CheckPacked(const BYTE* p, size_t size, ULONG count) {
  size_t at = 0;
  BYTE record[STORE_FIELD_RECORD_SIZE];
  for (ULONG i = 0; i < count; ++i) {
    size_t unpacked = 0, packed = 0;
    if (!StepPacked(p + at, size - at, &unpacked, &packed)) return false;
    UnpackOne(p + at, packed - 6, unpacked, record);
    if (!IsValidRecord(record)) return false;
    at += packed;
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

HeaderCheck CheckHeader(const BYTE* data, size_t size, uint64_t* stamp, uint32_t* version) {
  if (size < kHeaderSize || memcmp(data, kMagic, sizeof kMagic) != 0) return HeaderCheck::NotABook;
  if (Get32(data + 28) != Crc32(data, kHeaderSize - 4)) return HeaderCheck::Damaged;
  // Every version keeps these first 32 bytes, so a newer book is recognised as such, not as damage.
  *version = Get32(data + 8);
  if (*version > kFormatVersion) return HeaderCheck::NewerVersion;
  if (*version == 0 || Get32(data + 12) != kHeaderSize || Get32(data + 24) != 0) return HeaderCheck::Damaged;
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

size_t AppendFrame(std::vector<BYTE>& out, const Operation& op) {
  size_t start = BeginFrame(out, op.code);
  switch (op.code) {
  case OpCode::Create:
  case OpCode::Delete:
    Put32(out, op.id);
    break;
  case OpCode::Set:
    Put32(out, op.id);
    Put32(out, op.count);
    out.insert(out.end(), op.packed.begin(), op.packed.end());
    break;
  case OpCode::Counters:
    Put32(out, op.nextPerson);
    Put32(out, op.nextGroup);
    break;
  case OpCode::Imported:
    Put64(out, op.fingerprint);
    break;
  case OpCode::Begin:
    Put64(out, op.sequence);
    Put32(out, op.frames);
    break;
  }
  return EndFrame(out, start);
}

void AppendTransaction(std::vector<BYTE>& out, uint64_t sequence, const std::vector<Operation>& ops) {
  Operation begin;
  begin.code = OpCode::Begin;
  begin.sequence = sequence;
  begin.frames = static_cast<ULONG>(ops.size());
  AppendFrame(out, begin);
  for (const Operation& op : ops)
    AppendFrame(out, op);
}

FrameScan ScanFrame(const BYTE* data, size_t size, size_t offset, FrameView* frame) {
  size_t left = size - offset;
  const BYTE* p = data + offset;
  if (left == 0) return FrameScan::End;
  if (left < 8) return FrameScan::Bad;
  uint32_t length = Get32(p);
  // The length is checked on its own, so a damaged length is never taken for a frame cut short.
  if (Get32(p + 4) != ~length || length < 8 || length > kMaxPayload) return FrameScan::Bad;
  size_t frameSize = length + kFrameOverhead;
  if (left < frameSize) return FrameScan::Bad;
  if (Get32(p + 8 + length) != Crc32(p, 8 + length) || Get32(p + 12 + length) != kCommitMarker) return FrameScan::Bad;
  *frame = FrameView{p + 8, length, frameSize};
  return FrameScan::Frame;
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
    if (!IsEntryId(op->id) || op->count > kMaxRecordsPerEntry || !CheckPacked(p + 12, size - 12, op->count))
      return false;
    op->packed.assign(p + 12, p + size);
    return true;
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
  case static_cast<uint32_t>(OpCode::Begin):
    op->code = OpCode::Begin;
    if (size != 16) return false;
    op->sequence = Get64(p + 4);
    op->frames = Get32(p + 12);
    return true;
  default:
    return false;
  }
}

bool PackRecords(const BYTE* records, ULONG count, std::vector<BYTE>* packed) {
  packed->clear();
  if (count > kMaxRecordsPerEntry) return false;
  for (ULONG i = 0; i < count; ++i) {
    if (!IsValidRecord(records)) {
      packed->clear();
      return false;
    }
    size_t size = StoreRecordSize(records);
    packed->insert(packed->end(), records, records + 4);
    size_t used = size - 4;
    while (used > 0 && records[4 + used - 1] == 0)
      --used;
    Put16(*packed, static_cast<uint32_t>(used));
    packed->insert(packed->end(), records + 4, records + 4 + used);
    records += size;
  }
  return true;
}

bool UnpackRecords(const std::vector<BYTE>& packed, ULONG count, BYTE* out, size_t room) {
  size_t at = 0, written = 0;
  for (ULONG i = 0; i < count; ++i) {
    size_t unpacked = 0, length = 0;
    if (!StepPacked(packed.data() + at, packed.size() - at, &unpacked, &length) || room - written < unpacked)
      return false;
    UnpackOne(packed.data() + at, length - 6, unpacked, out + written);
    at += length;
    written += unpacked;
  }
  return true;
}

bool IsValidRecord(const BYTE* record) {
  if (FirstWord(record) == STORE_MEMBER_MARKER) {
    ULONG member;
    memcpy(&member, record + 4, sizeof member);
    return IsEntryId(member);
  }
  return memchr(record + 4, 0, STORE_FIELD_VALUE_SIZE) != nullptr;
}

} // namespace bkconv
