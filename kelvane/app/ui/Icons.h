#pragma once
#include <QIcon>
#include <QString>

namespace kelvane::ui {

// The program's icons, drawn by its own code: one per command id it knows (toolbar,
// tool windows); an empty icon for others.
QIcon CommandIcon(const QString& id);

}  // namespace kelvane::ui
