#pragma once
#include <span>
#include <string_view>

#include "Brush.h"

// Everything the program says about a tool, in one row per ToolId: the windows, the
// brush engine, the command line and the tests all read these rows.
namespace daubwell {

struct Dab;
using DabRule = void (*)(Dab&);

// The Brush Properties controls a tool uses; the others are greyed.
struct ToolControls {
  bool size, strength, depth, shading, styleTab, textureTab;
};

// The Tools window's button groups, top to bottom; None for a tool without a button.
enum class ToolGroup { None, Brushes, Tools, Effects };
inline constexpr std::string_view kToolGroupHeaders[] = {"", "brushes", "tools", "effects"};

// A tool's button: its group, its place in it (two to a row, left first) and the stem
// of its two-state graphics (stem + "0" normal, stem + "1" selected).
struct ToolButton {
  ToolGroup group = ToolGroup::None;
  int place = 0;
  std::string_view graphic;
};

// What a tool's samples are painted on. A tool that works on paint already there shows
// nothing on a blank canvas, so its samples get a ground of paint first; a filling tool
// gets a ring to fill inside, so that its sample shows a patch.
enum class SampleGround { Blank, Paint, Ring };

struct ToolInfo {
  ToolId id;
  std::string_view caption;   // tooltip and Brush Properties title
  std::string_view name;      // the command line's name for it
  std::string_view status;    // status bar text while it is the current tool
  ToolControls controls;
  ToolButton button;
  DabRule dab;                // one application at the cursor
  int previewDabs;            // dabs at the centre of the Brush Properties preview
  SampleGround thumbnailGround;  // palette thumbnails
  SampleGround previewGround;    // the Brush Properties preview
  bool strokeOnPaint;         // stroke thumbnails, painted while this is the current tool
  bool recordsUndo;           // a press pushes an undo snapshot
  bool keepsStrengthWhenStill;  // a move of length 0 leaves the working strength alone
  bool writesAnywhere;        // may change records outside the dab square
};

// Every tool, in id order, each once.
std::span<const ToolInfo> tools();

// The row of a tool id; ids without a tool (3, 4, out of range) get a row that does
// nothing: no dab, no controls, no button, an empty status text.
const ToolInfo& toolInfo(int id);
// The tool of an id or a command-line name, or nullptr.
const ToolInfo* findTool(int id);
const ToolInfo* findTool(std::string_view name);

}  // namespace daubwell
