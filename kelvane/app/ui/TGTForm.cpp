#include "TGTForm.h"

#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>

namespace kelvane::ui {

namespace {

const QColor kInk(40, 40, 48), kGrid(40, 90, 200), kNode(250, 250, 250);

void Lattice(QPainter& p, const QPolygonF& q) {
  p.setPen(QPen(kGrid, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(q);
  auto lerp = [](QPointF a, QPointF b, double t) { return a + (b - a) * t; };
  for (double t : {1 / 3.0, 2 / 3.0}) {
    p.drawLine(lerp(q[0], q[1], t), lerp(q[3], q[2], t));
    p.drawLine(lerp(q[0], q[3], t), lerp(q[1], q[2], t));
  }
}

void Node(QPainter& p, QPointF c, QColor fill = kNode) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(fill);
  p.drawRect(QRectF(c.x() - 2, c.y() - 2, 4, 4));
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
  p.setPen(QPen(kInk, 1.6));
  p.drawLine(from, to);
  const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF n(-d.y(), d.x());
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF({to, to - d * 4 + n * 3, to - d * 4 - n * 3}));
}

// One drawing per button of the tool table, in its order.
void DrawButton(QPainter& p, int i) {
  const QPolygonF square({{4, 4}, {20, 4}, {20, 20}, {4, 20}});
  switch (i) {
    case 0:  // move nodes
      Lattice(p, square);
      Node(p, {12, 12}, QColor(0, 0, 255));
      Arrow(p, {12, 12}, {20, 6});
      break;
    case 1:  // reset
      Lattice(p, square);
      p.setPen(QPen(QColor(200, 50, 40), 1.8));
      p.drawArc(QRectF(7, 7, 10, 10), 30 * 16, 300 * 16);
      break;
    case 2: {  // rotate
      QTransform t;
      t.translate(12, 12);
      t.rotate(20);
      t.translate(-12, -12);
      Lattice(p, t.map(QPolygonF({{6, 6}, {18, 6}, {18, 18}, {6, 18}})));
      p.setPen(QPen(kInk, 1.4));
      p.drawArc(QRectF(2, 2, 20, 20), 10 * 16, 70 * 16);
      break;
    }
    case 3:  // scale
      Lattice(p, QPolygonF({{7, 7}, {17, 7}, {17, 17}, {7, 17}}));
      Arrow(p, {14, 14}, {22, 22});
      break;
    case 4:  // move the selected nodes
      Lattice(p, square);
      for (QPointF c : {QPointF(9.3, 9.3), QPointF(14.7, 9.3)}) Node(p, c, QColor(0, 127, 0));
      Arrow(p, {12, 14}, {12, 22});
      break;
    case 5:  // ribbon across
    case 6:  // ribbon along
    {
      p.setPen(QPen(kGrid, 1.2));
      const bool along = i == 6;
      for (int k = 0; k < 4; ++k) {
        const double a = 4 + k * 5;
        if (along)
          p.drawRect(QRectF(8, a - 1, 8, 5));
        else
          p.drawRect(QRectF(a - 1, 8, 5, 8));
      }
      break;
    }
    case 7:  // add a vertical line
    case 8:  // add a horizontal line
      Lattice(p, square);
      p.setPen(QPen(QColor(200, 50, 40), 1.8));
      if (i == 7)
        p.drawLine(QPointF(12, 2), QPointF(12, 22));
      else
        p.drawLine(QPointF(2, 12), QPointF(22, 12));
      break;
    case 9:  // draw a lattice over a rectangle
      p.setPen(QPen(kInk, 1, Qt::DashLine));
      p.drawRect(QRectF(3, 3, 18, 18));
      Lattice(p, QPolygonF({{7, 7}, {17, 7}, {17, 17}, {7, 17}}));
      break;
    case 10:  // save
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(kGrid);
      p.drawRect(QRectF(4, 4, 16, 16));
      p.setBrush(kNode);
      p.drawRect(QRectF(8, 4, 8, 5));
      break;
    case 11:  // open a texture
      p.setPen(QPen(kInk, 1));
      for (int k = 0; k < 4; ++k) {
        p.setBrush(k % 2 ? QColor(200, 60, 60) : QColor(240, 230, 200));
        p.drawRect(QRectF(4 + (k % 2) * 8, 4 + (k / 2) * 8, 8, 8));
      }
      break;
    case 12:  // open a grid
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(240, 200, 90));
      p.drawPolygon(QPolygonF({{2, 8}, {9, 8}, {11, 10}, {22, 10}, {22, 21}, {2, 21}}));
      Lattice(p, QPolygonF({{8, 12}, {18, 12}, {18, 19}, {8, 19}}));
      break;
    case 13:  // perspective
      Lattice(p, QPolygonF({{8, 5}, {16, 5}, {22, 20}, {2, 20}}));
      break;
    case 14:  // fit to the selection
      p.setPen(QPen(kInk, 1, Qt::DotLine));
      p.drawEllipse(QRectF(3, 5, 18, 14));
      Lattice(p, QPolygonF({{3, 5}, {21, 5}, {21, 19}, {3, 19}}));
      break;
    default: {  // follow the folds: lines that bend where the cloth does
      p.setPen(QPen(kGrid, 1.2));
      p.setBrush(Qt::NoBrush);
      for (int k = 0; k < 4; ++k) {
        const double x = 5 + k * 4.7;
        QPainterPath wave(QPointF(x, 3));
        wave.cubicTo(QPointF(x + 4, 9), QPointF(x - 4, 15), QPointF(x, 21));
        p.drawPath(wave);
      }
      p.setPen(QPen(kInk, 1.2));
      p.drawLine(QPointF(3, 12), QPointF(21, 12));
      break;
    }
  }
}

QIcon ButtonIcon(int i) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  DrawButton(p, i);
  p.end();
  return QIcon(pm);
}

}  // namespace

TGTForm::TGTForm(Runner run, QWidget* parent) : QWidget(parent, Qt::Tool), run_(std::move(run)) {
  setWindowTitle("Grid");
  setObjectName("TGTForm");
  auto* l = new QGridLayout(this);
  l->setSpacing(2);
  l->setContentsMargins(3, 3, 3, 3);
  int i = 0;
  for (const TGridToolButton& b : kGridToolButtons) {
    auto* button = new QToolButton(this);
    button->setIcon(ButtonIcon(i));
    button->setIconSize(QSize(24, 24));
    const QString hint = b.Hint.empty() ? QString("Move Points")
                                        : QString::fromUtf8(b.Hint.data(), qsizetype(b.Hint.size()));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setCheckable(b.Command == TGridCommand::SetTool);
    connect(button, &QToolButton::clicked, this, [this, i] { run_(kGridToolButtons[size_t(i)]); });
    l->addWidget(button, i / 3, i % 3);
    buttons_ << button;
    ++i;
  }
}

void TGTForm::Reflect(TKVXEditSession* doc) {
  const bool grid = doc && doc->Mode() == TWindowMode::Grid && !doc->Busy();
  const int pressed = grid ? doc->Layer.PressedToolButton() : -1;
  for (int i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setEnabled(grid);
    if (buttons_[i]->isCheckable()) buttons_[i]->setChecked(i == pressed);
  }
}

}  // namespace kelvane::ui
