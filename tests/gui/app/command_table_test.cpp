#include "gui/app/command_table.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <set>

#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"

namespace {
void CollectIds(const std::vector<MenuEntry>& menu, std::vector<int>& ids) {
  for (const MenuEntry& e : menu) {
    if (e.kind == MenuEntry::Kind::Command) ids.push_back(e.id);
    CollectIds(e.children, ids);
  }
}
}  // namespace

TEST(CommandTable, EveryMenuToolbarAndAcceleratorCommandIsDescribedOnce) {
  std::set<int> seen;
  for (const CommandInfo& c : AllCommands()) {
    EXPECT_TRUE(seen.insert(c.id).second) << "twice: " << c.id;
    EXPECT_TRUE(c.prompt && *c.prompt) << c.id;
    EXPECT_TRUE(c.tip && *c.tip) << c.id;
    if (c.shortcut) {
      EXPECT_FALSE(QKeySequence(QString::fromUtf8(c.shortcut)).isEmpty()) << c.id;
    }
    if (c.icon) {
      QIcon icon(QStringLiteral(":/icons/") + QString::fromUtf8(c.icon));
      EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << c.icon;
    }
  }
  std::vector<int> ids;
  CollectIds(MenuWithoutDocument(), ids);
  CollectIds(MenuWithDocument(), ids);
  for (int g = 0; g < 3; ++g) CollectIds(BoxPopupMenu(g), ids);
  for (const auto* bar : {&MainToolbarButtons(), &GraphMakingToolbarButtons(), &GraphSettingToolbarButtons()}) {
    for (int id : *bar) {
      if (id != 0 && id != cmd::kBoxList) {
        ids.push_back(id);
        EXPECT_NE(FindCommand(id)->icon, nullptr) << "toolbar button without icon: " << id;
      }
    }
  }
  for (const Accelerator& a : ViewAccelerators()) ids.push_back(a.id);
  for (int id : ids) EXPECT_NE(FindCommand(id), nullptr) << id;
}

TEST(CommandTable, MenusKeepTheirOrderAndTexts) {
  const auto& m = MenuWithDocument();
  ASSERT_EQ(m.size(), 7u);
  EXPECT_STREQ(m[0].text, "ﾌｧｲﾙ(&F)");
  EXPECT_STREQ(m[3].text, "実行");
  const MenuEntry& help = m[6];
  EXPECT_STREQ(help.children[1].text, "ﾊﾞｰｼﾞｮﾝ情報(Sonvue) (&A)...");
  EXPECT_EQ(std::string(FindCommand(cmd::kAppAbout)->text), "ﾊﾞｰｼﾞｮﾝ情報(Sonvue)(&A)...");
  EXPECT_STREQ(FindCommand(cmd::kRecord)->prompt, "リアルモード（録音）で実行");
  EXPECT_STREQ(FindCommand(cmd::kRecord)->tip, "クイックスタート（録音）");
  EXPECT_TRUE(BoxPopupMenu(10).empty());  // the information box has no pop-up
  EXPECT_STREQ(BoxListText(2), "Wave Mono(L+R)");
  EXPECT_STREQ(BoxListText(12), "InfoBox");
  EXPECT_STREQ(BoxListText(10), "");
}

// Every command the view carries out is in the registry exactly once and has its texts;
// commands of the application and the main window are not the view's.
TEST(CommandRegistry, EachViewCommandHasOneEntryAndItsTexts) {
  std::set<int> seen;
  for (const ViewCommand& c : AllViewCommands()) {
    EXPECT_TRUE(seen.insert(c.id).second) << "twice: " << c.id;
    EXPECT_NE(c.run, nullptr) << c.id;
    EXPECT_NE(FindCommand(c.id), nullptr) << "no menu text: " << c.id;
    EXPECT_EQ(FindViewCommand(c.id), &c);
  }
  for (int id : {cmd::kFileClose, cmd::kFileSave, cmd::kEditCopy, cmd::kRecord, cmd::kStop, cmd::kWaveLeft,
                 cmd::kFft3dMono, cmd::kInfoBox, cmd::kXRangeEighth, cmd::kFocusMinus, cmd::kSettingPanel}) {
    EXPECT_NE(FindViewCommand(id), nullptr) << id;
  }
  for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kAppExit, cmd::kViewToolbar, cmd::kBoxList}) {
    EXPECT_EQ(FindViewCommand(id), nullptr) << id;
  }
}
