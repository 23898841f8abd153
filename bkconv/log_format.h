// The address-book file's layout: the header, the checksummed operation frames, the compact form of records
// inside them, and how a reader tells a torn tail from damage. docs/store-format.md says the same for people.
#pragma once

#include <cstdint>
#include <vector>

#include "store/store_abi.h"

namespace bkconv {

constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderSize = 32;
constexpr size_t kFrameOverhead = 16; // length, length check, checksum, commit marker
constexpr uint32_t kMaxPayload = 4u << 20;
constexpr ULONG kMaxRecordsPerEntry = 4096;

// Record ids: persons count up from 1, groups from 0x80000001. 0x80000000 and 0xFFFFFFFF are failure
// values of the call interface and never name an entry.
constexpr ULONG kFirstPerson = 1;
constexpr ULONG kPersonEnd = 0x80000000; // one past the last person id
constexpr ULONG kFirstGroup = 0x80000001;
constexpr ULONG kGroupEnd = 0xFFFFFFFF; // one past the last group id
inline bool IsPersonId(ULONG id) { return id >= kFirstPerson && id < kPersonEnd; }
inline bool IsGroupId(ULONG id) { return id >= kFirstGroup && id < kGroupEnd; }
inline bool IsEntryId(ULONG id) { return IsPersonId(id) || IsGroupId(id); }

enum class OpCode : uint32_t { Create = 1, Set = 2, Delete = 3, Counters = 4, Imported = 5 };

// One change, as a frame carries it.
struct Operation {
  OpCode code = OpCode::Create;
  ULONG id = 0;              // Create, Set, Delete
  ULONG count = 0;           // Set: number of records
  std::vector<BYTE> records; // Set: the records, packed as the call interface packs them
  ULONG nextPerson = 0;      // Counters
  ULONG nextGroup = 0;       // Counters
  uint64_t fingerprint = 0;  // Imported: the file that an import took in
};

enum class HeaderCheck { Valid, NotABook, Damaged, NewerVersion };

void AppendHeader(std::vector<BYTE>& out, uint64_t stamp);
HeaderCheck CheckHeader(const BYTE* data, size_t size, uint64_t* stamp);

// Appends the whole frame of op and returns its size.
size_t AppendFrame(std::vector<BYTE>& out, const Operation& op);
// The frame of a Set operation, from records that stay where they are.
size_t AppendSetFrame(std::vector<BYTE>& out, ULONG id, ULONG count, const BYTE* records);

enum class FrameScan {
  Frame,    // a whole frame whose checksum holds
  End,      // nothing follows
  TornTail, // the remains of a write that never finished: ignored
  Damaged,  // committed bytes that are not what was written
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

// A record as the call interface allows it: a member record names a possible person or group id; a field
// record's value ends with a zero within its 256 bytes.
bool IsValidRecord(const BYTE* record);
// Steps through count records, checking each, and gives their packed length; false on a bad record.
bool MeasureRecords(const BYTE* records, ULONG count, size_t* length);

} // namespace bkconv
