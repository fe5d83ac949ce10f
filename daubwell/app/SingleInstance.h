#pragma once
#include <QLocalServer>
#include <QObject>
#include <QString>

namespace daubwell {

// One program at a time: the first instance listens on a local socket; a later one hands
// it the file it was started with (the path itself, so the two need not share a working
// folder) and ends.
class SingleInstance : public QObject {
  Q_OBJECT
public:
  enum class Outcome { First, HandedOver, HandOverFailed, OtherRunning };

  explicit SingleInstance(QString name, QObject* parent = nullptr);
  // The socket name of this user's instance ("DAREZADAZERID" and the user id), or the
  // DAUBWELL_INSTANCE_NAME environment variable when set.
  static QString defaultName();
  Outcome start(const QString& path);

Q_SIGNALS:
  void fileHandedOver(const QString& path);

private:
  QString name_;
  QLocalServer server_;
};

}  // namespace daubwell
