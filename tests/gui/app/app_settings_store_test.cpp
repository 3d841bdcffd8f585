// The settings through QSettings, written by one store and read back by a fresh one, as a
// second run of the program reads them.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include "core/doc/app_settings.h"
#include "gui/app/qt_settings_store.h"
#include "gui/app/splash_screen.h"
#include "support/temp_dir.h"

TEST(QtSettingsStore, SettingsSurviveARunWithTheirTypes) {
  TempDir dir;
  const QString ini = QString::fromStdString(dir.Path("Sonvue.conf"));
  AppSettings a;
  a.frameLeft = 100, a.frameTop = 100, a.frameRight = 120, a.frameBottom = 400;
  a.maxFrame = 1;
  a.userColors[15] = 0xFFFFFFFF;
  a.font.logFont.height = -50;
  a.font.logFont.SetFaceNameUtf8("IPAexゴシック");
  a.textOutDelimiter = " ; ";
  {
    QtSettingsStore store(ini);
    SaveSettings(store, a);
    store.Sync();
  }
  QtSettingsStore store(ini);
  AppSettings b;
  LoadSettings(store, b, 1024, 768);
  // The stored rectangle is too narrow: the limits of the frame size apply.
  EXPECT_EQ(b.frameLeft, 10);
  EXPECT_EQ(b.frameRight, 210);
  EXPECT_EQ(b.frameTop, 100);
  EXPECT_EQ(b.frameBottom, 400);
  EXPECT_EQ(b.maxFrame, 1);
  EXPECT_EQ(b.userColors[15], 0xFFFFFFFFu);  // not wrapped to -1
  EXPECT_EQ(b.font.logFont.height, -50);
  EXPECT_EQ(b.font.logFont.FaceNameUtf8(), "IPAexゴシック");
  EXPECT_EQ(b.textOutDelimiter, " ; ");
  EXPECT_EQ(store.Read("version").value_or(""), "211");
  EXPECT_EQ(store.Read("grColor_fBack03").value_or(""), std::to_string(0xFFFFFF));
}

TEST(SplashScreen, TheFirstKeyPressClosesItAndDoesNotReachTheWindow) {
  struct KeyCounter : QWidget {
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    int keys = 0;
  } window;
  window.show();
  CSplashScreen* splash = CSplashScreen::ShowSplash(&window);
  ASSERT_NE(splash, nullptr);
  EXPECT_EQ(CSplashScreen::ShowSplash(&window), splash);  // at most one
  QTest::keyClick(&window, Qt::Key_A);
  QTest::qWait(50);
  EXPECT_EQ(window.keys, 0);
  EXPECT_EQ(CSplashScreen::Current(), nullptr);
  QTest::keyClick(&window, Qt::Key_A);
  EXPECT_EQ(window.keys, 1);
}
