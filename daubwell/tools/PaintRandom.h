#pragma once
#include <cstdint>

namespace daubwell {

// The one random generator of the paint engine: uniform integers 0..32767, seedable so
// that strokes can be reproduced.
class PaintRandom {
public:
  explicit PaintRandom(uint32_t seed = 1) { seed_(seed); }
  void seed(uint32_t s) { seed_(s); }
  int next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return int((state_ >> 33) & 0x7FFF);
  }

private:
  void seed_(uint32_t s) { state_ = s * 0x9E3779B97F4A7C15ull + 1; }
  uint64_t state_ = 0;
};

}  // namespace daubwell
