#include "TGetTexCoordsDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>

#include "QtBitmap.h"

namespace kelvane::ui {

TGetTexCoordsDlg::TGetTexCoordsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TGetTexCoordsDlg");
  setWindowTitle(FromUtf8(kTexGenCaption));
  auto* l = new QGridLayout(this);
  const TTexGenTexts defaults = DefaultTexGenTexts();
  for (size_t i = 0; i < edits_.size(); ++i) {
    const int row = int(i / 4), column = int(i % 4) * 2;
    l->addWidget(new QLabel(FromUtf8(kTexGenLabels[i]), this), row, column, Qt::AlignRight);
    auto* e = new QLineEdit(QString::fromStdString(defaults[i]), this);
    e->setObjectName(QString("Edit%1").arg(i));
    e->setMaximumWidth(70);
    e->installEventFilter(this);
    l->addWidget(e, row, column + 1);
    edits_[i] = e;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  l->addWidget(buttons, 2, 0, 1, 8);
}

bool TGetTexCoordsDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
  auto* k = static_cast<QKeyEvent*>(e);
  const QString text = k->text();
  // Keys without text (arrows, Tab, Enter) move and confirm as usual.
  if (text.isEmpty() || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Tab ||
      k->key() == Qt::Key_Escape || k->key() == Qt::Key_Delete || (k->modifiers() & Qt::ControlModifier))
    return QDialog::eventFilter(watched, e);
  const char32_t separator = QLocale().decimalPoint().isEmpty() ? U'.' : QLocale().decimalPoint().toUcs4().front();
  const char32_t key = k->key() == Qt::Key_Backspace ? U'\b' : text.toUcs4().front();
  if (TexGenAcceptsKey(key, separator)) return QDialog::eventFilter(watched, e);
  return true;  // swallowed
}

TTexGenTexts TGetTexCoordsDlg::Texts() const {
  TTexGenTexts t;
  for (size_t i = 0; i < edits_.size(); ++i) t[i] = edits_[i]->text().toStdString();
  return t;
}

std::optional<TTexGenTexts> TGetTexCoordsDlg::Ask() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return Texts();
}

}  // namespace kelvane::ui
