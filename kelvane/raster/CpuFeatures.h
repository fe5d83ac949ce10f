#pragma once

// Wider vector loops are compiled for their instruction set alone (target attributes) and
// chosen at run time, so the program still runs on any x86-64.
#if defined(__x86_64__) && defined(__GNUC__)
#define KELVANE_HAVE_AVX2_PATHS 1
#define KELVANE_TARGET_AVX2 __attribute__((target("avx2")))
#define KELVANE_TARGET_AVX512BW __attribute__((target("avx512f,avx512bw")))
#endif

namespace kelvane {

// Whether this processor runs AVX2 code.
inline bool HasAvx2() {
#if defined(KELVANE_HAVE_AVX2_PATHS)
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
#else
  return false;
#endif
}

// Whether this processor runs AVX-512 code with byte and word lanes.
inline bool HasAvx512bw() {
#if defined(KELVANE_HAVE_AVX2_PATHS)
  static const bool yes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return yes;
#else
  return false;
#endif
}

}  // namespace kelvane
