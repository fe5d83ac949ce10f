#pragma once
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "raster/Progress.h"

namespace kelvane::ui {

// The progress window: "Operation:", the message and the bar, on top of everything,
// centred on the screen. A click hides it; after loading and saving it hides itself
// half a second later. Work that can stop part-way gets a Cancel button.
class TForm1 final : public QWidget, public TProgress {
  Q_OBJECT
public:
  explicit TForm1(QWidget* parent = nullptr);

  void Begin(const std::string& message, int maximum) override;
  void Message(const std::string& message) override;
  void Step() override;
  void End() override;
  void EndLater() override;
  void OfferCancel(bool offer) override;

  QString MessageText() const { return message_->text(); }
  QPushButton* CancelButton() const { return cancel_; }
  int Position() const { return bar_->value(); }
  int Maximum() const { return bar_->maximum(); }

protected:
  void mousePressEvent(QMouseEvent* e) override;

private:
  QLabel* message_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  QTimer hideTimer_;
};

}  // namespace kelvane::ui
