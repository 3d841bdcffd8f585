#pragma once
// Only one program runs at a time. The first start holds a lock file named
// "Klangor32_Running" in the runtime folder and listens on a local socket; a later start
// that names files hands them to the running program (which opens them) and ends, one
// that names none shows "既に起動されています" and ends. A lock left by a program that
// crashed does not block: its process is gone, so the lock is taken over.
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name` is "Klangor32_Running"; tests pass another one.
  explicit SingleInstance(const QString& name = QStringLiteral("Klangor32_Running"), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is the first one and now holds the lock.
  bool TryBecomeFirst();
  // Sends files to the running program; true when it took them.
  bool HandOver(const QStringList& files);
  QString LockPath() const;

 signals:
  // Files that a later start handed over.
  void FilesReceived(const QStringList& files);

 private:
  QString name_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};
