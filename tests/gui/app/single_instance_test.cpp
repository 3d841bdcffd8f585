#include "gui/app/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {
QString UniqueName() {
  return QStringLiteral("SonvueTest_%1_%2").arg(QCoreApplication::applicationPid()).arg(std::rand());
}
}  // namespace

TEST(SingleInstance, SecondStartIsRefusedAndHandsItsFilesOver) {
  QString name = UniqueName();
  SingleInstance first(name);
  ASSERT_TRUE(first.TryBecomeFirst());
  QSignalSpy received(&first, &SingleInstance::FilesReceived);

  SingleInstance second(name);
  EXPECT_FALSE(second.TryBecomeFirst());
  // The hand-over blocks in the second one while the first answers from its event loop;
  // run the second one's request on a thread.
  bool handed = false;
  std::unique_ptr<QThread> t(QThread::create([&] {
    SingleInstance client(name);
    handed = client.HandOver({QStringLiteral("/tmp/a.wav"), QStringLiteral("/tmp/音.wft")});
  }));
  t->start();
  ASSERT_TRUE(received.wait(5000));
  t->wait();
  EXPECT_TRUE(handed);
  ASSERT_EQ(received.count(), 1);
  EXPECT_EQ(received[0][0].toStringList(), (QStringList{"/tmp/a.wav", "/tmp/音.wft"}));
}

TEST(SingleInstance, ALockLeftByADeadProcessDoesNotBlock) {
  QString name = UniqueName();
  SingleInstance probe(name);
  // A lock file as a crashed run leaves it: a process id that does not exist.
  QFile stale(probe.LockPath());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write("999999\nsonvue\n");
  stale.write(QSysInfo::machineHostName().toUtf8() + "\n");
  stale.close();
  SingleInstance next(name);
  EXPECT_TRUE(next.TryBecomeFirst());
}
