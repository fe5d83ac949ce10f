#include "SingleInstance.h"

#include <QLocalSocket>
#include <QPointer>
#include <QVariant>
#include <QTimer>
#include <unistd.h>

#include "ShellRules.h"

namespace daubwell {

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::defaultName() {
  const QString env = qEnvironmentVariable("DAUBWELL_INSTANCE_NAME");
  if (!env.isEmpty()) return env;
  QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
  return QString::fromStdString(instanceSocketName(getuid(), qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                                                   display.toStdString(),
                                                   qEnvironmentVariable("XDG_SESSION_ID").toStdString()));
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
  // Nobody answered: a socket still there was left by an instance that crashed.
  if (!server_.listen(name_)) {
    QLocalServer::removeServer(name_);
    server_.listen(name_);
  }
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
  return Outcome::First;
}

void SingleInstance::accept() {
  while (QLocalSocket* s = server_.nextPendingConnection()) {
    // The message is read whole (one line, or everything up to the sender's end) into a
    // buffer of its own; the socket is then done with before anyone acts on the path.
    auto* buffer = new QByteArray;
    auto finish = [this, s, buffer] {
      if (s->property("handedOver").toBool()) return;
      s->setProperty("handedOver", true);
      // At most 511 characters of one line, as the hand-over always took.
      const int end = buffer->indexOf('\n');
      const QString path = QString::fromUtf8(buffer->left(std::min(end < 0 ? qsizetype(buffer->size()) : end,
                                                                   qsizetype(511))))
                               .trimmed();
      s->disconnect(this);
      s->disconnectFromServer();
      s->deleteLater();
      if (!path.isEmpty())
        QTimer::singleShot(0, this, [this, path] { Q_EMIT fileHandedOver(path); });
    };
    connect(s, &QLocalSocket::readyRead, this, [s, buffer, finish] {
      buffer->append(s->readAll());
      if (buffer->contains('\n')) finish();
    });
    connect(s, &QLocalSocket::disconnected, this, [s, buffer, finish] {
      buffer->append(s->readAll());
      finish();
    });
    connect(s, &QObject::destroyed, [buffer] { delete buffer; });
  }
}

}  // namespace daubwell
