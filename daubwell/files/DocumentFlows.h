#pragma once
#include "../canvas/Document.h"
#include "../canvas/Messages.h"
#include "FileDialogs.h"

namespace daubwell {

inline constexpr const char* kSaveFailedText = "File Save failed!";
inline constexpr const char* kLoadFailedText = "File Load failed!";
inline constexpr const char* kSaveChangesText = "Would you like to save your painting?";

// File > Save: asks for a path and writes the painting there. True when written; a
// cancelled dialog or a failed write (which says so) leaves the painting unsaved.
bool saveAs(Document& doc, FileDialogs& dialogs, Messages& messages);

// "Save changes?" before the painting is replaced. False when the user cancelled, or
// chose to save and the painting was not saved.
bool confirmDiscard(Document& doc, FileDialogs& dialogs, Messages& messages);

// File > Open: asks to save changes, then for a file, and loads it. Returns whether a
// painting was loaded.
bool openDocument(Document& doc, FileDialogs& dialogs, Messages& messages);

inline constexpr const char* kImageFailedText = "Image failed to load!";

// File > Import Image of a picture already chosen: the canvas takes the picture's size,
// each record the colour above its grey floor, the floor as highlight, full shading and
// height 1. False (with the message) when the picture does not load or is too large.
bool importImage(Document& doc, const std::string& path, Messages& messages);

// Opening without questions (dropped file, command line, second instance).
bool openDocumentFile(Document& doc, const std::string& path, Messages& messages);

}  // namespace daubwell
