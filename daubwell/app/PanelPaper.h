#pragma once
class QLabel;
class QPaintEvent;
class QString;
class QWidget;

// What the tool windows and the size dialog share: the panel paper behind them and the
// small captions over their controls.
namespace daubwell {

// Tiles the panel paper behind a tool window.
void paintPanel(QWidget* w, QPaintEvent* e);

// A caption over a control, in the panels' small dark lettering.
QLabel* panelLabel(const QString& text, QWidget* parent);

}  // namespace daubwell
