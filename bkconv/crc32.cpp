// CRC-32, eight bytes at a time: a cold load checksums the whole book, so the byte-wise loop is too slow.
#include "crc32.h"

namespace bkconv {
namespace {

struct Tables {
  uint32_t t[8][256] = {};
  constexpr Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
      for (uint32_t i = 0; i < 256; ++i)
        t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

constexpr Tables kTables;

uint32_t Load32(const uint8_t* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

uint32_t Crc32(const void* data, size_t length, uint32_t crc) {
  const auto& t = kTables.t;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  while (length >= 8) {
    uint32_t a = crc ^ Load32(p);
    uint32_t b = Load32(p + 4);
    crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
          t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    p += 8;
    length -= 8;
  }
  while (length--)
    crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

} // namespace bkconv
