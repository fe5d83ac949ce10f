#pragma once
#include <cstdint>

#include "Canvas.h"

namespace daubwell {

// Computes the shown colour of pixel (x, y) from its record, its neighbours' relief and
// the displaced highlight, and writes it into canvas.surface. Does nothing outside.
void shadePixel(Canvas& canvas, uint32_t x, uint32_t y);

// shadePixel for every pixel, then marks the lighting valid. Rows are split between
// the available cores; every pixel depends only on the records, so the result is the
// same as one pass in any order.
void relightAll(Canvas& canvas);

// What relightAll would show, recomputing only the rows that read a record changed since
// the whole canvas was last relit with the same display flags (every writer announces
// its rows through aboutToWrite); everything when that is not known, or is most of it.
// Restoring an undo snapshot relights this way.
void relightChanged(Canvas& canvas);

// shadePixel for x0 <= x < x1, y0 <= y < y1 after clamping the rectangle to the canvas.
void relightRect(Canvas& canvas, int x0, int y0, int x1, int y1);

// The unhurried reference: one thread, columns outer and rows inner, one shadePixel
// call per pixel. Tests compare relightAll against it.
void relightAllReference(Canvas& canvas);

// The builds of the relighting passes this processor runs: 1 (the baseline) to 3 (with
// AVX2, then AVX-512). Relighting uses the widest; useVectorBuild picks another (0 is
// the baseline), for tests and benchmarks that compare them; not while a relight runs.
int vectorBuilds();
void useVectorBuild(int build);

}  // namespace daubwell
