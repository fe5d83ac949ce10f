#pragma once
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/SessionLibrary.h"

namespace kelvane::ui {

// "Texture Library Editor": builds ".kvt" libraries. Pictures are added from files or a
// folder (several at once, in the background with a bar and Cancel), removed, and put
// in order by dragging their thumbnails.
class TTexLibEditorForm final : public QWidget {
  Q_OBJECT
public:
  explicit TTexLibEditorForm(const TServices& services, QWidget* parent = nullptr);

  TTexLibEditorSession& Session() { return session_; }
  QListWidget* List() const { return list_; }
  // Adds pictures as "Add Pictures..." does once they are chosen.
  void AddPaths(const QStringList& paths);
  // The list shown again from the library.
  void ShowLibrary();

Q_SIGNALS:
  // A library file was written (the library window may show it after "Refresh").
  void Saved(const QString& path);

protected:
  void closeEvent(QCloseEvent* e) override;

private:
  void PollAdding();
  void RowsMoved(int from, int to);
  void UpdateState();

  TTexLibEditorSession session_;
  QListWidget* list_;
  QProgressBar* bar_;
  QLabel* status_;
  QPushButton* cancel_;
  QList<QPushButton*> editing_;
  QTimer poll_;
};

}  // namespace kelvane::ui
