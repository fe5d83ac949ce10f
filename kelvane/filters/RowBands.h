#pragma once
#include <algorithm>
#include <cstdint>

#include "../raster/ParallelRows.h"
#include "../raster/Progress.h"

namespace kelvane {

// Rows in one band of a pass that can be cancelled: about half a million pixels, a few
// milliseconds of the slowest pass, and still enough to share between the cores.
inline int CancelBandRows(int columns) {
  const int64_t w = std::max(columns, 1);
  return int(std::max<int64_t>(1, ((int64_t(1) << 19) + w - 1) / w));
}

// ParallelRows band after band, asking the progress before each band whether to stop:
// false when it stopped (the rows not reached are left as they were). Without a
// progress it is ParallelRows itself. Rows are independent, so the bands do not change
// the result.
template <class Fn>
bool ParallelRowsUnlessStopped(int rows, int columns, const TProgress* progress, Fn&& fn) {
  if (!progress) {
    ParallelRows(rows, columns, fn);
    return true;
  }
  const int band = CancelBandRows(columns);
  for (int y = 0; y < rows; y += band) {
    if (progress->CancelRequested()) return false;
    const int end = y + std::min(band, rows - y);
    ParallelRows(end - y, columns, [&fn, y](int a, int b) { fn(y + a, y + b); });
  }
  return true;
}

}  // namespace kelvane
