#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace daubwell {

inline constexpr size_t kHugePageBytes = size_t(2) << 20;

// Asks the system to back the whole 2 MB pages inside [p, p + bytes) with huge pages
// when they are first touched: a 300 MB painting then costs some 150 page faults instead
// of some 75,000. Only a hint; it changes no byte, and does nothing where unsupported.
inline void adviseHugePages(void* p, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHugePageBytes - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

// Empties v and makes room in it for n elements, on huge pages where they pay: the old
// buffer goes before the new one comes, so a large image is never held twice.
template <class T>
void reserveOnHugePages(std::vector<T>& v, size_t n) {
  std::vector<T>().swap(v);
  v.reserve(n);
  adviseHugePages(v.data(), n * sizeof(T));
}

}  // namespace daubwell
