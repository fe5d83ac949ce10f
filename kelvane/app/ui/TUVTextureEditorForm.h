#pragma once
#include <QToolButton>
#include <QVector>
#include <QWidget>

#include "app/TKVXEditSession.h"

namespace kelvane::ui {

// "UV Texture Editor": the current object's grid over its texture, placed by the nodes'
// texture coordinates, with tools that move them. It edits the object's live grid
// through the session; closing it leaves the grid with the object.
class TUVTextureEditorForm final : public QWidget {
  Q_OBJECT
public:
  TUVTextureEditorForm(TKVXEditSession& session, QWidget* parent);
  ~TUVTextureEditorForm() override;
  // After the grid, the texture or the tool changed.
  void Refresh();
  QToolButton* Button(int i) const { return buttons_.value(i); }
  QWidget* Canvas() const { return canvas_; }
  // A view position in texture pixels.
  QPointF ToTexture(QPointF viewPoint) const;

protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  void Place();
  void Paint();

  TKVXEditSession& session_;
  QWidget* canvas_ = nullptr;
  QVector<QToolButton*> buttons_;
  int placedWidth_ = -1, placedHeight_ = -1;
};

}  // namespace kelvane::ui
