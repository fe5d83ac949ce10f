#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace daubwell {

// Fewer pixels than this are not worth starting threads for.
inline constexpr uint64_t kParallelPixels = uint64_t(1) << 16;

inline unsigned workerThreads() { return std::max(1u, std::min(8u, std::thread::hardware_concurrency())); }

// Runs fn(y0, y1) over rows 0..rows split into one block per core when rows x columns is
// large enough to pay for the threads, else in one call. Blocks never share a row, so a
// rule that reads and writes only its own rows gives the same result however they split.
template <class Fn>
void parallelRows(uint32_t rows, uint32_t columns, Fn&& fn) {
  const unsigned parts = uint64_t(rows) * columns < kParallelPixels ? 1u : std::min<unsigned>(workerThreads(), rows);
  if (parts <= 1) {
    fn(0u, rows);
    return;
  }
  std::vector<std::thread> workers;
  for (unsigned i = 1; i < parts; ++i)
    workers.emplace_back([&fn, rows, parts, i] {
      fn(uint32_t(uint64_t(rows) * i / parts), uint32_t(uint64_t(rows) * (i + 1) / parts));
    });
  fn(0u, uint32_t(uint64_t(rows) / parts));
  for (auto& t : workers) t.join();
}

// Runs fn(i) for every i below count on one thread per core, each thread taking the next
// i as it finishes the last: a core slowed by other work then takes fewer. For parts
// that write apart from one another, so the order they run in changes nothing.
template <class Fn>
void parallelParts(uint32_t count, Fn&& fn) {
  const unsigned cores = workerThreads();
  std::atomic<uint32_t> next{0};
  auto work = [&] {
    for (uint32_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) fn(i);
  };
  std::vector<std::thread> workers;
  for (unsigned i = 1; i < std::min<unsigned>(cores, count); ++i) workers.emplace_back(work);
  work();
  for (auto& t : workers) t.join();
}

}  // namespace daubwell
