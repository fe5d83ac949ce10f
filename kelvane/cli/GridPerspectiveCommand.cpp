#include "GridPerspectiveCommand.h"

#include <cmath>

#include "CliErrors.h"
#include "drape/PerspectiveGrid.h"

namespace kelvane::cli {
namespace {

int Whole(const std::string& text, const char* what, int64_t max) {
  const int64_t v = ParseInteger(text, what);
  if (v < 1 || v > max) throw UsageError(std::string(what) + " must be 1.." + std::to_string(max));
  return int(v);
}

TPlanarVector Corner(const std::string& text, const char* what) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos)
    throw UsageError(std::string(what) + ": expected X,Y");
  const double x = ParseReal(text.substr(0, comma), what), y = ParseReal(text.substr(comma + 1), what);
  if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9 || std::fabs(y) > 1e9)
    throw UsageError(std::string(what) + ": the corner lies too far out");
  return {x, y};
}

}  // namespace

int GridPerspectiveCommand(const std::vector<std::string>& a) {
  if (a.size() != 9) throw UsageError("grid perspective: expected W H X0,Y0 X1,Y1 X2,Y2 X3,Y3 COLS ROWS OUT.kvg");
  const int w = Whole(a[0], "W", 1000000), h = Whole(a[1], "H", 1000000);
  const TQuad corners{Corner(a[2], "X0,Y0"), Corner(a[3], "X1,Y1"), Corner(a[4], "X2,Y2"), Corner(a[5], "X3,Y3")};
  const int cols = Whole(a[6], "COLS", 10000), rows = Whole(a[7], "ROWS", 10000);
  TMapGrid g;
  if (Status s = BuildPerspectiveGrid(g, corners, w, h, cols, rows); !s) throw Failed(s.error());
  if (Status s = SaveGridFile(a[8], g); !s) throw Failed(s.error());
  return 0;
}

}  // namespace kelvane::cli
