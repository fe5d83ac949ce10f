#include "TSplashForm.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvane::ui {

QString TSplashForm::VersionText() { return QString("Version ") + KELVANE_VERSION; }

QString TSplashForm::WebAddress() { return KELVANE_WEB_ADDRESS; }

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("TSplashForm");
  setFixedSize(420, 220);
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet("#TSplashForm { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #24324a, "
                "stop:1 #6a3b5c); border: 1px solid #101820; } QLabel { color: white; }");
  auto* l = new QVBoxLayout(this);
  auto* name = new QLabel("Kelvane", this);
  QFont f = name->font();
  f.setPointSize(28);
  f.setBold(true);
  name->setFont(f);
  l->addWidget(name);
  l->addWidget(new QLabel("Fabrics, wallpapers and tiles draped over your photographs", this));
  l->addStretch();
  l->addWidget(new QLabel(VersionText(), this));
  auto* web = new QLabel(QString("<a style='color:#ffe08a' href='%1'>%1</a>").arg(WebAddress()), this);
  web->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(web, &QLabel::linkActivated, this, [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
  l->addWidget(web);
}

}  // namespace kelvane::ui
