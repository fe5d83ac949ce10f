#pragma once
#include <QString>

#include "canvas/Messages.h"

namespace daubwell {

// Registers ".dwp" paintings with the desktop: a shared-mime-info type, a desktop entry
// that opens them with this program, and its icon, all in the user's data folder. Each
// file is written only when missing or different; a failure shows its message and stops
// the registration. Returns whether everything is in place.
bool registerFileType(const QString& program, Messages& messages);

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share).
QString userDataFolder();

}  // namespace daubwell
