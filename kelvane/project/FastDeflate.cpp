#include "FastDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvane {
namespace {

constexpr uint32_t kAdlerBase = 65521;

// Bits packed least significant first, as deflate stores its fields.
class BitWriter {
public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Bits(uint32_t value, int n) {
    acc_ |= uint64_t(value) << fill_;
    fill_ += n;
    while (fill_ >= 8) {
      out_.push_back(uint8_t(acc_));
      acc_ >>= 8;
      fill_ -= 8;
    }
  }
  void Align() {
    if (fill_ > 0) Bits(0, 8 - fill_);
  }

private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  int fill_ = 0;
};

// A canonical Huffman code (RFC 1951, 3.2.2), each code bit-reversed once so that it
// can be written least significant bit first.
template <size_t N>
struct THuffman {
  std::array<uint8_t, N> Lengths{};
  std::array<uint32_t, N> Codes{};
  void Build() {
    std::array<uint32_t, 16> count{}, next{};
    for (uint8_t l : Lengths) ++count[l];
    count[0] = 0;
    for (uint32_t bits = 1, code = 0; bits < 16; ++bits) {
      code = (code + count[bits - 1]) << 1;
      next[bits] = code;
    }
    for (size_t i = 0; i < N; ++i) {
      if (!Lengths[i]) continue;
      const uint32_t c = next[Lengths[i]]++;
      uint32_t r = 0;
      for (int b = 0; b < Lengths[i]; ++b) r |= ((c >> b) & 1u) << (Lengths[i] - 1 - b);
      Codes[i] = r;
    }
  }
  void Put(BitWriter& w, size_t symbol) const { w.Bits(Codes[symbol], Lengths[symbol]); }
};

// The block's codes, complete as inflaters require: values 0 and 255 and length 258 take
// two bits; the other lengths, the end of block and values 1..200 ten; values 201..254
// eleven. One distance code: distance 1.
const THuffman<286>& LiteralCode() {
  static const THuffman<286> code = [] {
    THuffman<286> h;
    for (size_t s = 0; s < 286; ++s) h.Lengths[s] = s >= 201 && s <= 254 ? 11 : 10;
    h.Lengths[0] = h.Lengths[255] = h.Lengths[285] = 2;
    h.Build();
    return h;
  }();
  return code;
}

// The code lengths above as the block header sends them: through a code of their own
// (symbols 16, 10, 11 two bits, 2 and 1 three), repeats of a length by symbol 16.
void WriteHeader(BitWriter& w) {
  THuffman<19> cl;
  cl.Lengths[16] = cl.Lengths[10] = cl.Lengths[11] = 2;
  cl.Lengths[2] = cl.Lengths[1] = 3;
  cl.Build();
  static constexpr int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.Bits(1, 1);   // the last block
  w.Bits(2, 2);   // dynamic codes
  w.Bits(29, 5);  // 286 literal/length codes
  w.Bits(0, 5);   // 1 distance code
  w.Bits(14, 4);  // 18 code-length code lengths, up to symbol 1 in the order
  for (int i = 0; i < 18; ++i) w.Bits(cl.Lengths[size_t(kOrder[i])], 3);
  std::array<uint8_t, 287> lengths{};
  std::copy(LiteralCode().Lengths.begin(), LiteralCode().Lengths.end(), lengths.begin());
  lengths[286] = 1;
  for (size_t i = 0; i < lengths.size();) {
    cl.Put(w, lengths[i]);
    size_t same = 0;
    while (i + 1 + same < lengths.size() && lengths[i + 1 + same] == lengths[i] && same < 6) ++same;
    if (same >= 3) {
      cl.Put(w, 16);
      w.Bits(uint32_t(same - 3), 2);
      i += 1 + same;
    } else {
      ++i;
    }
  }
}

// Length codes 257..285: the first length of each and its extra bits.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

void PutCopy(BitWriter& w, size_t length) {
  size_t k = 28;
  while (kLengthBase[k] > length) --k;
  LiteralCode().Put(w, 257 + k);
  if (kLengthExtra[k]) w.Bits(uint32_t(length - kLengthBase[k]), kLengthExtra[k]);
  w.Bits(0, 1);  // distance 1
}

// Where the run of bytes[i]'s value that starts at i ends; eight bytes at a time.
size_t RunEnd(std::span<const uint8_t> bytes, size_t i) {
  const uint64_t pattern = bytes[i] * 0x0101010101010101ull;
  size_t j = i + 1;
  for (uint64_t word; j + 8 <= bytes.size(); j += 8) {
    std::memcpy(&word, bytes.data() + j, 8);
    if (word != pattern) break;
  }
  while (j < bytes.size() && bytes[j] == bytes[i]) ++j;
  return j;
}

// The Adler-32 after `length` more bytes of one value, without reading them: after n
// bytes v, a' = a + n v and b' = b + n a + v n (n + 1) / 2.
uint32_t AdlerOfRun(uint32_t adler, uint8_t value, uint64_t length) {
  const uint64_t a = adler & 0xFFFF, b = adler >> 16, n = length % kAdlerBase;
  const uint64_t triangle =
      length % 2 == 0 ? (length / 2) % kAdlerBase * ((length + 1) % kAdlerBase) : ((length + 1) / 2) % kAdlerBase * n;
  const uint64_t a2 = (a + n * value) % kAdlerBase;
  const uint64_t b2 = (b + n * a + value * (triangle % kAdlerBase)) % kAdlerBase;
  return uint32_t(b2 << 16 | a2);
}

}  // namespace

std::optional<std::vector<uint8_t>> DeflateWithRuns(std::span<const uint8_t> bytes) {
  if (bytes.size() < kRunDeflateMinSize) return std::nullopt;
  // Bytes that are not runs would come out larger than zlib makes them: give up early.
  const size_t budget = bytes.size() / 16 + 4096;
  std::vector<uint8_t> out = {0x78, 0xDA};  // zlib header: deflate, 32K window, level 9
  out.reserve(4096);
  BitWriter w(out);
  WriteHeader(w);
  const THuffman<286>& code = LiteralCode();
  uint32_t adler = 1;
  for (size_t i = 0; i < bytes.size();) {
    const size_t j = RunEnd(bytes, i);
    const uint8_t v = bytes[i];
    code.Put(w, v);
    size_t rest = j - i - 1;
    for (; rest >= 258; rest -= 258) {
      code.Put(w, 285);
      w.Bits(0, 1);
    }
    if (rest >= 3)
      PutCopy(w, rest);
    else
      for (; rest > 0; --rest) code.Put(w, v);
    adler = AdlerOfRun(adler, v, j - i);
    i = j;
    if (out.size() > budget) return std::nullopt;
  }
  code.Put(w, 256);
  w.Align();
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(adler >> shift));
  return out;
}

std::vector<uint8_t> DeflateQuick9(std::span<const uint8_t> bytes) {
  if (auto runs = DeflateWithRuns(bytes)) return std::move(*runs);
  z_stream z{};
  if (deflateInit(&z, 9) != Z_OK) return {};
  deflateTune(&z, 32, 258, 258, 64);  // level 9's lengths, a shorter chain
  std::vector<uint8_t> out(deflateBound(&z, uLong(bytes.size())));
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = uInt(bytes.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const bool ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(ok ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

}  // namespace kelvane
