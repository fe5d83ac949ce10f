#include "Cursors.h"

#include <QBitmap>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <functional>

namespace kelvane::ui {

namespace {

constexpr int kSize = 32;

// Every shape is drawn twice, a wide white stroke under a thin black one, so it shows
// on dark and light pictures alike.
void Outlined(QPainter& p, const std::function<void(QPainter&)>& shape) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  shape(p);
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  shape(p);
}

// The small "+" or "-" beside the hot spot for the add and subtract variants.
void ModeMark(QPainter& p, int variant) {
  if (variant == 0) return;
  Outlined(p, [variant](QPainter& q) {
    q.drawLine(20, 24, 28, 24);
    if (variant == 1) q.drawLine(24, 20, 24, 28);
  });
}

void Cross(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    q.drawLine(8, 1, 8, 6);
    q.drawLine(8, 10, 8, 15);
    q.drawLine(1, 8, 6, 8);
    q.drawLine(10, 8, 15, 8);
  });
}

void Polygon(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    const QPointF pts[] = {{2, 2}, {16, 5}, {12, 11}, {18, 17}, {4, 15}};
    q.drawPolygon(pts, 5);
  });
}

void Lasso(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    QPainterPath path;
    path.addEllipse(QRectF(5, 2, 14, 9));
    path.moveTo(7, 10);
    path.cubicTo(4, 14, 8, 15, 3, 19);
    q.drawPath(path);
  });
}

void Wand(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    q.drawLine(2, 2, 16, 16);
    q.drawLine(2, 8, 2, 2);
    q.drawLine(2, 2, 8, 2);
    q.drawLine(20, 6, 20, 10);
    q.drawLine(18, 8, 22, 8);
    q.drawLine(9, 20, 13, 20);
    q.drawLine(11, 18, 11, 22);
  });
}

void Eyedropper(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    QPainterPath path;
    path.moveTo(1, 18);
    path.lineTo(3, 13);
    path.lineTo(12, 4);
    path.lineTo(15, 7);
    path.lineTo(6, 16);
    path.closeSubpath();
    q.drawPath(path);
    q.drawEllipse(QRectF(13, 0, 6, 6));
  });
}

void Picker(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    q.drawRect(QRectF(1, 1, 6, 6));
    q.drawLine(7, 7, 16, 16);
    q.drawRect(QRectF(12, 12, 8, 8));
  });
}

void Hand(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    QPainterPath path;
    path.moveTo(6, 20);
    path.lineTo(3, 12);
    path.lineTo(6, 12);
    path.lineTo(7, 3);
    path.lineTo(10, 3);
    path.lineTo(10, 10);
    path.lineTo(11, 2);
    path.lineTo(14, 2);
    path.lineTo(14, 10);
    path.lineTo(15, 3);
    path.lineTo(18, 3);
    path.lineTo(18, 11);
    path.lineTo(19, 6);
    path.lineTo(22, 6);
    path.lineTo(21, 16);
    path.lineTo(18, 22);
    path.lineTo(8, 22);
    path.closeSubpath();
    q.drawPath(path);
  });
}

void Magnifier(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    q.drawEllipse(QRectF(1, 1, 12, 12));
    q.drawLine(11, 11, 19, 19);
    q.drawLine(4, 7, 10, 7);
    q.drawLine(7, 4, 7, 10);
  });
}

void GridMove(QPainter& p) {
  Outlined(p, [](QPainter& q) {
    q.drawLine(11, 1, 11, 21);
    q.drawLine(1, 11, 21, 11);
    // An arrow head at each of the four ends.
    const QPointF heads[][3] = {{{8, 4}, {11, 1}, {14, 4}},
                                {{8, 18}, {11, 21}, {14, 18}},
                                {{4, 8}, {1, 11}, {4, 14}},
                                {{18, 8}, {21, 11}, {18, 14}}};
    for (const auto& h : heads) q.drawPolyline(h, 3);
  });
}

struct TShape {
  void (*Draw)(QPainter&);
  int Variant;  // 0 plain, 1 add, 2 subtract
  QPoint Hot;
};

bool ShapeOf(int number, TShape& s) {
  switch (number) {
    case 30: case 31: case 32: s = {Cross, number - 30, {8, 8}}; return true;
    case 33: s = {Wand, 0, {2, 2}}; return true;
    case 34: s = {Eyedropper, 0, {1, 18}}; return true;
    case 35: case 36: case 37: s = {Polygon, number - 35, {2, 2}}; return true;
    case 38: case 39: case 40: s = {Lasso, number - 38, {3, 19}}; return true;
    case 41: s = {Picker, 0, {1, 1}}; return true;
    case 42: s = {Hand, 0, {12, 12}}; return true;
    case 44: s = {Magnifier, 0, {7, 7}}; return true;
    case 45: s = {GridMove, 0, {11, 11}}; return true;
    default: return false;
  }
}

}  // namespace

QCursor ProgramCursor(int number) {
  static QHash<int, QCursor> made;
  if (auto it = made.find(number); it != made.end()) return *it;
  TShape shape;
  if (!ShapeOf(number, shape)) return QCursor(Qt::ArrowCursor);
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    shape.Draw(p);
    ModeMark(p, shape.Variant);
  }
  return made[number] = QCursor(pixmap, shape.Hot.x(), shape.Hot.y());
}

QCursor BrushCursor(int diameter) {
  // Cursors beyond a few hundred pixels are refused by some displays: the circle is
  // then clipped to the largest size, which still shows its centre and its scale.
  const int d = std::clamp(diameter, 3, 256);
  const int side = d + 3;
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(QRectF(1.5, 1.5, d, d));
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(QRectF(1.5, 1.5, d, d));
    p.drawPoint(side / 2, side / 2);
  }
  return QCursor(pixmap, side / 2, side / 2);
}

}  // namespace kelvane::ui
