// The address-book file's layout: the header, the checksummed operation frames, transactions made of
// frames, and the packed form of records inside them. docs/store-format.md says the same for people.
#pragma once

#include <cstdint>
#include <vector>

#include "store/store_abi.h"

namespace bkconv {

// Version 2 groups frames into transactions; version 1 (every frame its own change) is still read, and
// rewritten as version 2 by its first writer.
constexpr uint32_t kFormatVersion = 2;
constexpr uint32_t kFirstTransactionVersion = 2;
constexpr size_t kHeaderSize = 32;
constexpr size_t kFrameOverhead = 16; // length, length check, checksum, commit marker
constexpr uint32_t kMaxPayload = 4u << 20;
constexpr ULONG kMaxRecordsPerEntry = 4096;
// Larger files are refused rather than read into memory.
constexpr uint64_t kMaxBookSize = 256u << 20;

// Record ids: persons count up from 1, groups from 0x80000001. 0x80000000 and 0xFFFFFFFF are failure
// values of the call interface and never name an entry.
constexpr ULONG kFirstPerson = 1;
constexpr ULONG kPersonEnd = 0x80000000; // one past the last person id
constexpr ULONG kFirstGroup = 0x80000001;
constexpr ULONG kGroupEnd = 0xFFFFFFFF; // one past the last group id
inline bool IsPersonId(ULONG id) { return id >= kFirstPerson && id < kPersonEnd; }
inline bool IsGroupId(ULONG id) { return id >= kFirstGroup && id < kGroupEnd; }
inline bool IsEntryId(ULONG id) { return IsPersonId(id) || IsGroupId(id); }

enum class OpCode : uint32_t { Create = 1, Set = 2, Delete = 3, Counters = 4, Imported = 5, Begin = 6 };

// One change, as a frame carries it.
struct Operation {
  OpCode code = OpCode::Create;
  ULONG id = 0;             // Create, Set, Delete
  ULONG count = 0;          // Set: number of records
  std::vector<BYTE> packed; // Set: the records in their packed form (see PackRecords)
  ULONG nextPerson = 0;     // Counters
  ULONG nextGroup = 0;      // Counters
  uint64_t fingerprint = 0; // Imported: the file that an import took in
  uint64_t sequence = 0;    // Begin: the transaction's number, one more than the one before it
  ULONG frames = 0;         // Begin: how many frames of operations follow it
};

enum class HeaderCheck { Valid, NotABook, Damaged, NewerVersion };

void AppendHeader(std::vector<BYTE>& out, uint64_t stamp);
HeaderCheck CheckHeader(const BYTE* data, size_t size, uint64_t* stamp, uint32_t* version);

// Appends the whole frame of op and returns its size.
size_t AppendFrame(std::vector<BYTE>& out, const Operation& op);
// Appends a transaction: its Begin frame, then one frame per operation.
void AppendTransaction(std::vector<BYTE>& out, uint64_t sequence, const std::vector<Operation>& ops);

enum class FrameScan {
  Frame, // a whole frame whose checksum holds
  End,   // nothing follows
  Bad,   // bytes that are not a whole frame: a write that never finished, or damage
};
struct FrameView {
  const BYTE* payload = nullptr;
  size_t payloadSize = 0;
  size_t frameSize = 0;
};
// Looks at the bytes from offset to size.
FrameScan ScanFrame(const BYTE* data, size_t size, size_t offset, FrameView* frame);
// False when a payload whose checksum holds still does not make a well-formed operation.
bool DecodeOperation(const BYTE* payload, size_t size, Operation* op);

// Records in a frame, and in memory: each record's first word, then the rest without its trailing zeros
// (a 16-bit length and the bytes). Values are short and padded with zeros, so this is about a tenth of
// the records' size, and every record comes back byte for byte.
// Packs count records of the call interface's form; false, with nothing packed, on a bad record.
bool PackRecords(const BYTE* records, ULONG count, std::vector<BYTE>* packed);
// Unpacks into room bytes (zeros after each value); false when the records do not fit.
bool UnpackRecords(const std::vector<BYTE>& packed, ULONG count, BYTE* out, size_t room);

// A record as the call interface allows it: a member record names a possible person or group id; a field
// record's value ends with a zero within its 256 bytes.
bool IsValidRecord(const BYTE* record);

} // namespace bkconv
