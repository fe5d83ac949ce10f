#include "BrushPropertiesWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "PanelPaper.h"
#include "QtSupport.h"
#include "ShellRules.h"
#include "tools/ToolTable.h"

namespace daubwell {

BrushPropertiesWindow::BrushPropertiesWindow(PaintSession& session, QWidget* frame)
    : FloatingWindow(" Brush Properties", frame), session_(session) {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(10, 12, 10, 8);
  v->setSpacing(6);
  auto* top = new QHBoxLayout;
  top->setSpacing(10);
  preview_ = new SurfaceView(&session_.preview, this);
  preview_->onDab = [this](int x, int y) {
    session_.dabPreview(x, y);
    preview_->update();
  };
  top->addWidget(preview_, 0, Qt::AlignTop);
  auto* right = new QVBoxLayout;
  right->setSpacing(0);
  const char* names[] = {"Size", "Strength", "Depth", "Shading"};
  for (size_t i = 0; i < 4; ++i) {
    right->addWidget(panelLabel(names[i], this));
    sliders_[i] = new PaintSlider(this);
    right->addWidget(sliders_[i]);
    right->addSpacing(6);
  }
  right->addStretch();
  top->addLayout(right, 1);
  v->addLayout(top);

  auto* tabs = new QHBoxLayout;
  tabs->setSpacing(2);
  auto* tabGroup = new QButtonGroup(this);
  const char* tabNames[] = {"tpaint", "ttexture", "tshape"};
  const char* tabTips[] = {"Paint styles", "Textures", "Brush shape"};
  for (size_t i = 0; i < 3; ++i) {
    tabs_[i] = new ImageButton(tabNames[i], tabTips[i], this);
    tabs_[i]->setCheckable(true);
    tabGroup->addButton(tabs_[i], int(i));
    tabs->addWidget(tabs_[i]);
  }
  tabs->addStretch();
  v->addLayout(tabs);
  pages_ = new QStackedWidget(this);
  styles_ = new PatternGrid(session_.patterns.style, pages_);
  textures_ = new PatternGrid(session_.patterns.texture, pages_);
  auto* shape = new QWidget(pages_);
  auto* sh = new QHBoxLayout(shape);
  sh->setContentsMargins(0, 0, 0, 0);
  auto* hcol = new QVBoxLayout;
  hcol->addWidget(panelLabel("Hardness", shape));
  hardness_ = new PaintSlider(shape);
  hcol->addWidget(hardness_);
  hcol->addStretch();
  sh->addLayout(hcol, 1);
  profile_ = new ProfileView(shape);
  sh->addWidget(profile_);
  pages_->addWidget(styles_);
  pages_->addWidget(textures_);
  pages_->addWidget(shape);
  v->addWidget(pages_);
  tabs_[0]->setChecked(true);
  connect(tabGroup, &QButtonGroup::idClicked, pages_, &QStackedWidget::setCurrentIndex);
  connect(styles_, &PatternGrid::chosen, this, [this](int i) {
    session_.setStyle(i);
    styles_->setSelected(session_.brush().style);
    Q_EMIT brushChanged();
  });
  connect(textures_, &PatternGrid::chosen, this, [this](int i) {
    session_.setTexture(i);
    textures_->setSelected(session_.brush().texture);
    Q_EMIT brushChanged();
  });
  setFixedSize(280, 280);
}

void BrushPropertiesWindow::syncFromBrush() {
  const Brush& b = session_.brush();
  sliders_[0]->setValue(sliderFromSize(b.size));
  sliders_[1]->setValue(sliderFromStrength(b.strength));
  sliders_[2]->setValue(sliderFromDepth(b.depth));
  sliders_[3]->setValue(sliderFromShading(b.shading));
  hardness_->setValue(float(b.hardness));
  profile_->setHardness(b.hardness);
  styles_->setSelected(b.style);
  textures_->setSelected(b.texture);
}

bool BrushPropertiesWindow::applySliders() {
  static constexpr BrushProperty kProperties[] = {BrushProperty::Size, BrushProperty::Strength, BrushProperty::Depth,
                                                  BrushProperty::Shading};
  bool any = false;
  for (size_t i = 0; i < sliders_.size(); ++i)
    if (sliders_[i]->takeDragged()) {
      session_.setBrushProperty(kProperties[i], sliders_[i]->value());
      any = true;
    }
  if (hardness_->takeDragged()) {
    session_.setBrushProperty(BrushProperty::Hardness, hardness_->value());
    profile_->setHardness(session_.brush().hardness);
    any = true;
  }
  return any;
}

void BrushPropertiesWindow::applyToolControls(int tool) {
  const ToolInfo& t = toolInfo(tool);
  const ToolControls& c = t.controls;
  sliders_[0]->setEnabled(c.size);
  sliders_[1]->setEnabled(c.strength);
  sliders_[2]->setEnabled(c.depth);
  sliders_[3]->setEnabled(c.shading);
  tabs_[0]->setEnabled(c.styleTab);
  tabs_[1]->setEnabled(c.textureTab);
  styles_->setEnabled(c.styleTab);
  textures_->setEnabled(c.textureTab);
  setWindowTitle(QString(" Brush Properties: ") + toQString(t.caption));
}

}  // namespace daubwell
