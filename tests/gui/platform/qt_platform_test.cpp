// Qt's own dialogs and buttons speak Japanese once the translations are installed.
#include "gui/platform/qt_platform.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

TEST(JapaneseTranslations, QtsOwnButtonsAreJapanese) {
  ASSERT_TRUE(InstallJapaneseTranslations()) << "qt6-translations-l10n is not installed";
  QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい")))
      << box.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("いいえ")));
  EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("キャンセル")));
}
