#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "TImgView32.h"
#include "TUVTextureEditorForm.h"
#include "app/TKVXEditSession.h"

namespace kelvane::ui {

class TTrackEdit;
class TGetTexCoordsDlg;
class TIncObjParamsForm;

// A document window: the image view with its layers, the side panel with the object
// list, the colour and the texture, and the shading and selection controls. Its
// behaviour is the session's; the window shows it and forwards the user's actions.
class TKVXEditForm final : public QWidget, public TEditObserver {
  Q_OBJECT
public:
  TKVXEditForm(const TServices& services, TKVXOptions& options, TCashMarager* swapper, QWidget* parent = nullptr);
  ~TKVXEditForm() override;

  TKVXEditSession& Session() { return *session_; }
  TImgView32* View() const { return view_; }
  QListWidget* ObjectList() const { return list_; }
  // Runs a command of the document's table, or one the window itself answers.
  void RunCommand(const QString& id);
  // "Hide Tool": the side panel and the tool bar.
  void TogglePanels();
  bool PanelsShown() const;
  // The document's own windows, while they exist.
  TUVTextureEditorForm* UVEditor() const { return uvEditor_; }
  TIncObjParamsForm* IncludedParams() const { return incParams_; }
  TGetTexCoordsDlg* TexCoordsDialog();
  // The object list's pop-up menu for a row (-1: below the rows), whose items run the
  // window's commands.
  void FillListMenu(QMenu& menu, int row);

Q_SIGNALS:
  // The caption, the modified mark or the enabled commands may have changed.
  void Changed();
  void SelectionToolsWanted();
  void GridToolsWanted();
  // A command of the main window asked for from this window (the list's menu).
  void MainCommandWanted(const QString& id);
  // Another object became current: the "Texture Params" window shows its fields.
  void CurrentObjectShown();
  // The "Texture" page was shown (true) or left: the "Texture Params" window follows.
  void TexturePageShown(bool shown);

protected:
  void closeEvent(QCloseEvent* e) override;

  // TEditObserver
  void ObjectListChanged() override;
  void ListSelectionChanged() override;
  void CurrentObjectChanged() override;
  void ViewChanged() override;
  void ImageChanged() override;
  void OverlayChanged() override;
  void ModeChanged() override;
  void StateChanged() override;
  void ShowSelectionTools() override;

private:
  QWidget* BuildToolBar();
  QWidget* BuildSidePanel();
  void OnListSelection();
  void OnColourEdited();
  void ShowColour();
  void ShowTexturePreview();
  void ShowControls();
  void ListMenu(const QPoint& at);
  void PickColour();
  void OpenUVEditor();
  void GenTextureCoords();
  void EditMask();

  std::unique_ptr<TKVXEditSession> session_;
  TImgView32* view_ = nullptr;
  QWidget* toolBar_ = nullptr;
  QTabWidget* side_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* swatch_ = nullptr;
  QSlider* bars_[3] = {};
  QSpinBox* fields_[3] = {};
  QCheckBox *glare_ = nullptr, *hiContrast_ = nullptr, *levelUp_ = nullptr, *overlapping_ = nullptr;
  TTrackEdit *transparent_ = nullptr, *tolerance_ = nullptr, *feather_ = nullptr;
  QLabel *toleranceLabel_ = nullptr, *featherLabel_ = nullptr;
  QSpinBox* zoom_ = nullptr;
  QLabel* texturePreview_ = nullptr;
  bool updating_ = false;
  QPointer<TUVTextureEditorForm> uvEditor_;
  TGetTexCoordsDlg* texCoords_ = nullptr;
  TIncObjParamsForm* incParams_ = nullptr;
  QTimer antsDelay_;
};

}  // namespace kelvane::ui
