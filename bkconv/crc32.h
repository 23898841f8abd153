// CRC-32 with the IEEE polynomial (as in zip and PNG): the checksum of the book's header and of every frame.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bkconv {

// The checksum of length bytes; pass a previous result as crc to continue over a second piece.
uint32_t Crc32(const void* data, size_t length, uint32_t crc = 0);

} // namespace bkconv
