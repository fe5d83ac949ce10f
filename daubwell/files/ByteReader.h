#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "Result.h"

namespace daubwell {

// Little-endian reads from a byte span. Every read checks the length first and fails
// with "<field>: truncated at offset N"; nothing is read past the end.
class ByteReader {
public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t offset() const { return pos_; }
  size_t remaining() const { return data_.size() - pos_; }

  Result<uint32_t> u32le(std::string_view field) {
    auto b = bytes(4, field);
    if (!b) return fail(b.error());
    const uint8_t* p = b->data();
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  }
  Result<int32_t> i32le(std::string_view field) {
    auto v = u32le(field);
    if (!v) return fail(v.error());
    return int32_t(v.value());
  }
  Result<std::span<const uint8_t>> bytes(size_t n, std::string_view field) {
    if (n > remaining())
      return fail(std::string(field) + ": truncated at offset " + std::to_string(data_.size()));
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

inline uint32_t u32FromLe(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline float floatFromLe(const uint8_t* p) {
  const uint32_t u = u32FromLe(p);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

inline void putU32le(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

inline void putFloatLe(uint8_t* p, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  putU32le(p, u);
}

}  // namespace daubwell
