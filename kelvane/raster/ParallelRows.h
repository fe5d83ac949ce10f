#pragma once
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
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

// ParallelRows for passes whose blocks cost nothing to start: the rows go out in bands of
// about 64 K pixels, each core taking the next free band until none is left. A core held
// up by other programs then leaves its share to the others instead of holding up the
// pass, and the caller never waits for a helper thread that has not started: it waits
// only for bands already taken. Same blocks-never-share-a-row guarantee.
template <class Fn>
void ParallelRowBands(int rows, int columns, Fn&& fn) {
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  if (cores <= 1 || int64_t(rows) * columns < (int64_t(1) << 18) || rows < 2) {
    fn(0, rows);
    return;
  }
  const int band = int(std::clamp<int64_t>((int64_t(1) << 16) / std::max(columns, 1), 1, rows));
  const int bands = (rows + band - 1) / band;
  // Shared with the helpers, which may outlive the call: a late one finds no band left and
  // never touches fn.
  struct State {
    std::atomic<int> next{0};
    int done = 0;
    std::mutex lock;
    std::condition_variable finished;
  };
  auto state = std::make_shared<State>();
  auto work = [state, &fn, rows, band, bands] {
    for (int b; (b = state->next.fetch_add(1)) < bands;) {
      fn(b * band, std::min(rows, (b + 1) * band));
      const std::lock_guard<std::mutex> guard(state->lock);
      if (++state->done == bands) state->finished.notify_all();
    }
  };
  for (unsigned i = 1; i < cores; ++i) std::thread([state, work] { work(); }).detach();
  work();
  std::unique_lock<std::mutex> guard(state->lock);
  state->finished.wait(guard, [&] { return state->done == bands; });
}

}  // namespace kelvane
