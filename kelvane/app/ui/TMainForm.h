#pragma once
#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMdiArea>
#include <QPrinter>
#include <QTimer>
#include <array>
#include <memory>

#include "QtServices.h"
#include "SaneScanner.h"
#include "TForm1.h"
#include "app/TMainSession.h"

namespace kelvane::ui {

class TKVXEditForm;
class TSTForm;
class TGTForm;
class TDivideGridForm;
class TFollowFoldsForm;
class TOptionsDlg;
class TImgSizeForm;
class TKVXRotateDlgForm;
class TBalansForm;
class TKVXMatialParamsForm;
class THSLToolFrom;
class TFeaterForm;
class TTexLibToolForm;
class TTexLibEditorForm;
class TKVXJpegExport;

// The main window "Kelvane": the document windows in the MDI area, the menus, the
// toolbar and the shortcuts of the command table, the five-part status bar, the tool
// windows and the 300 ms tick of the marching ants.
class TMainForm final : public QMainWindow, public TMainHost {
  Q_OBJECT
public:
  explicit TMainForm(TCashMarager* swapper, QWidget* parent = nullptr);
  ~TMainForm() override;

  TMainSession& Session() { return *session_; }
  QAction* Action(const QString& id) const { return actions_.value(id); }
  QLabel* StatusPanel(int i) const { return status_[size_t(i)]; }
  QMdiArea* Mdi() const { return mdi_; }
  TKVXEditForm* ActiveForm() const;
  TForm1* ProgressWindow() const { return progress_; }
  TSTForm* SelectTools() const { return selectTools_; }
  TGTForm* GridTools() const { return gridTools_; }
  TKVXMatialParamsForm* TextureParams() const { return texParams_; }
  THSLToolFrom* HSLTools() const { return hslTools_; }
  TTexLibToolForm* TextureLibrary() const { return texLib_; }
  TTexLibEditorForm* LibraryEditor() const { return libEditor_; }
  TKVXJpegExport* JpegExport() const { return jpegExport_; }
  QPrinter& Printer() { return *printer_; }
  bool OpenFile(const QString& path);
  // Scripts and tests replace the platform services (before documents are opened).
  const TServices& Services() const { return services_; }
  void SetServices(const TServices& services);

  // TMainHost
  TKVXEditSession* ActiveDocument() override;
  TKVXEditSession* NewDocument(const std::string& caption) override;
  void CloseActiveDocument() override;
  void Arrange(TArrange how) override;
  void ToggleToolWindow(TToolWindow w) override;
  bool ToolWindowVisible(TToolWindow w) override;
  void ToggleDocumentPanels() override;
  void Exit() override;
  bool EditOptions(TKVXOptions& options) override;
  std::optional<TImageSizeAnswer> AskImageSize(int width, int height) override;
  std::optional<double> AskRotateAngle() override;
  std::optional<double> AskFeatherRadius() override;
  void Balance(TKVXEditSession& doc) override;
  void RunWindowCommand(TKVXEditSession& doc, const std::string& id) override;
  void ShowAbout() override;
  void Print(TKVXEditSession& doc) override;
  void ExportJpeg(TKVXEditSession& doc) override;
  bool StartProgram(const std::string& path) override;
  void RefreshLibrary() override;
  bool ShowLibraryEditor() override;
  void BatchDrape(TKVXEditSession& doc) override;

public Q_SLOTS:
  void RefreshCommands();

protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

private:
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void AddRecent(const QString& path);
  void FillRecentMenu();
  TKVXEditForm* FormOf(TKVXEditSession& doc) const;
  QWidget* ToolWindow(TToolWindow w) const;

  TForm1* progress_;
  TQtMessages messages_;
  TQtPrompt prompt_;
  TQtFileDialogs dialogs_;
  TQtClipboard clipboard_;
  TQtSettings settings_;
  TQtBusyCursor cursor_;
  TSaneScanner scanner_;
  TQtJobRunner jobs_;
  TServices services_;
  TCashMarager* swapper_;
  std::unique_ptr<TMainSession> session_;

  QMdiArea* mdi_;
  QMap<QString, QAction*> actions_;
  std::array<QLabel*, 5> status_{};
  QMenu* recent_ = nullptr;
  TSTForm* selectTools_ = nullptr;
  TGTForm* gridTools_ = nullptr;
  TKVXMatialParamsForm* texParams_ = nullptr;
  TDivideGridForm* divide_ = nullptr;
  TFollowFoldsForm* folds_ = nullptr;
  TOptionsDlg* options_ = nullptr;
  TImgSizeForm* imageSize_ = nullptr;
  TKVXRotateDlgForm* rotate_ = nullptr;
  TBalansForm* balance_ = nullptr;
  THSLToolFrom* hslTools_ = nullptr;
  TFeaterForm* feather_ = nullptr;
  TTexLibToolForm* texLib_ = nullptr;
  bool texLibPlaced_ = false;
  TTexLibEditorForm* libEditor_ = nullptr;
  TKVXJpegExport* jpegExport_ = nullptr;
  std::unique_ptr<QPrinter> printer_;
  QTimer ants_;
};

}  // namespace kelvane::ui
