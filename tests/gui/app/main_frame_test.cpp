#include "gui/app/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "gui/app/command_ids.h"

TEST(MainFrame, StartsWithItsTitleAnEmptyMdiAreaAndQuitsCleanly) {
  auto* frame = new CMainFrame;
  frame->show();
  QApplication::processEvents();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("ｿﾝﾋﾞｭｰ"));
  ASSERT_NE(frame->MdiArea(), nullptr);
  EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
  // Without a document window: the short menu of three.
  ASSERT_EQ(frame->menuBar()->actions().size(), 3);
  EXPECT_EQ(frame->menuBar()->actions()[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
  EXPECT_TRUE(frame->close());
  delete frame;
}

TEST(MainFrame, ToolbarTogglesCarryCheckMarks) {
  CMainFrame frame;
  frame.show();
  QAction* making = frame.Action(cmd::kGraphMakingBar);
  frame.UpdateAllCommands();
  EXPECT_TRUE(making->isChecked());
  frame.RunCommand(cmd::kGraphMakingBar);
  EXPECT_FALSE(frame.GraphMakingToolbar()->isVisible());
  EXPECT_FALSE(making->isChecked());
  frame.RunCommand(cmd::kGraphMakingBar);
  EXPECT_TRUE(frame.GraphMakingToolbar()->isVisible());
  EXPECT_TRUE(making->isChecked());
  // A command nobody carries out yet is disabled.
  EXPECT_FALSE(frame.UpdateCommand(cmd::kFilter).enabled);
}

TEST(MainFrame, BoxListShowsPresentBoxesAndSelectsTheActiveOne) {
  CMainFrame frame;
  std::array<bool, 13> present{};
  present[12] = present[0] = present[1] = true;
  frame.UpdateBoxList(1, present);
  QComboBox* list = frame.BoxList();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->itemText(0), QStringLiteral("Wave L-ch"));
  EXPECT_EQ(list->itemText(1), QStringLiteral("Wave R-ch"));
  EXPECT_EQ(list->itemText(2), QStringLiteral("InfoBox"));
  EXPECT_EQ(list->currentText(), QStringLiteral("Wave R-ch"));
  // The same flags do not rebuild the list (a marker item survives).
  list->setItemText(0, QStringLiteral("marker"));
  frame.UpdateBoxList(12, present);
  EXPECT_EQ(list->itemText(0), QStringLiteral("marker"));
  EXPECT_EQ(list->currentIndex(), 2);
  frame.UpdateBoxList(5, present);  // no entry for the active type
  EXPECT_EQ(list->currentIndex(), -1);
}

TEST(MainFrame, RecentFilesKeepFourNewestFirst) {
  CMainFrame frame;
  for (int i = 1; i <= 6; ++i) frame.AddRecentFile(QStringLiteral("/f%1.wft").arg(i));
  frame.AddRecentFile(QStringLiteral("/f4.wft"));
  EXPECT_EQ(frame.RecentFiles(), (QStringList{"/f4.wft", "/f6.wft", "/f5.wft", "/f3.wft"}));
}

TEST(MainFrame, DocumentWindowsOpenInsideTheAreaCascadeLargeAndAreListedInTheWindowMenu) {
  CMainFrame frame;
  frame.resize(1000, 800);
  frame.show();
  QApplication::processEvents();
  QMdiArea* mdi = frame.MdiArea();
  const QRect area = mdi->viewport()->rect();
  for (int i = 0; i < 8; ++i) {
    QMdiSubWindow* sub = mdi->addSubWindow(new QWidget);
    sub->setWindowTitle(QStringLiteral("doc%1").arg(i + 1));
    frame.PlaceNewWindow(sub);
    sub->show();
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(sub->geometry())) << i;
    EXPECT_GE(sub->width(), area.width() / 2) << i;
  }
  frame.RunCommand(cmd::kWindowCascade);
  for (QMdiSubWindow* sub : mdi->subWindowList()) {
    EXPECT_TRUE(area.contains(sub->geometry()));
    EXPECT_GE(sub->width(), area.width() * 2 / 3 - 1);
    EXPECT_GE(sub->height(), area.height() * 2 / 3 - 1);
  }
  // The window menu ends with the eight windows, the active one checked.
  mdi->setActiveSubWindow(mdi->subWindowList()[2]);
  QApplication::processEvents();
  QMenu* windowMenu = nullptr;
  for (QAction* a : frame.menuBar()->actions()) {
    if (a->text() == QStringLiteral("ｳｨﾝﾄﾞｳ(&W)")) windowMenu = a->menu();
  }
  ASSERT_NE(windowMenu, nullptr);
  emit windowMenu->aboutToShow();
  QStringList listed;
  QString checked;
  for (QAction* a : windowMenu->actions()) {
    if (!a->property("windowEntry").toBool()) continue;
    listed << a->text();
    if (a->isChecked()) checked = a->text();
  }
  ASSERT_EQ(listed.size(), 8);
  EXPECT_EQ(listed[0], QStringLiteral("&1 doc1"));
  EXPECT_EQ(checked, QStringLiteral("&3 doc3"));
  // With every window closed the box list is empty.
  std::array<bool, 13> present{};
  present[12] = true;
  frame.UpdateBoxList(12, present);
  mdi->closeAllSubWindows();
  QApplication::processEvents();
  frame.UpdateAllCommands();
  EXPECT_EQ(frame.BoxList()->count(), 0);
}
