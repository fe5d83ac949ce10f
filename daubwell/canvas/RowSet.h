#pragma once
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace daubwell {

// A set of canvas rows 0..rows-1, one bit each.
class RowSet {
public:
  RowSet() = default;
  explicit RowSet(uint32_t rows, bool all = false) : rows_(rows), words_((size_t(rows) + 63) / 64) {
    if (all) addAll();
  }

  uint32_t rows() const { return rows_; }

  // Rows [y0, y1), clamped to the set.
  void add(uint32_t y0, uint32_t y1) {
    y1 = std::min(y1, rows_);
    if (y0 >= y1) return;
    const size_t w0 = y0 / 64, w1 = (y1 - 1) / 64;
    const uint64_t first = ~uint64_t(0) << (y0 % 64);
    const uint64_t last = ~uint64_t(0) >> (63 - (y1 - 1) % 64);
    if (w0 == w1) {
      words_[w0] |= first & last;
      return;
    }
    words_[w0] |= first;
    for (size_t w = w0 + 1; w < w1; ++w) words_[w] = ~uint64_t(0);
    words_[w1] |= last;
  }
  void addAll() { add(0, rows_); }
  void clear() { std::fill(words_.begin(), words_.end(), 0); }

  bool contains(uint32_t y) const { return y < rows_ && (words_[y / 64] >> (y % 64) & 1); }
  bool empty() const {
    return std::all_of(words_.begin(), words_.end(), [](uint64_t w) { return w == 0; });
  }
  size_t count() const {
    size_t n = 0;
    for (uint64_t w : words_) n += size_t(std::popcount(w));
    return n;
  }

  // fn(y0, y1) for each maximal run of rows in the set, top to bottom.
  template <class Fn>
  void forEachRun(Fn&& fn) const {
    uint32_t y = 0;
    while (y < rows_) {
      while (y < rows_ && !contains(y)) y = skipClear(y);
      if (y >= rows_) return;
      uint32_t end = y;
      while (end < rows_ && contains(end)) end = skipSet(end);
      fn(y, std::min(end, rows_));
      y = end;
    }
  }

private:
  // The next row to look at from y when y is clear (or set): whole words at a time.
  uint32_t skipClear(uint32_t y) const {
    return y % 64 == 0 && words_[y / 64] == 0 ? y + 64 : y + 1;
  }
  uint32_t skipSet(uint32_t y) const {
    return y % 64 == 0 && words_[y / 64] == ~uint64_t(0) ? y + 64 : y + 1;
  }

  uint32_t rows_ = 0;
  std::vector<uint64_t> words_;
};

}  // namespace daubwell
