#pragma once
#include <span>
#include <string_view>

#include "TMainSession.h"

namespace kelvane {

enum class TCommandKind { Plain, Check, Radio, Separator };

// One item of the main window: its menu ("File", "File>Export", ...), caption, shortcut
// in the "Ctrl+S" form ("Num" is the numeric keypad) and hint ("short|long"). It runs
// `Run` on the main session, or forwards `Document` to the active document window.
struct TMainCommand {
  std::string_view Id;
  std::string_view Menu;
  std::string_view Caption;
  std::string_view Shortcut;
  std::string_view Hint;
  TCommandKind Kind = TCommandKind::Plain;
  void (*Run)(TMainSession&) = nullptr;
  std::string_view Document = {};
  bool (*Checked)(TMainSession&) = nullptr;
  bool (*Enabled)(TMainSession&) = nullptr;
};

// Every menu item in menu order, separators included.
std::span<const TMainCommand> MainCommands();
const TMainCommand* FindMainCommand(std::string_view id);
// The toolbar's items in order; "-" is a separator.
std::span<const std::string_view> ToolbarCommands();

bool MainCommandEnabled(TMainSession& s, const TMainCommand& c);
bool MainCommandChecked(TMainSession& s, const TMainCommand& c);
// Runs the item; a forwarded command does nothing without a document window.
void RunMainCommand(TMainSession& s, const TMainCommand& c);
bool RunMainCommand(TMainSession& s, std::string_view id);

}  // namespace kelvane
