#pragma once
// Driving dialogs in tests: finding a named control, and acting on a modal dialog once it
// is shown (its exec() runs its own event loop, so the test's code must run from a timer).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// The child of the given object name; a test failure when there is none.
template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Acts on the next modal dialog of type T once it is shown.
template <typename T>
QPointer<QTimer> WhenShown(std::function<void(T&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      act(*dlg);
    }
  });
  poll->start(20);
  return poll;
}
