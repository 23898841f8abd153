// Reading a fuzz input as a stream of small decisions: bytes, words and byte strings, zero once used up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace abkfuzz {

class FuzzInput {
public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return offset_ >= size_; }
  size_t Left() const { return Empty() ? 0 : size_ - offset_; }

  uint8_t Byte() {
    if (Empty()) return 0;
    return data_[offset_++];
  }

  uint32_t Word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value |= static_cast<uint32_t>(Byte()) << (8 * i);
    return value;
  }

  // A number below limit (limit > 0), from one byte: small choices stay cheap for the mutator.
  uint32_t Below(uint32_t limit) { return Byte() % limit; }

  // Up to count bytes, fewer when the input runs out.
  std::string Bytes(size_t count) {
    if (count > Left()) count = Left();
    std::string bytes(reinterpret_cast<const char*>(data_ + offset_), count);
    offset_ += count;
    return bytes;
  }

private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

} // namespace abkfuzz
