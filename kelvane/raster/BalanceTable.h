#pragma once
#include <array>
#include <cstdint>

#include "TBitmap32.h"

namespace kelvane {

// Inputs of the balance table; the defaults are those of a caller that leaves them.
struct BalanceInputs {
  int brightness = 0;  // -100..100
  int contrast = 0;    // -100..100
  int gamma = 0;       // -100..100
  int low = 0, mid = 127, high = 255;
  int rangeLow = 0, rangeHigh = 255;
};

using TBalanceTable = std::array<uint8_t, 256>;

// The 256-entry lookup table for brightness, contrast and gamma (single precision).
TBalanceTable BuildBalanceTable(const BalanceInputs& in);

// Replaces the red, green and blue bytes of every pixel by table[byte]; alpha stays.
void ApplyBalanceTable(TBitmap32& bmp, const TBalanceTable& table);

}  // namespace kelvane
