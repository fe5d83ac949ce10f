#pragma once
#include "KVXGridTools.h"
#include "PlanarMath.h"

// The ribbon brushes: a one-column strip of cells painted along a curve. Each click
// appends a cell; between clicks the last cell follows the mouse. Both work only on a
// lattice of one column and at least one cell, and leave other grids alone.
namespace kelvane {

// Whether the brushes work on this grid.
bool IsRibbon(const TMapGrid& grid);

// The last cell's bottom edge becomes the segment from the cell's centre to P turned a
// quarter turn about its middle; with append, a copy of the cell moved by P minus the
// centre is added below it.
void ExtendRibbon(TMapGrid& grid, const TPlanarVector& p, bool append);
// The last cell turns to point at P (one cell) or its top edge becomes the mitre that
// bisects the bend at the joint, keeping the ribbon's width; with append, a copy of the
// last cell's shape is added below it.
void ExtendRibbonMitred(TMapGrid& grid, const TPlanarVector& p, bool append);
// V runs 0 .. 1 along the ribbon by the length of its cells (midpoint of the top edge to
// midpoint of the bottom edge). A ribbon of no length keeps its V.
void NormalizeRibbonV(TMapGrid& grid);

}  // namespace kelvane
