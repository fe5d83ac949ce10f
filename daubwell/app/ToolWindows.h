#pragma once
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "PaintSession.h"
#include "ShellRules.h"
#include "Widgets.h"
#include "files/FileDialogs.h"

// The floating tool windows around the canvas, the size dialog and the splash.
namespace daubwell {

// A small captioned window owned by the frame. Closing it hides it.
class FloatingWindow : public QWidget {
  Q_OBJECT
public:
  FloatingWindow(const QString& title, QWidget* frame);

Q_SIGNALS:
  void shownChanged(bool shown);

protected:
  void paintEvent(QPaintEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
};

// " Tools": one button per tool in three groups.
class ToolsWindow : public FloatingWindow {
  Q_OBJECT
public:
  ToolsWindow(PaintSession& session, QWidget* frame);
  // Shows the current tool's button as selected and every other as normal.
  void markTool(int tool);
  QAbstractButton* button(int tool) const;

Q_SIGNALS:
  void toolChosen(int tool);

private:
  QButtonGroup* group_;
};

// The style and texture thumbnails: 29 x 29, 9 per row.
class PatternGrid : public QWidget {
  Q_OBJECT
public:
  PatternGrid(const std::array<DisplaySurface, kPatternCount>& images, QWidget* parent);
  void setSelected(int i);
  static constexpr int kCell = 29;

Q_SIGNALS:
  void chosen(int index);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  std::vector<QImage> thumbs_;
  int selected_ = 0;
};

// The footprint profile in a 54 x 54 box.
class ProfileView : public QWidget {
public:
  explicit ProfileView(QWidget* parent) : QWidget(parent) { setFixedSize(56, 56); }
  void setHardness(int h) {
    hardness_ = h;
    update();
  }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  int hardness_ = 50;
};

// " Brush Properties": the live preview, the four property sliders and the styles panel.
class BrushPropertiesWindow : public FloatingWindow {
  Q_OBJECT
public:
  BrushPropertiesWindow(PaintSession& session, QWidget* frame);
  void syncFromBrush();
  // Applies sliders the user moved since the last main-loop iteration; true if any.
  bool applySliders();
  void applyToolControls(int tool);
  void previewChanged() { preview_->update(); }

  PaintSlider* size() const { return sliders_[0]; }
  PaintSlider* strength() const { return sliders_[1]; }
  PaintSlider* depth() const { return sliders_[2]; }
  PaintSlider* shading() const { return sliders_[3]; }
  PaintSlider* hardness() const { return hardness_; }
  QAbstractButton* styleTab() const { return tabs_[0]; }
  QAbstractButton* textureTab() const { return tabs_[1]; }
  QAbstractButton* shapeTab() const { return tabs_[2]; }
  PatternGrid* styles() const { return styles_; }
  PatternGrid* textures() const { return textures_; }
  SurfaceView* previewView() const { return preview_; }

Q_SIGNALS:
  void brushChanged();

private:
  PaintSession& session_;
  SurfaceView* preview_;
  std::array<PaintSlider*, 4> sliders_{};
  std::array<ImageButton*, 3> tabs_{};
  QStackedWidget* pages_;
  PatternGrid* styles_;
  PatternGrid* textures_;
  PaintSlider* hardness_;
  ProfileView* profile_;
};

// " Colors": red, green and blue sliders and a swatch of paint in the colour.
class ColorsWindow : public FloatingWindow {
  Q_OBJECT
public:
  ColorsWindow(PaintSession& session, QWidget* frame);
  void syncFromBrush();
  bool applySliders();
  PaintSlider* channel(int i) const { return sliders_[size_t(i)]; }

Q_SIGNALS:
  void brushChanged();

private:
  void repaintSwatch();
  PaintSession& session_;
  std::array<PaintSlider*, 3> sliders_{};
  Canvas swatch_;
  SurfaceView* swatchView_;
};

// A list of thumbnails, one per used slot of a list, the selected one framed.
class ThumbnailList : public QWidget {
  Q_OBJECT
public:
  ThumbnailList(int columns, QSize cell, QWidget* parent);
  void setThumbnails(std::vector<QImage> thumbs, int selected);
  void setSelected(int selected);

Q_SIGNALS:
  void chosen(int index);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  int columns_;
  QSize cell_;
  std::vector<QImage> thumbs_;
  int selected_ = 0;
};

// " Palette": the brush palette and the stroke list.
class PaletteWindow : public FloatingWindow {
  Q_OBJECT
public:
  PaletteWindow(PaintSession& session, Messages& messages, FileDialogs& dialogs, QWidget* frame);
  // Paints every thumbnail again and shows the selected entries.
  void refresh();
  // The current tool changed: the stroke thumbnails, painted with it, follow.
  void toolChanged();
  void setServices(Messages& messages, FileDialogs& dialogs) {
    messages_ = &messages;
    dialogs_ = &dialogs;
  }
  bool applySliders();
  ThumbnailList* brushes() const { return brushList_; }
  ThumbnailList* strokes() const { return strokeList_; }

Q_SIGNALS:
  void brushChanged();

private:
  QHBoxLayout* listButtonRow(QWidget* page, std::function<void(int)> run);
  void refreshBrushes();
  void refreshStrokes();
  void syncStrokeControls();
  void storeStroke();
  PaintSession& session_;
  Messages* messages_;
  FileDialogs* dialogs_;
  ThumbnailList* brushList_;
  ThumbnailList* strokeList_;
  std::array<ImageButton*, 3> checks_{};
  std::array<PaintSlider*, 5> strokeSliders_{};
  int strokeTool_ = -1;  // the tool the stroke thumbnails were painted with
};

// "New Image": width and height, or nothing when cancelled.
class SizeDialog : public QDialog {
  Q_OBJECT
public:
  SizeDialog(int width, int height, QWidget* parent);
  static std::optional<std::pair<int64_t, int64_t>> ask(int width, int height, QWidget* parent);
  QLineEdit* widthEdit() const { return width_; }
  QLineEdit* heightEdit() const { return height_; }

protected:
  void paintEvent(QPaintEvent* e) override;

private:
  QLineEdit* width_;
  QLineEdit* height_;
};

// The splash picture, as the start-up screen and as the About box: it goes on a click,
// a key or when it loses the focus.
class SplashWindow : public QWidget {
  Q_OBJECT
public:
  explicit SplashWindow(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
  void focusOutEvent(QFocusEvent*) override { close(); }

private:
  QPixmap picture_;
};

}  // namespace daubwell
