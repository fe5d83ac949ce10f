#pragma once
#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

namespace daubwell {

// One program at a time per user and session: the first instance listens on a local
// socket; a later one hands it the file it was started with (the path itself, so the two
// need not share a working folder) and ends.
class SingleInstance : public QObject {
  Q_OBJECT
public:
  enum class Outcome { First, HandedOver, HandOverFailed, OtherRunning };

  explicit SingleInstance(QString name, QObject* parent = nullptr);
  // The socket of this user's instance in this session (see instanceSocketName), or the
  // DAUBWELL_INSTANCE_NAME environment variable when set.
  static QString defaultName();
  Outcome start(const QString& path);
  const QString& name() const { return name_; }

Q_SIGNALS:
  // Emitted from the event loop once the whole message has arrived, never from inside the
  // socket's own handler: a receiver may run dialogs of its own.
  void fileHandedOver(const QString& path);

private:
  void accept();

  QString name_;
  QLocalServer server_;
};

}  // namespace daubwell
