#include "gui/app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

QString RuntimeFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  QDir().mkpath(dir);
  return dir;
}

QString SocketName(const QString& name) { return name + QStringLiteral("-") + QString::number(::getuid()); }

constexpr int kHandOverWaitMs = 3000;

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
  if (lock_) lock_->unlock();
}

QString SingleInstance::LockPath() const { return RuntimeFolder() + QLatin1Char('/') + name_ + QStringLiteral(".lock"); }

bool SingleInstance::TryBecomeFirst() {
  lock_ = std::make_unique<QLockFile>(LockPath());
  // Never stale by age: only a lock whose process has gone is taken over.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  server_ = new QLocalServer(this);
  QLocalServer::removeServer(SocketName(name_));  // a socket left by a crashed run
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->listen(SocketName(name_));
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        // One request: the files' paths, one per line, ended by an empty line.
        QByteArray data = s->property("pending").toByteArray() + s->readAll();
        if (!data.endsWith("\n\n")) {
          s->setProperty("pending", data);
          return;
        }
        QStringList files;
        for (const QByteArray& line : data.split('\n')) {
          if (!line.isEmpty()) files.append(QString::fromUtf8(line));
        }
        s->write("ok\n");
        s->flush();
        s->disconnectFromServer();
        emit FilesReceived(files);
      });
    }
  });
  return true;
}

bool SingleInstance::HandOver(const QStringList& files) {
  QLocalSocket socket;
  socket.connectToServer(SocketName(name_));
  if (!socket.waitForConnected(kHandOverWaitMs)) return false;
  QByteArray request;
  for (const QString& f : files) request += f.toUtf8() + '\n';
  request += '\n';
  socket.write(request);
  if (!socket.waitForBytesWritten(kHandOverWaitMs)) return false;
  if (!socket.waitForReadyRead(kHandOverWaitMs)) return false;
  return socket.readAll().startsWith("ok");
}
