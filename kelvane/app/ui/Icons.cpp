#include "Icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace kelvane::ui {

namespace {

using Draw = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 48), kBlue(40, 90, 200), kRed(200, 50, 40), kGreen(40, 150, 70), kPaper(250, 250, 245);

void Page(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPolygon(QPolygonF({{5, 2}, {15, 2}, {19, 6}, {19, 22}, {5, 22}}));
}

void Frame(QPainter& p, QPointF at, QColor fill) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(fill);
  p.drawRect(QRectF(at, QSizeF(9, 7)));
}

const QHash<QString, Draw>& Drawings() {
  static const QHash<QString, Draw> d = {
      {"AFileOpen", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(QColor(240, 200, 90));
         p.drawPolygon(QPolygonF({{2, 7}, {9, 7}, {11, 9}, {21, 9}, {21, 20}, {2, 20}}));
       }},
      {"AFileSave", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(kBlue);
         p.drawRect(QRectF(3, 3, 18, 18));
         p.setBrush(kPaper);
         p.drawRect(QRectF(7, 3, 10, 6));
         p.drawRect(QRectF(6, 13, 12, 8));
       }},
      {"AFilePrint", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(kPaper);
         p.drawRect(QRectF(7, 2, 10, 7));
         p.setBrush(QColor(170, 170, 175));
         p.drawRect(QRectF(3, 9, 18, 8));
         p.setBrush(kPaper);
         p.drawRect(QRectF(7, 14, 10, 8));
       }},
      {"AEditCut", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.5));
         p.drawLine(QPointF(7, 3), QPointF(15, 15));
         p.drawLine(QPointF(17, 3), QPointF(9, 15));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(4, 15, 6, 6));
         p.drawEllipse(QRectF(14, 15, 6, 6));
       }},
      {"AEditCopy", [](QPainter& p) {
         p.translate(-2, -1);
         Page(p);
         p.translate(4, 3);
         Page(p);
       }},
      {"AEditPaste", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(QColor(190, 140, 80));
         p.drawRect(QRectF(3, 4, 14, 17));
         p.translate(4, 1);
         Page(p);
       }},
      {"AEditUndo", [](QPainter& p) {
         p.setPen(QPen(kBlue, 2.2));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(5, 6, 14, 13), 90 * 16, -250 * 16);
         p.setBrush(kBlue);
         p.drawPolygon(QPolygonF({{2, 7}, {9, 2}, {9, 11}}));
       }},
      {"AEditRedo", [](QPainter& p) {
         p.setPen(QPen(kBlue, 2.2));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(5, 6, 14, 13), 90 * 16, 250 * 16);
         p.setBrush(kBlue);
         p.drawPolygon(QPolygonF({{22, 7}, {15, 2}, {15, 11}}));
       }},
      {"ACascade", [](QPainter& p) {
         Frame(p, {3, 3}, kPaper);
         Frame(p, {7, 8}, kPaper);
         Frame(p, {11, 13}, kPaper);
       }},
      {"ATileH", [](QPainter& p) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(kPaper);
         p.drawRect(QRectF(3, 3, 18, 8));
         p.drawRect(QRectF(3, 13, 18, 8));
       }},
      {"ATileV", [](QPainter& p) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(kPaper);
         p.drawRect(QRectF(3, 3, 8, 18));
         p.drawRect(QRectF(13, 3, 8, 18));
       }},
      {"AWinTextureLibrary", [](QPainter& p) {
         const QColor c[4] = {kRed, kGreen, kBlue, QColor(230, 180, 40)};
         for (int i = 0; i < 4; ++i) {
           p.setPen(QPen(kInk, 1));
           p.setBrush(c[i]);
           p.drawRect(QRectF(3 + (i % 2) * 10, 3 + (i / 2) * 10, 8, 8));
         }
       }},
      {"AToolsMapping", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(QColor(200, 220, 250));
         p.drawPolygon(QPolygonF({{12, 2}, {21, 7}, {12, 12}, {3, 7}}));
         p.setBrush(QColor(150, 180, 230));
         p.drawPolygon(QPolygonF({{3, 7}, {12, 12}, {12, 22}, {3, 17}}));
         p.setBrush(QColor(100, 140, 210));
         p.drawPolygon(QPolygonF({{21, 7}, {12, 12}, {12, 22}, {21, 17}}));
       }},
      {"AFillButton", [](QPainter& p) {
         p.setPen(QPen(kInk, 1.2));
         p.setBrush(QColor(220, 80, 120));
         p.drawPolygon(QPolygonF({{4, 10}, {12, 3}, {20, 11}, {12, 19}}));
         QPainterPath drop;
         drop.moveTo(20, 14);
         drop.cubicTo(18, 18, 18, 21, 20, 21);
         drop.cubicTo(22, 21, 22, 18, 20, 14);
         p.drawPath(drop);
       }},
  };
  return d;
}

}  // namespace

QIcon CommandIcon(const QString& id) {
  const auto it = Drawings().find(id);
  if (it == Drawings().end()) return QIcon();
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  it.value()(p);
  p.end();
  return QIcon(pm);
}

}  // namespace kelvane::ui
