#pragma once
#include <string_view>

// The buttons of the UV texture editor window, in their order: the window and the tests
// read the same rows.
namespace kelvane {

enum class TUVCommand {
  SetTool,      // the editor's tool (Tool)
  AddVertLine,  // a column at the hovered node's column
  AddHorLine,   // a row at the hovered node's row
  AlignGrid,    // the lattice spread evenly over the texture
  TileX,        // the texture twice as wide
  TileY,        // the texture twice as high
  OpenTexture,  // the document window's texture "Load..."
  OpenGrid,     // a grid file into the current grid
  SaveGrid,     // the current grid into a grid file
};

struct TUVButton {
  TUVCommand Command;
  int Tool;  // for SetTool; -1 otherwise
  std::string_view Hint;
};

inline constexpr std::string_view kUVEditorCaption = "UV Texture Editor";

inline constexpr TUVButton kUVButtons[] = {
    {TUVCommand::SetTool, 1, "Move Points"},
    {TUVCommand::SetTool, 2, "Scale Grid"},
    {TUVCommand::SetTool, 5, "Move Selected Points"},
    {TUVCommand::SetTool, 3, "Rotate Grid"},
    {TUVCommand::AddVertLine, -1, "Add Vert Line"},
    {TUVCommand::AddHorLine, -1, "Add Hor Line"},
    {TUVCommand::AlignGrid, -1, "Align Grid"},
    {TUVCommand::TileX, -1, "Tile X"},
    {TUVCommand::TileY, -1, "Tile Y"},
    {TUVCommand::OpenTexture, -1, "Open Texture"},
    {TUVCommand::OpenGrid, -1, "Open Grid"},
    {TUVCommand::SaveGrid, -1, "Save Grid"},
};

}  // namespace kelvane
