#pragma once
#include <QButtonGroup>
#include <QMap>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// The selection tool window "Select": one column of buttons, the tools in one radio
// group; each forwards to the same-named command of the active document window.
class TSTForm final : public QWidget {
  Q_OBJECT
public:
  using Runner = std::function<void(const QString& id)>;
  explicit TSTForm(Runner run, QWidget* parent = nullptr);

  // Shows the active document's tool; the selection commands work with exactly one
  // object selected, the others with any document.
  void Reflect(TKVXEditSession* doc);
  QToolButton* Button(const QString& id) const { return buttons_.value(id); }

private:
  Runner run_;
  QButtonGroup group_;
  QMap<QString, QToolButton*> buttons_;
  bool reflecting_ = false;
};

}  // namespace kelvane::ui
