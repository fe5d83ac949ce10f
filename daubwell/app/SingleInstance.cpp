#include "SingleInstance.h"

#include <QLocalSocket>
#include <unistd.h>

#include "ShellRules.h"

namespace daubwell {

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::defaultName() {
  const QString env = qEnvironmentVariable("DAUBWELL_INSTANCE_NAME");
  if (!env.isEmpty()) return env;
  return QString(kInstanceName) + "-" + QString::number(getuid());
}

SingleInstance::Outcome SingleInstance::start(const QString& path) {
  QLocalSocket other;
  other.connectToServer(name_);
  if (other.waitForConnected(500)) {
    if (path.isEmpty()) return Outcome::OtherRunning;
    other.write(path.toUtf8() + '\n');
    const bool sent = other.waitForBytesWritten(2000);
    other.disconnectFromServer();
    return sent ? Outcome::HandedOver : Outcome::HandOverFailed;
  }
  if (!server_.listen(name_)) {
    // A socket left behind by an instance that crashed.
    QLocalServer::removeServer(name_);
    server_.listen(name_);
  }
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_.nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        while (s->canReadLine()) {
          // At most 511 characters of one line, as the hand-over always took.
          const QString path = QString::fromUtf8(s->readLine(512)).trimmed();
          if (!path.isEmpty()) Q_EMIT fileHandedOver(path);
        }
      });
    }
  });
  return Outcome::First;
}

}  // namespace daubwell
