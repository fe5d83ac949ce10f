#include "TexParams.h"

#include <algorithm>
#include <cmath>

namespace kelvane {

float ClampTexParam(size_t field, float value) {
  const TTexParamField& f = kTexParamFields[field];
  return std::isfinite(value) ? std::clamp(value, f.Min, f.Max) : f.Default;
}

TTexParamValues LoadTexParams(const TKVXParamBlock& param) {
  TTexParamValues v{};
  for (size_t i = 0; i < kTexParamCount; ++i) v[i] = param.*kTexParamFields[i].Field;
  return v;
}

bool WriteTexParam(TKVXParamBlock* target, const TTexParamValues& controls, size_t changed) {
  if (!target || changed >= kTexParamCount) return false;
  auto write = [&](size_t i) { target->*kTexParamFields[i].Field = ClampTexParam(i, controls[i]); };
  write(changed);
  if (kTexParamFields[changed].Partner >= 0) write(size_t(kTexParamFields[changed].Partner));
  return true;
}

}  // namespace kelvane
