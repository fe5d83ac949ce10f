#pragma once
#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace kelvane {

// Runs fn(y0, y1) over the rows 0..rows split into one block per core, when the work
// (rows x columns) is large enough to pay for the threads; otherwise in one call. The
// blocks never share a row, so results do not depend on how the rows were split.
template <class Fn>
void ParallelRows(int rows, int columns, Fn&& fn) {
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  const unsigned parts =
      int64_t(rows) * columns < (int64_t(1) << 18) ? 1u : std::min<unsigned>(cores, unsigned(std::max(rows, 1)));
  if (parts <= 1) {
    fn(0, rows);
    return;
  }
  std::vector<std::thread> workers;
  for (unsigned i = 1; i < parts; ++i)
    workers.emplace_back([&fn, rows, parts, i] { fn(int(int64_t(rows) * i / parts), int(int64_t(rows) * (i + 1) / parts)); });
  fn(0, int(int64_t(rows) / parts));
  for (auto& t : workers) t.join();
}

}  // namespace kelvane
