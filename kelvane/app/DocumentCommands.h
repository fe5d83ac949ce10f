#pragma once
#include <span>
#include <string_view>

#include "TKVXEditSession.h"

namespace kelvane {

// The groups of the document window's commands. "Selection" commands are disabled while
// two or more objects are selected; "Selection" and "Filling" commands mark the
// document modified.
enum class TCategory { None, Misc, Selection, Filling, Textures, Filters, Zoom, File };

// One command of the document window: what the menus, the side panel, the tool windows
// and the tests call by name.
struct TDocumentCommand {
  std::string_view Id;
  std::string_view Caption;  // empty: the command has none of its own
  TCategory Category;
  std::string_view Shortcut;  // in the "Ctrl+F" form; empty: none
  void (*Run)(TKVXEditSession&);
};

std::span<const TDocumentCommand> DocumentCommands();
const TDocumentCommand* FindDocumentCommand(std::string_view id);

// Whether the command can run now (busy documents and multi-selections disable some).
bool DocumentCommandEnabled(TKVXEditSession& session, const TDocumentCommand& command);
// Runs a command as the window does: with exactly one object selected its items are
// brought back first; "Selection" and "Filling" commands mark the document modified.
// False when there is no such command or it is disabled.
bool RunDocumentCommand(TKVXEditSession& session, std::string_view id);

}  // namespace kelvane
