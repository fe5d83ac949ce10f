#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

#include "raster/LiteralDeflate.h"

namespace kelvane {
namespace {

// zlib's own inflate of a raw deflate stream, `expected` bytes long.
std::vector<uint8_t> inflateRaw(const std::vector<uint8_t>& stream, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END) << (z.msg ? z.msg : "");
  EXPECT_EQ(z.avail_in, 0u);  // nothing after the final block
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

TEST(LiteralDeflate, PiecesMadeApartInflateToTheWholeData) {
  std::mt19937 gen(9);
  std::vector<std::vector<uint8_t>> cases = {{}, {42}, std::vector<uint8_t>(5000, 7)};
  std::vector<uint8_t> uniform(70000), skewed(70000);
  for (auto& b : uniform) b = uint8_t(gen());
  // Counts that grow like Fibonacci numbers make a Huffman tree deeper than 15 codes.
  size_t at = 0;
  for (uint64_t a = 1, b = 1, symbol = 0; symbol < 24 && at < skewed.size(); ++symbol, std::tie(a, b) = std::pair(b, a + b))
    for (uint64_t k = 0; k < a && at < skewed.size(); ++k) skewed[at++] = uint8_t(symbol);
  std::shuffle(skewed.begin(), skewed.begin() + std::ptrdiff_t(at), gen);
  skewed.resize(at);
  cases.push_back(uniform);
  cases.push_back(skewed);
  for (size_t c = 0; c < cases.size(); ++c) {
    std::vector<uint8_t> stream;
    DeflateLiterals(cases[c], true, stream);
    EXPECT_EQ(inflateRaw(stream, cases[c].size()), cases[c]) << "case " << c;
  }
  // Three pieces, the last one final, joined byte by byte.
  std::vector<uint8_t> stream, whole;
  for (size_t c : {3u, 1u, 4u}) {
    DeflateLiterals(cases[c], c == 4, stream);
    whole.insert(whole.end(), cases[c].begin(), cases[c].end());
  }
  EXPECT_EQ(inflateRaw(stream, whole.size()), whole);
}

TEST(LiteralDeflate, CodeLengthsStayWithinTheirLimit) {
  std::vector<uint64_t> counts(30);
  for (size_t i = 0, a = 1, b = 1; i < counts.size(); ++i, std::tie(a, b) = std::pair(b, a + b)) counts[i] = a;
  const auto lengths = HuffmanLengths(counts, 15);
  double kraft = 0;
  for (uint8_t l : lengths) {
    EXPECT_GE(l, 1);
    EXPECT_LE(l, 15);
    kraft += std::ldexp(1.0, -l);
  }
  EXPECT_DOUBLE_EQ(kraft, 1.0);  // a complete code, as inflate wants
  const std::vector<uint64_t> one = {0, 0, 5, 0};
  EXPECT_EQ(HuffmanLengths(one, 7), (std::vector<uint8_t>{1, 0, 1, 0}));
}

}  // namespace
}  // namespace kelvane
