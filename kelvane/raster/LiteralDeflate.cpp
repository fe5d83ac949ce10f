#include "LiteralDeflate.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <queue>

namespace kelvane {
namespace {

// Bits go out least significant first, as deflate reads them.
class BitWriter {
public:
  // `bits`: exactly what will be written, so that no more memory is touched than needed.
  BitWriter(std::vector<uint8_t>& out, uint64_t bits) : out_(out), start_(out.size()) {
    out_.resize(start_ + size_t(bits / 8) + 16);
    p_ = out_.data() + start_;
  }
  void put(uint32_t bits, int count) {
    buf_ |= uint64_t(bits) << n_;
    n_ += count;
    if (n_ >= 32) {
      const uint32_t word = uint32_t(buf_);
      std::memcpy(p_, &word, 4);  // little-endian hosts only, as every file format here
      p_ += 4;
      buf_ >>= 32;
      n_ -= 32;
    }
  }
  // Each byte of data as its code: the hot loop, kept in locals (the output bytes could
  // otherwise alias the writer's own state).
  void putAll(std::span<const uint8_t> data, const uint32_t* codes, const uint8_t* lengths) {
    uint64_t buf = buf_;
    int n = n_;
    uint8_t* p = p_;
    for (uint8_t b : data) {
      buf |= uint64_t(codes[b]) << n;
      n += lengths[b];
      if (n >= 32) {
        const uint32_t word = uint32_t(buf);
        std::memcpy(p, &word, 4);
        p += 4;
        buf >>= 32;
        n -= 32;
      }
    }
    buf_ = buf;
    n_ = n;
    p_ = p;
  }
  // Pads with zero bits to the next byte and gives the bytes back to the vector.
  void finish() {
    for (; n_ > 0; n_ -= 8, buf_ >>= 8) *p_++ = uint8_t(buf_);
    n_ = 0;
    out_.resize(size_t(p_ - out_.data()));
  }

private:
  std::vector<uint8_t>& out_;
  size_t start_;
  uint8_t* p_;
  uint64_t buf_ = 0;
  int n_ = 0;
};

// Canonical codes for the lengths, bit-reversed for writing least significant bit first.
std::vector<uint32_t> canonicalCodes(const std::vector<uint8_t>& lengths) {
  uint32_t count[16] = {}, next[16] = {};
  for (uint8_t l : lengths)
    if (l) ++count[l];
  for (int bits = 1, code = 0; bits < 16; ++bits) {
    code = (code + int(count[bits - 1])) << 1;
    next[bits] = uint32_t(code);
  }
  std::vector<uint32_t> codes(lengths.size(), 0);
  for (size_t s = 0; s < lengths.size(); ++s) {
    const int l = lengths[s];
    if (!l) continue;
    uint32_t c = next[l]++, reversed = 0;
    for (int i = 0; i < l; ++i, c >>= 1) reversed = reversed << 1 | (c & 1);
    codes[s] = reversed;
  }
  return codes;
}

}  // namespace

std::vector<uint8_t> HuffmanLengths(std::span<const uint64_t> counts, int limit) {
  std::vector<uint64_t> c(counts.begin(), counts.end());
  for (size_t s = 0; std::count_if(c.begin(), c.end(), [](uint64_t v) { return v > 0; }) < 2 && s < c.size(); ++s)
    if (c[s] == 0) c[s] = 1;
  std::vector<uint8_t> lengths(c.size(), 0);
  for (;;) {
    // Leaves first, then the joined nodes; each knows its parent.
    std::vector<int> parent;
    std::vector<size_t> leafOf;
    using Node = std::pair<uint64_t, int>;
    std::priority_queue<Node, std::vector<Node>, std::greater<>> heap;
    for (size_t s = 0; s < c.size(); ++s) {
      if (!c[s]) continue;
      heap.push({c[s], int(parent.size())});
      parent.push_back(-1);
      leafOf.push_back(s);
    }
    while (heap.size() > 1) {
      const Node a = heap.top();
      heap.pop();
      const Node b = heap.top();
      heap.pop();
      const int joined = int(parent.size());
      parent.push_back(-1);
      parent[size_t(a.second)] = parent[size_t(b.second)] = joined;
      heap.push({a.first + b.first, joined});
    }
    int longest = 0;
    for (size_t leaf = 0; leaf < leafOf.size(); ++leaf) {
      int depth = 0;
      for (int n = int(leaf); parent[size_t(n)] >= 0; n = parent[size_t(n)]) ++depth;
      lengths[leafOf[leaf]] = uint8_t(depth);
      longest = std::max(longest, depth);
    }
    if (longest <= limit) return lengths;
    // Too deep: flatten the counts and build again.
    for (uint64_t& v : c)
      if (v) v = (v >> 1) | 1;
  }
}

void DeflateLiterals(std::span<const uint8_t> data, bool final, std::vector<uint8_t>& out) {
  // Four tables, so that runs of one byte do not wait on the same counter.
  uint64_t partial[4][256] = {};
  size_t i = 0;
  for (; i + 4 <= data.size(); i += 4) {
    ++partial[0][data[i]];
    ++partial[1][data[i + 1]];
    ++partial[2][data[i + 2]];
    ++partial[3][data[i + 3]];
  }
  for (; i < data.size(); ++i) ++partial[0][data[i]];
  std::vector<uint64_t> counts(257, 0);
  for (int b = 0; b < 256; ++b)
    counts[size_t(b)] = partial[0][b] + partial[1][b] + partial[2][b] + partial[3][b];
  counts[256] = 1;  // the end of the block
  const std::vector<uint8_t> lengths = HuffmanLengths(counts, 15);
  const std::vector<uint32_t> codes = canonicalCodes(lengths);

  // The code lengths of the 257 literal codes and of one distance code (of one bit: the
  // block uses none), each sent as a symbol of the code-length code.
  std::vector<uint8_t> sent(lengths);
  sent.push_back(1);
  std::vector<uint64_t> clCounts(19, 0);
  for (uint8_t l : sent) ++clCounts[l];
  const std::vector<uint8_t> clLengths = HuffmanLengths(clCounts, 7);
  const std::vector<uint32_t> clCodes = canonicalCodes(clLengths);
  static constexpr int kClOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

  uint64_t bits = 3 + 14 + 19 * 3 + 3 + 32 + 8;  // headers, an empty stored block, padding
  for (uint8_t l : sent) bits += clLengths[l];
  for (size_t b = 0; b < 257; ++b) bits += counts[b] * lengths[b];
  BitWriter w(out, bits);
  w.put(final ? 1 : 0, 1);
  w.put(2, 2);   // a block with its own Huffman codes
  w.put(0, 5);   // 257 literal and length codes
  w.put(0, 5);   // 1 distance code
  w.put(15, 4);  // 19 code-length code lengths
  for (int s : kClOrder) w.put(clLengths[size_t(s)], 3);
  for (uint8_t l : sent) w.put(clCodes[l], clLengths[l]);
  w.putAll(data, codes.data(), lengths.data());
  w.put(codes[256], lengths[256]);
  if (!final) {
    w.put(0, 3);  // an empty stored block: not final, no compression
    w.finish();
    out.insert(out.end(), {0x00, 0x00, 0xFF, 0xFF});
    return;
  }
  w.finish();
}

}  // namespace kelvane
