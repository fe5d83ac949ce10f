#include "SizeDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ImageButton.h"
#include "PanelPaper.h"

namespace daubwell {

SizeDialog::SizeDialog(int width, int height, QWidget* parent) : QDialog(parent) {
  setWindowTitle("New Image");
  setModal(true);
  auto* g = new QGridLayout(this);
  g->setContentsMargins(14, 14, 14, 12);
  auto edit = [this](int value) {
    auto* e = new QLineEdit(QString::number(value), this);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}"), e));
    e->setFixedWidth(90);
    return e;
  };
  width_ = edit(width);
  height_ = edit(height);
  g->addWidget(panelLabel("Width:", this), 0, 0);
  g->addWidget(width_, 0, 1);
  g->addWidget(panelLabel("Height:", this), 1, 0);
  g->addWidget(height_, 1, 1);
  auto* ok = new ImageButton("okay", "OK", this);
  auto* cancel = new ImageButton("cancel", "Cancel", this);
  auto* h = new QHBoxLayout;
  h->addWidget(ok);
  h->addWidget(cancel);
  g->addLayout(h, 2, 0, 1, 2);
  connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
  // The picture buttons are no push buttons, so Enter is taken where it is typed.
  connect(width_, &QLineEdit::returnPressed, this, &QDialog::accept);
  connect(height_, &QLineEdit::returnPressed, this, &QDialog::accept);
  width_->selectAll();
}

void SizeDialog::paintEvent(QPaintEvent* e) { paintPanel(this, e); }

std::optional<std::pair<int64_t, int64_t>> SizeDialog::ask(int width, int height, QWidget* parent) {
  SizeDialog d(width, height, parent);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return std::pair{d.width_->text().toLongLong(), d.height_->text().toLongLong()};
}

}  // namespace daubwell
