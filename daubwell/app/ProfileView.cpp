#include "ProfileView.h"

#include <QPainter>
#include <QPolygonF>

#include "ShellRules.h"

namespace daubwell {

void ProfileView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(252, 249, 243));
  p.setPen(QColor(150, 130, 110));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const FootprintProfile prof = footprintProfile(hardness_);
  QPolygonF line;
  for (const ProfilePoint& pt : prof.points) line << QPointF(pt.x + 1, pt.y + 1);
  p.setPen(QPen(QColor(190, 90, 40), 2));
  p.drawPolyline(line);
}

}  // namespace daubwell
