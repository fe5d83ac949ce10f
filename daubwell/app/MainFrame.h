#pragma once
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "PaintSession.h"
#include "QtSupport.h"
#include "ShellRules.h"
#include "CanvasWidget.h"
#include "ToolWindows.h"
#include "effects/Effects.h"

namespace daubwell {

class HelpWindow;

// The main frame "Daubwell": menus by id, the status bar, the canvas window in the MDI
// area, the floating tool windows, and the paced main loop that paints dab by dab.
class MainFrame : public QMainWindow, public DocumentObserver, public ToolHost {
  Q_OBJECT
public:
  explicit MainFrame(PaintSession& session, QWidget* parent = nullptr);
  ~MainFrame() override;

  // Where lists and preferences are read at start-up and written at exit.
  void loadListsAndPreferences();
  void saveListsAndPreferences();
  // Opens a painting without questions (command line, dropped file, second instance).
  bool openFile(const QString& path);
  // A file handed over by a second instance: asks about unsaved changes as Open does,
  // opens it, and brings the frame to the front in the size and place it had.
  void handOver(const QString& path);
  void bringToFront();

  QAction* action(int menuId) const { return actions_.value(menuId); }
  CanvasWidget* canvasWidget() const { return canvas_; }
  QMdiSubWindow* canvasWindow() const { return canvasWindow_; }
  ToolsWindow* toolsWindow() const { return tools_; }
  BrushPropertiesWindow* propertiesWindow() const { return properties_; }
  ColorsWindow* colorsWindow() const { return colors_; }
  PaletteWindow* paletteWindow() const { return palette_; }
  QLabel* statusPart(int i) const { return status_[size_t(i)]; }
  PaintSession& session() { return session_; }
  const FrameStats& frameStats() const { return stats_; }

  // The platform services; tests give scripted ones.
  void setServices(Messages& messages, FileDialogs& dialogs);
  std::function<std::optional<std::pair<int64_t, int64_t>>(int, int)> askSize;
  std::function<bool(const QUrl&)> openPage;  // the desktop's viewer; false when it has none
  HelpWindow* helpWindow() const { return help_; }

  // One main-loop iteration (the timer runs it every 3 ms; tests step it themselves).
  void frameTick();
  void setLoopRunning(bool running) { running ? loop_.start() : loop_.stop(); }
  // A floating window more, or nothing past the cap (with the message).
  FloatingWindow* createFloatingWindow(const QString& title);

  // The tool refresh: buttons, status text, enabled controls, preview.
  void refreshTools();
  // Everything after Undo, Redo or a palette pick.
  void requestRefresh() { refreshRequested_ = true; }

  // Keyboard of every window: Space held selects the Hand Tool.
  void spacePressed();
  void spaceReleased();

  // The mouse on the canvas (window pixels).
  void canvasPress(int x, int y);
  void canvasMove(int x, int y, bool inside);
  void canvasRelease();

  // DocumentObserver
  void canvasResized() override;
  void toolWindowsChanged() override { refreshRequested_ = true; }
  // ToolHost
  void colourPicked(Rgb) override;
  void handDrag() override;

protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

private:
  void buildMenus();
  // The Window menu's items and the windows they show.
  std::array<std::pair<int, FloatingWindow*>, 4> windowItems() const;
  QAction* addItem(QMenu* menu, int id, const QString& caption, std::function<void()> run);
  void buildStatusBar();
  void updateStatus();
  void updateUndoItems();
  void runEffect(const Effect& effect);
  void newImage();
  void imageSize();
  void setZoom(double zoom);
  void importImage();
  void exportImage();
  void exportRelief(int menuId);
  void pageSetup();
  void print();
  void showAbout();
  void openHelp(const QString& anchor);
  void toggleDisplay(int id);
  void toggleWindow(int id, FloatingWindow* w);
  void markPreviewDirty() { previewDirty_ = true; }

  PaintSession& session_;
  QtMessages qtMessages_;
  QtFileDialogs qtDialogs_;
  Messages* messages_;
  FileDialogs* dialogs_;
  QMdiArea* mdi_;
  QMdiSubWindow* canvasWindow_ = nullptr;
  CanvasWidget* canvas_ = nullptr;
  ToolsWindow* tools_ = nullptr;
  BrushPropertiesWindow* properties_ = nullptr;
  ColorsWindow* colors_ = nullptr;
  PaletteWindow* palette_ = nullptr;
  std::vector<QPointer<FloatingWindow>> floating_;
  QMap<int, QAction*> actions_;
  std::array<QLabel*, 4> status_{};
  QTimer loop_;
  FrameStats stats_;
  bool refreshRequested_ = false;
  bool previewDirty_ = true;
  bool strokeOnCanvas_ = false;
  QPoint handAnchor_;
  std::unique_ptr<QPrinter> printer_;
  HelpWindow* help_ = nullptr;
};

}  // namespace daubwell
