// daubwell-graphics OUTDIR: draws the window graphics of the paint program (tool
// buttons in their two states, group headers, tabs, buttons, the panel paper and the
// splash) as BMP files under OUTDIR/Graphics/. The program caches them as ".jgi" files
// on first use, like the pattern images.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

QString outDir;

const QColor kInk(59, 47, 37);
const QColor kPaper(244, 239, 230);

bool save(const QImage& image, const QString& name) {
  const QString path = outDir + "/" + name + ".bmp";
  if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
    std::fprintf(stderr, "daubwell-graphics: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

QImage canvas(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(kPaper);
  return img;
}

// The face of a button: paper when normal, warm and pressed in when selected.
void buttonFace(QPainter& p, const QRectF& r, bool selected, qreal radius = 5) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  if (selected) {
    g.setColorAt(0, QColor(255, 222, 170));
    g.setColorAt(1, QColor(240, 166, 80));
  } else {
    g.setColorAt(0, QColor(251, 248, 242));
    g.setColorAt(1, QColor(224, 214, 198));
  }
  p.setPen(QPen(selected ? QColor(150, 86, 30) : QColor(176, 160, 138), 1));
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  if (selected) {  // a soft inner shadow along the top
    QLinearGradient s(r.topLeft(), r.topLeft() + QPointF(0, 6));
    s.setColorAt(0, QColor(120, 60, 10, 90));
    s.setColorAt(1, QColor(120, 60, 10, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(s);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -r.height() / 2), radius - 1, radius - 1);
  }
}

using Icon = std::function<void(QPainter&)>;

// A 30 x 30 tool button in both states, the icon drawn in a 30 x 30 box.
bool toolButton(const QString& name, const Icon& icon) {
  for (int state = 0; state < 2; ++state) {
    QImage img = canvas(30, 30);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    buttonFace(p, QRectF(0, 0, 30, 30), state == 1);
    if (state == 1) p.translate(0.6, 0.8);
    icon(p);
    p.end();
    if (!save(img, name + QString::number(state))) return false;
  }
  return true;
}

QPen ink(qreal w = 1.6) { return QPen(kInk, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void paintBrushIcon(QPainter& p) {  // a round brush, tip loaded with red
  p.save();
  p.translate(15, 15);
  p.rotate(45);
  p.setPen(ink(1.2));
  p.setBrush(QColor(160, 104, 56));
  p.drawRoundedRect(QRectF(-2.2, -2, 4.4, 13), 2, 2);   // handle
  p.setBrush(QColor(190, 190, 196));
  p.drawRect(QRectF(-2.6, -6, 5.2, 4));                  // ferrule
  QPainterPath tip;
  tip.moveTo(-2.6, -6);
  tip.cubicTo(-3.5, -9, -1, -12, 0, -13);
  tip.cubicTo(1, -12, 3.5, -9, 2.6, -6);
  p.setBrush(QColor(200, 40, 40));
  p.drawPath(tip);
  p.restore();
}

void tubeIcon(QPainter& p) {  // a paint tube squeezing out a curl of blue
  QPainterPath body;
  body.moveTo(6, 20);
  body.lineTo(17, 9);
  body.lineTo(21, 13);
  body.lineTo(10, 24);
  body.closeSubpath();
  p.setPen(ink(1.2));
  p.setBrush(QColor(225, 225, 232));
  p.drawPath(body);
  p.setBrush(QColor(60, 110, 200));
  p.drawRect(QRectF(0, 0, 0, 0));
  p.save();
  p.translate(19, 11);
  p.rotate(-45);
  p.setBrush(QColor(120, 120, 130));
  p.drawRect(QRectF(-2.5, -3, 5, 3));
  p.restore();
  p.setPen(QPen(QColor(50, 100, 200), 2.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath curl;
  curl.moveTo(22, 8);
  curl.cubicTo(25, 5, 27, 8, 24, 10);
  p.drawPath(curl);
  p.setPen(QPen(QColor(60, 110, 200), 3));
  p.drawLine(QPointF(8, 21), QPointF(12, 17));
}

void sprayIcon(QPainter& p) {
  p.setPen(ink(1.2));
  p.setBrush(QColor(90, 160, 90));
  p.drawRoundedRect(QRectF(9, 11, 9, 14), 2, 2);
  p.setBrush(QColor(200, 200, 205));
  p.drawRect(QRectF(11, 7.5, 5, 3.5));
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> a(-0.6, 0.6), d(3, 9);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 160, 90));
  for (int i = 0; i < 16; ++i) {
    const double t = a(gen), r = d(gen);
    p.drawEllipse(QPointF(18 + r * std::cos(t - 0.5), 8 + r * std::sin(t - 0.5)), 0.8, 0.8);
  }
}

void gelIcon(QPainter& p) {  // a drop of clear gel
  QPainterPath drop;
  drop.moveTo(15, 5);
  drop.cubicTo(19, 11, 23, 15, 23, 19);
  drop.cubicTo(23, 24, 19, 26, 15, 26);
  drop.cubicTo(11, 26, 7, 24, 7, 19);
  drop.cubicTo(7, 15, 11, 11, 15, 5);
  QRadialGradient g(QPointF(12, 17), 10);
  g.setColorAt(0, QColor(230, 245, 255));
  g.setColorAt(1, QColor(110, 170, 220));
  p.setPen(ink(1.2));
  p.setBrush(g);
  p.drawPath(drop);
  p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(11, 18), QPointF(12, 15));
}

void knifeIcon(QPainter& p) {  // a palette knife with a cranked blade
  p.setPen(ink(1.2));
  p.setBrush(QColor(160, 104, 56));
  p.drawRoundedRect(QRectF(3, 21, 10, 4), 2, 2);
  p.setPen(ink(1.4));
  p.drawLine(QPointF(13, 23), QPointF(16, 19));
  QPainterPath blade;
  blade.moveTo(16, 19);
  blade.cubicTo(19, 13, 24, 6, 27, 5);
  blade.cubicTo(27, 9, 22, 17, 17, 21);
  blade.closeSubpath();
  p.setPen(ink(1.1));
  p.setBrush(QColor(205, 210, 218));
  p.drawPath(blade);
}

void fingerIcon(QPainter& p) {  // a fingertip smearing a streak
  p.setPen(QPen(QColor(200, 60, 60, 180), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5, 24), QPointF(14, 20));
  p.setPen(ink(1.2));
  p.setBrush(QColor(240, 200, 170));
  p.drawRoundedRect(QRectF(13, 5, 8, 19), 4, 4);
  p.setBrush(QColor(250, 232, 220));
  p.drawRoundedRect(QRectF(14.5, 6.5, 5, 5), 2, 2);
}

void spongeIcon(QPainter& p) {
  p.setPen(ink(1.2));
  p.setBrush(QColor(240, 210, 90));
  p.drawRoundedRect(QRectF(5, 9, 20, 13), 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 160, 50));
  for (auto [x, y, r] : {std::tuple{9.0, 13.0, 1.5}, {14.0, 16.0, 1.2}, {19.0, 12.5, 1.6}, {21.0, 18.0, 1.1},
                         {11.0, 19.0, 1.0}, {16.5, 11.5, 0.9}})
    p.drawEllipse(QPointF(x, y), r, r);
}

void eraserIcon(QPainter& p) {
  p.save();
  p.translate(15, 15);
  p.rotate(-35);
  p.setPen(ink(1.2));
  p.setBrush(QColor(235, 130, 140));
  p.drawRoundedRect(QRectF(-9, -5, 11, 10), 2, 2);
  p.setBrush(QColor(120, 140, 200));
  p.drawRoundedRect(QRectF(2, -5, 7, 10), 2, 2);
  p.restore();
  p.setPen(QPen(QColor(150, 140, 130), 1, Qt::DotLine));
  p.drawLine(QPointF(4, 26), QPointF(26, 26));
}

void handIcon(QPainter& p) {
  p.setPen(ink(1.1));
  p.setBrush(QColor(245, 215, 185));
  QPainterPath hand;
  hand.addRoundedRect(QRectF(9, 13, 13, 12), 4, 4);
  for (auto [x, top] : {std::pair{9.5, 6.0}, {12.8, 4.5}, {16.1, 5.0}, {19.4, 7.0}})
    hand.addRoundedRect(QRectF(x, top, 3.0, 12), 1.5, 1.5);
  hand.addRoundedRect(QRectF(4, 15, 8, 3.2), 1.6, 1.6);  // thumb
  p.drawPath(hand.simplified());
}

void dropperIcon(QPainter& p) {
  p.save();
  p.translate(15, 15);
  p.rotate(45);
  p.setPen(ink(1.1));
  p.setBrush(QColor(60, 60, 70));
  p.drawRoundedRect(QRectF(-3, -13, 6, 6), 2.5, 2.5);  // bulb
  p.setBrush(QColor(220, 235, 245));
  p.drawRect(QRectF(-1.8, -7, 3.6, 13));
  p.setBrush(QColor(200, 50, 60));
  p.drawRect(QRectF(-1.8, 1, 3.6, 5));
  p.drawLine(QPointF(0, 6), QPointF(0, 10));
  p.restore();
}

void sunIcon(QPainter& p) {
  p.setPen(QPen(QColor(230, 150, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4;
    p.drawLine(QPointF(15 + 7.5 * std::cos(a), 15 + 7.5 * std::sin(a)),
               QPointF(15 + 11 * std::cos(a), 15 + 11 * std::sin(a)));
  }
  QRadialGradient g(QPointF(13, 13), 7);
  g.setColorAt(0, QColor(255, 240, 150));
  g.setColorAt(1, QColor(250, 190, 40));
  p.setPen(QPen(QColor(200, 120, 10), 1));
  p.setBrush(g);
  p.drawEllipse(QPointF(15, 15), 5.5, 5.5);
}

void moonIcon(QPainter& p) {
  QPainterPath moon, bite;
  moon.addEllipse(QPointF(15, 15), 9, 9);
  bite.addEllipse(QPointF(19.5, 11.5), 8, 8);
  p.setPen(ink(1.1));
  p.setBrush(QColor(90, 95, 150));
  p.drawPath(moon.subtracted(bite));
}

void starPath(QPainterPath& path, QPointF c, double outer, double inner) {
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4 - M_PI / 2, r = i % 2 ? inner : outer;
    const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    if (i == 0)
      path.moveTo(pt);
    else
      path.lineTo(pt);
  }
  path.closeSubpath();
}

void shineIcon(QPainter& p) {
  QPainterPath s1, s2;
  starPath(s1, QPointF(13, 16), 10, 2.6);
  starPath(s2, QPointF(22, 8), 5, 1.4);
  p.setPen(QPen(QColor(170, 120, 20), 1));
  p.setBrush(QColor(255, 236, 140));
  p.drawPath(s1);
  p.drawPath(s2);
}

void matteIcon(QPainter& p) {
  QPainterPath s;
  starPath(s, QPointF(15, 15), 10, 2.6);
  p.setPen(QPen(QColor(130, 120, 110), 1));
  p.setBrush(QColor(190, 182, 170));
  p.drawPath(s);
  p.setPen(QPen(QColor(180, 50, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(6, 24), QPointF(24, 6));
}

void reliefIcon(QPainter& p, bool raise) {
  QPainterPath ground;
  ground.moveTo(3, 22);
  if (raise)
    ground.cubicTo(9, 22, 11, 13, 15, 13);
  else
    ground.cubicTo(9, 22, 11, 27, 15, 27);
  ground.cubicTo(19, raise ? 13 : 27, 21, 22, 27, 22);
  ground.lineTo(27, 27);
  ground.lineTo(3, 27);
  ground.closeSubpath();
  p.setPen(ink(1.1));
  p.setBrush(QColor(170, 130, 90));
  p.drawPath(ground);
  p.setPen(QPen(raise ? QColor(40, 140, 60) : QColor(180, 60, 40), 2, Qt::SolidLine, Qt::RoundCap));
  const double y0 = raise ? 11 : 3, y1 = raise ? 3 : 11;
  p.drawLine(QPointF(15, y0), QPointF(15, y1));
  p.drawLine(QPointF(15, y1), QPointF(12, y1 + (raise ? 3 : -3)));
  p.drawLine(QPointF(15, y1), QPointF(18, y1 + (raise ? 3 : -3)));
}

bool labelled(const QString& name, int w, int h, const QString& text, bool bold, qreal radius) {
  for (int state = 0; state < 2; ++state) {
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    buttonFace(p, QRectF(0, 0, w, h), state == 1, radius);
    QFont f("DejaVu Sans");
    f.setPixelSize(std::max(9, h / 2));
    f.setBold(bold || state == 1);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, text);
    p.end();
    if (!save(img, name + QString::number(state))) return false;
  }
  return true;
}

bool header(const QString& name, const QString& text) {
  QImage img = canvas(68, 16);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 68, 0);
  g.setColorAt(0, QColor(120, 70, 40));
  g.setColorAt(1, QColor(170, 110, 60));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, 66, 14), 4, 4);
  QFont f("DejaVu Sans");
  f.setPixelSize(10);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(255, 244, 225));
  p.drawText(QRectF(0, 0, 68, 16), Qt::AlignCenter, text);
  p.end();
  return save(img, name);
}

bool checkBox() {
  for (int state = 0; state < 2; ++state) {
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 130, 110), 1));
    p.setBrush(QColor(253, 251, 247));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    if (state == 1) {
      p.setPen(QPen(QColor(200, 110, 30), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.8, 4.8)}));
    }
    p.end();
    if (!save(img, "check" + QString::number(state))) return false;
  }
  return true;
}

// The paper behind every tool window: warm, with a faint grain; it tiles.
bool panel() {
  QImage img(64, 64, QImage::Format_RGB32);
  std::mt19937 gen(11);
  std::uniform_int_distribution<int> n(-5, 5);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int v = n(gen) + int(3 * std::sin((x + y) * 0.7));
      img.setPixelColor(x, y, QColor(238 + v, 232 + v, 221 + v));
    }
  return save(img, "panel");
}

bool splash() {
  const int w = 440, h = 270;
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bg(0, 0, 0, h);
  bg.setColorAt(0, QColor(250, 244, 232));
  bg.setColorAt(1, QColor(226, 212, 188));
  p.fillRect(img.rect(), bg);
  // Canvas weave.
  p.setPen(QPen(QColor(0, 0, 0, 10), 1));
  for (int x = 0; x < w; x += 4) p.drawLine(x, 0, x, h);
  for (int y = 0; y < h; y += 4) p.drawLine(0, y, w, y);
  // Thick strokes of paint, each a band of bristle lines.
  std::mt19937 gen(21);
  std::uniform_real_distribution<double> jitter(-1, 1);
  auto stroke = [&](QPointF a, QPointF c1, QPointF c2, QPointF b, QColor colour, double width) {
    for (int i = 0; i < int(width); ++i) {
      const double off = i - width / 2;
      QPainterPath path;
      path.moveTo(a + QPointF(0, off));
      path.cubicTo(c1 + QPointF(0, off), c2 + QPointF(0, off * 0.8), b + QPointF(0, off * 0.6));
      QColor c = colour.lighter(100 + int(18 * jitter(gen)));
      c.setAlpha(150 + int(60 * jitter(gen)));
      p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
      p.drawPath(path);
    }
  };
  stroke({30, 200}, {120, 150}, {220, 250}, {410, 190}, QColor(200, 60, 50), 26);
  stroke({40, 230}, {150, 215}, {260, 260}, {400, 232}, QColor(40, 90, 170), 16);
  stroke({60, 60}, {140, 30}, {300, 90}, {400, 52}, QColor(230, 170, 40), 14);
  QFont title("DejaVu Serif");
  title.setPixelSize(58);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(255, 255, 255, 160));
  p.drawText(QRectF(2, 84, w, 80), Qt::AlignHCenter | Qt::AlignVCenter, "Daubwell");
  p.setPen(QColor(70, 45, 30));
  p.drawText(QRectF(0, 82, w, 80), Qt::AlignHCenter | Qt::AlignVCenter, "Daubwell");
  QFont sub("DejaVu Sans");
  sub.setPixelSize(14);
  p.setFont(sub);
  p.setPen(QColor(90, 70, 55));
  p.drawText(QRectF(0, 150, w, 24), Qt::AlignHCenter, "natural-media painting");
  sub.setPixelSize(10);
  p.setFont(sub);
  p.drawText(QRectF(0, h - 18, w - 8, 16), Qt::AlignRight, "version 1.0");
  p.setPen(QPen(QColor(120, 90, 60), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1, 1, w - 2, h - 2));
  p.end();
  return save(img, "splash");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: daubwell-graphics OUTDIR\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  outDir = QString::fromLocal8Bit(argv[1]) + "/Graphics";
  if (!QDir().mkpath(outDir)) {
    std::fprintf(stderr, "daubwell-graphics: cannot make %s\n", qPrintable(outDir));
    return 1;
  }
  const std::pair<const char*, Icon> tools[] = {
      {"pbrush", paintBrushIcon}, {"brush", tubeIcon},     {"spray", sprayIcon},
      {"water", gelIcon},         {"knife", knifeIcon},    {"finger", fingerIcon},
      {"sponge", spongeIcon},     {"erase", eraserIcon},   {"hand", handIcon},
      {"dropper", dropperIcon},   {"sun", sunIcon},        {"moon", moonIcon},
      {"shine", shineIcon},       {"unshine", matteIcon},  {"raise", [](QPainter& p) { reliefIcon(p, true); }},
      {"lower", [](QPainter& p) { reliefIcon(p, false); }}};
  bool ok = true;
  for (const auto& [name, icon] : tools) ok = ok && toolButton(name, icon);
  ok = ok && header("brushes", "Brushes") && header("tools", "Tools") && header("effects", "Effects");
  ok = ok && labelled("tpaint", 84, 20, "Paint", false, 4) && labelled("ttexture", 84, 20, "Texture", false, 4) &&
       labelled("tshape", 84, 20, "Shape", false, 4) && labelled("tbrushes", 90, 20, "Brushes", false, 4) &&
       labelled("tstrokes", 90, 20, "Strokes", false, 4);
  ok = ok && labelled("add", 60, 22, "Add", false, 5) && labelled("delete", 60, 22, "Delete", false, 5) &&
       labelled("savelist", 60, 22, "Save", false, 5) && labelled("loadlist", 60, 22, "Load", false, 5) &&
       labelled("okay", 80, 26, "OK", true, 6) && labelled("cancel", 80, 26, "Cancel", false, 6);
  ok = ok && checkBox() && panel() && splash();
  return ok ? 0 : 1;
}
