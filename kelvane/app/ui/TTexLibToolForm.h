#pragma once
#include <QListWidget>
#include <QMimeData>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/TMainSession.h"
#include "texlib/TThumbnailer.h"

namespace kelvane::ui {

// A library texture as a drag carries it to a document's image view.
inline constexpr const char* kLibraryTextureMime = "application/x-kelvane-library-texture";
QMimeData* LibraryTextureMime(const TLibraryTextureRef& ref);
std::optional<TLibraryTextureRef> LibraryTextureFromMime(const QMimeData* mime);

// "Texture Library": the tree of library roots, folders, libraries and texture lists on
// the left, 100 x 100 thumbnails of the selected source on the right, made in the
// background and shown as they come. A click points the active document at a texture,
// a double click applies it, a drag drops it on an image view.
class TTexLibToolForm final : public QWidget {
  Q_OBJECT
public:
  // `main` gives the main window's session (which scripts may replace).
  explicit TTexLibToolForm(std::function<TMainSession&()> main, QWidget* parent = nullptr);
  ~TTexLibToolForm() override;

  // "Refresh": the tree built again over the library roots.
  void Refresh();
  // "Add Library Path...".
  void AddLibraryPath();
  // The folder chooser (a folder dialog; tests give their own).
  std::function<QString()> ChooseFolder;

  QTreeWidget* Tree() const { return tree_; }
  QListWidget* Thumbnails() const { return thumbnails_; }
  // The reference thumbnail `row` of the current node gives.
  std::optional<TLibraryTextureRef> ReferenceOf(int row) const;
  // The polling step: shows the selected node's thumbnails when it changed.
  void Poll();
  // True while thumbnails of the current node are still being made.
  bool Loading() const { return !thumbnailer_.Finished(); }

Q_SIGNALS:
  // A texture was applied to the active document.
  void Applied();

private:
  void AddChildren(QTreeWidgetItem* parent, TTexLibNode& node);
  QTreeWidgetItem* ItemFor(TTexLibNode& node);
  void TakeThumbnails();
  void Clicked(QListWidgetItem* item);
  void DoubleClicked(QListWidgetItem* item);

  std::function<TMainSession&()> main_;
  TTexLibTree model_;
  TThumbnailer thumbnailer_;
  QTreeWidget* tree_;
  QListWidget* thumbnails_;
  QTimer poll_;
  const TTexLibNode* current_ = nullptr;
};

}  // namespace kelvane::ui
