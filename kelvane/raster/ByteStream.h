#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Result.h"

namespace kelvane {

// Little-endian reads from a byte span. Every read checks the length first and fails
// with "<what>: truncated at offset N"; nothing is read past the end.
class ByteReader {
public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t offset() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool seek(size_t pos) {
    if (pos > data_.size()) return false;
    pos_ = pos;
    return true;
  }

  Result<std::span<const uint8_t>> bytes(size_t n, std::string_view what) {
    if (n > remaining())
      return fail(std::string(what) + ": truncated at offset " + std::to_string(data_.size()));
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  template <class T>
  Result<T> le(std::string_view what) {  // T: an integer or float type
    auto b = bytes(sizeof(T), what);
    if (!b) return fail(b.error());
    T v;
    std::memcpy(&v, b->data(), sizeof(T));  // the hosts we build for are little-endian
    return v;
  }

private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

static_assert(std::endian::native == std::endian::little, "file formats are read as little-endian");

// Little-endian writes into a growing byte vector.
class ByteWriter {
public:
  template <class T>
  void le(T v) {
    const size_t at = bytes_.size();
    bytes_.resize(at + sizeof(T));
    std::memcpy(bytes_.data() + at, &v, sizeof(T));
  }
  void raw(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  void raw(std::span<const uint8_t> b) { raw(b.data(), b.size()); }
  void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
};

}  // namespace kelvane
