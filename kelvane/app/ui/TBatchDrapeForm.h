#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <optional>

#include "app/BackgroundWork.h"
#include "app/SessionExport.h"

namespace kelvane::ui {

// "Batch Drape...": the object, a folder of pictures or a texture library, an output
// folder and format; one picture per texture, with progress and Cancel.
class TBatchDrapeForm final : public QDialog {
  Q_OBJECT
public:
  TBatchDrapeForm(TKVXEditSession& doc, QWidget* parent = nullptr);
  ~TBatchDrapeForm() override;

  TBatchChoice Choice() const;
  void SetChoice(const TBatchChoice& c);
  // "Start": checks the choice and runs the job in the background.
  bool Start();
  bool Running() const { return work_.Running(); }
  // The job's report once it ended.
  const std::optional<Result<TBatchReport>>& Report() const { return report_; }
  QLabel* Status() const { return status_; }

protected:
  void reject() override;

private:
  void Poll();

  TKVXEditSession& doc_;
  QComboBox* object_;
  QLineEdit* textures_;
  QLineEdit* out_;
  QComboBox* format_;
  QSpinBox* quality_;
  QProgressBar* bar_;
  QLabel* status_;
  QPushButton* start_;
  QPushButton* cancel_;
  QTimer poll_;
  TBackgroundWork work_;
  std::optional<Result<TBatchReport>> report_;
  TBatchChoice running_;
};

}  // namespace kelvane::ui
