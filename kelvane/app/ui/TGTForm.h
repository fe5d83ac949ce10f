#pragma once
#include <QToolButton>
#include <QVector>
#include <QWidget>
#include <functional>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// The grid tool window "Grid": the grid tools and commands, enabled in grid mode only;
// the button of the current tool stays pressed.
class TGTForm final : public QWidget {
  Q_OBJECT
public:
  using Runner = std::function<void(const TGridToolButton&)>;
  explicit TGTForm(Runner run, QWidget* parent = nullptr);
  void Reflect(TKVXEditSession* doc);
  QToolButton* Button(int i) const { return buttons_.value(i); }

private:
  Runner run_;
  QVector<QToolButton*> buttons_;
};

}  // namespace kelvane::ui
