#include "PanelPaper.h"

#include <QLabel>
#include <QPainter>

#include "QtSupport.h"

namespace daubwell {

void paintPanel(QWidget* w, QPaintEvent*) {
  QPainter p(w);
  const QPixmap paper = Graphics::instance().get("panel");
  if (paper.isNull())
    p.fillRect(w->rect(), QColor(238, 232, 221));
  else
    p.drawTiledPixmap(w->rect(), paper);
}

QLabel* panelLabel(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  QFont f = l->font();
  f.setPixelSize(11);
  l->setFont(f);
  l->setStyleSheet("color: #3b2f25; background: transparent;");
  return l;
}

}  // namespace daubwell
