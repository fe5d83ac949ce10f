#pragma once
#include <string>
#include <vector>

namespace kelvane::cli {

// grid perspective W H X0,Y0 X1,Y1 X2,Y2 X3,Y3 COLS ROWS OUT.kvg: a lattice whose outline
// is the quadrilateral (top left, top right, bottom right, bottom left, image pixels).
int GridPerspectiveCommand(const std::vector<std::string>& args);

}  // namespace kelvane::cli
