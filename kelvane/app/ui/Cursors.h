#pragma once
#include <QCursor>

namespace kelvane::ui {

// The program's cursors by number, drawn here: 30..32 crosses (plain, add, subtract),
// 33 the wand, 34 the eyedropper, 35..37 polygons and 38..40 lassos in the three modes,
// 41 the colour pick, 42 the hand, 44 the magnifier, 45 the grid move. Any other
// number is the arrow.
QCursor ProgramCursor(int number);
// Cursor 43: a circle of the brush's diameter in screen pixels, hot spot at its centre.
QCursor BrushCursor(int diameter);

}  // namespace kelvane::ui
