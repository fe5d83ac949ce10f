#include "BlockCodec.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace daubwell {
namespace {

int stepOf(int level) { return level >= 0 && level < 8 ? 1 << level : 0; }

// How many bits an offset takes for a block of spread m, one rule per quantisation step:
// the first limit that m is below gives n = its index; m at or above every limit gives
// `otherwise`. A zero limit is a column the step never uses.
struct StepRule {
  int step;
  int reduceBelow;  // m is reduced when maxdev - avgdev < this; 0 = never
  std::array<int, 8> limits;
  int otherwise;
};

constexpr StepRule kStepRules[] = {
    {2, 0, {2, 0, 4, 8, 16, 32, 64, 0}, 7},
    {4, 4, {4, 0, 8, 16, 32, 64, 128, 0}, 7},
    {8, 5, {2, 8, 16, 32, 64, 128, 0, 0}, 6},
    {16, 4, {4, 16, 32, 64, 128, 0, 0, 0}, 5},
    {32, 0, {8, 16, 32, 64, 128, 0, 0, 0}, 5},
};

int bitsPerOffset(int step, int maxdev, int avgdev) {
  for (const StepRule& rule : kStepRules) {
    if (rule.step != step) continue;
    int m = maxdev;
    if (rule.reduceBelow && maxdev - avgdev < rule.reduceBelow) m -= (maxdev - avgdev) >> 1;
    for (int n = 0; n < 8; ++n)
      if (rule.limits[n] && m < rule.limits[n]) return n;
    return rule.otherwise;
  }
  return 0;
}

class BitWriter {
public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void put(uint32_t value, int n) {  // n <= 24
    acc_ = (acc_ << n) | (value & ((1u << n) - 1));
    bits_ += n;
    while (bits_ >= 8) {
      bits_ -= 8;
      out_.push_back(uint8_t(acc_ >> bits_));
    }
  }
  void flush() {
    if (bits_ > 0) out_.push_back(uint8_t(acc_ << (8 - bits_)));
    bits_ = 0;
  }

private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

// Most-significant-bit-first reader; past the end of the stream it supplies zeros.
class BitReader {
public:
  explicit BitReader(std::span<const uint8_t> s) : p_(s.data()), end_(s.data() + s.size()) {}
  uint32_t get(int n) {  // 1 <= n <= 24
    if (count_ < n) refill();
    const uint32_t v = uint32_t(buf_ >> (64 - n));
    buf_ <<= n;
    count_ -= n;
    return v;
  }

private:
  void refill() {
    if (end_ - p_ >= 8) {
      // Load eight bytes and keep the whole ones that fit; the partial byte is read
      // again, into the same place, by the next refill.
      uint64_t w = 0;
      for (int i = 0; i < 8; ++i) w = (w << 8) | p_[i];
      buf_ |= w >> count_;
      p_ += (63 - count_) >> 3;
      count_ |= 56;
      return;
    }
    while (count_ <= 56) {
      const uint64_t byte = p_ < end_ ? *p_++ : 0;
      buf_ |= byte << (56 - count_);
      count_ += 8;
    }
  }

  const uint8_t* p_;
  const uint8_t* end_;
  uint64_t buf_ = 0;
  int count_ = 0;
};

}  // namespace

void encodePlane(std::vector<uint8_t>& out, std::span<const uint8_t> plane, uint32_t width,
                 uint32_t height, int level) {
  const int step = stepOf(level);
  const uint32_t bw = (width + 3) / 4, bh = (height + 3) / 4;
  std::vector<uint8_t> stream;
  stream.reserve(size_t(bw) * bh * 16);
  BitWriter bits(stream);
  uint8_t v[16];
  for (uint32_t bx = 0; bx < bw; ++bx) {
    for (uint32_t by = 0; by < bh; ++by) {
      // The padding beyond the last real column and row repeats them.
      for (int r = 0; r < 4; ++r) {
        const uint32_t y = std::min(by * 4 + r, height - 1);
        const uint8_t* row = plane.data() + size_t(y) * width;
        for (int c = 0; c < 4; ++c) v[r * 4 + c] = row[std::min(bx * 4 + c, width - 1)];
      }
      int sum = 0;
      for (uint8_t x : v) sum += x;
      const int mean = sum >> 4;
      int maxdev = 0, devsum = 0;
      for (uint8_t x : v) {
        const int d = std::abs(x - mean);
        maxdev = std::max(maxdev, d);
        devsum += d;
      }
      const int avgdev = devsum >> 4;
      const int base = std::clamp(mean - maxdev, 0, 255);
      const int n = step ? bitsPerOffset(step, maxdev, avgdev) : 0;
      bits.put(uint32_t(n), 4);
      if (n == 0) {
        bits.put(uint32_t(mean), 8);
        continue;
      }
      bits.put(uint32_t(base), 8);
      const int qmax = (1 << n) - 1;
      for (uint8_t x : v) bits.put(uint32_t(std::clamp((x - base) / step, 0, qmax)), n);
    }
  }
  bits.flush();
  uint8_t count[4];
  putU32le(count, uint32_t(stream.size()));
  out.insert(out.end(), count, count + 4);
  out.insert(out.end(), stream.begin(), stream.end());
}

void decodeStream(std::span<const uint8_t> stream, std::span<uint8_t> plane, uint32_t width,
                  uint32_t height, int level) {
  const int step = stepOf(level);
  const int correction = step > 1 ? step / 2 - 1 : 0;
  const uint32_t bw = (width + 3) / 4, bh = (height + 3) / 4;
  BitReader bits(stream);
  uint8_t v[16];
  for (uint32_t bx = 0; bx < bw; ++bx) {
    const uint32_t x0 = bx * 4;
    const uint32_t cols = std::min<uint32_t>(4, width - x0);
    for (uint32_t by = 0; by < bh; ++by) {
      const int n = int(bits.get(4));
      const int base = int(bits.get(8));
      if (n == 0) {
        std::fill(v, v + 16, uint8_t(base));
      } else {
        // n above 8 never comes from the encoder; such offsets are read and clamped.
        const int add = base + correction;
        for (uint8_t& x : v) x = uint8_t(std::min(add + int(bits.get(n)) * step, 255));
      }
      const uint32_t y0 = by * 4;
      const uint32_t rows = std::min<uint32_t>(4, height - y0);
      for (uint32_t r = 0; r < rows; ++r) {
        uint8_t* dst = plane.data() + size_t(y0 + r) * width + x0;
        for (uint32_t c = 0; c < cols; ++c) dst[c] = v[r * 4 + c];
      }
    }
  }
}

Status decodePlane(ByteReader& in, std::span<uint8_t> plane, uint32_t width, uint32_t height,
                   int level) {
  if (plane.size() < size_t(width) * height) return fail("plane buffer too small");
  auto n = in.i32le("plane byte count");
  if (!n) return fail(n.error());
  if (n.value() < 0) return fail("plane byte count is negative");
  auto stream = in.bytes(size_t(n.value()), "plane");
  if (!stream) return fail(stream.error());
  decodeStream(stream.value(), plane, width, height, level);
  return Ok{};
}

}  // namespace daubwell
