#include "TAboutBox.h"

#include <QLabel>
#include <QVBoxLayout>

#include "TSplashForm.h"

namespace kelvane::ui {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  auto* l = new QVBoxLayout(this);
  auto* name = new QLabel("<h2>Kelvane</h2>", this);
  l->addWidget(name);
  l->addWidget(new QLabel("Texture draping: fabrics, wallpapers and tiles laid through a\n"
                          "deformable grid and shaded by the photograph itself.", this));
  l->addWidget(new QLabel(TSplashForm::VersionText(), this));
  l->addWidget(new QLabel(TSplashForm::WebAddress(), this));
  for (QLabel* label : findChildren<QLabel*>()) label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TAboutBox::mousePressEvent(QMouseEvent*) { accept(); }

void TAboutBox::keyPressEvent(QKeyEvent*) { accept(); }

}  // namespace kelvane::ui
