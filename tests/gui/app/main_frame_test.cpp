#include "gui/app/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>

TEST(MainFrame, StartsWithItsTitleAnEmptyMdiAreaAndQuitsCleanly) {
  auto* frame = new CMainFrame;
  frame->show();
  QApplication::processEvents();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("ｿﾝﾋﾞｭｰ"));
  ASSERT_NE(frame->MdiArea(), nullptr);
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
  EXPECT_FALSE(frame->menuBar()->actions().isEmpty());
  EXPECT_TRUE(frame->close());
  delete frame;
}
