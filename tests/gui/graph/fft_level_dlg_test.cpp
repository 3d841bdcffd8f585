// The FFT level dialog bound to a document, driven through its controls.
#include "gui/graph/fft_level_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstring>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "gui/realtime/panel_host.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"

namespace {

// Stands in for the view: records what the dialog hands over and applies it as the view does.
struct FakeView : PanelHost {
  explicit FakeView(CWavDoc& d) : doc(d) {}
  void ApplyToDocument(const AnalysisSettings& record, int levelModeFlag) override {
    ++applied;
    lastFlag = levelModeFlag;
    doc.ApplySettings(record, levelModeFlag);
  }
  void StartRunFromView() override {}
  void StopRunFromView() override {}
  CWavDoc& doc;
  int applied = 0;
  int lastFlag = -1;
};

class FftLevelDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.Wave().SetFormat(44100, 16, 1);
    ASSERT_TRUE(doc.Wave().Allocate(8192));
    doc.Settings().fftRangeEnd = 8192;
    dlg.Bind(&doc);
    dlg.SetView(&view);
    dlg.Show(nullptr);
    mode = dlg.findChild<QComboBox*>(QStringLiteral("adjustMode"));
    frequency = dlg.findChild<QLineEdit*>(QStringLiteral("frequency"));
    level = dlg.findChild<QLineEdit*>(QStringLiteral("level"));
    offset = dlg.findChild<QLineEdit*>(QStringLiteral("offset"));
    ASSERT_TRUE(mode && frequency && level && offset);
  }

  void Type(QLineEdit* edit, const QString& text) {
    edit->setEnabled(true);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

  RecordingPrompt prompt;
  AppSettings app;
  CWavDoc doc{&app};
  FakeView view{doc};
  CFFTLevelDlg dlg;
  QComboBox* mode = nullptr;
  QLineEdit* frequency = nullptr;
  QLineEdit* level = nullptr;
  QLineEdit* offset = nullptr;
};

}  // namespace

TEST_F(FftLevelDlgTest, ShowsTheLevelInPerCentAndStoresTypedPerCentOnTheLevelScale) {
  ASSERT_EQ(doc.Settings().referenceLevel, 10000.0);
  EXPECT_EQ(level->text(), QStringLiteral("100"));
  EXPECT_EQ(frequency->text(), QStringLiteral("1000"));
  EXPECT_EQ(mode->count(), 3);
  EXPECT_EQ(mode->itemText(1), QStringLiteral("特定周波数レベル基準"));
  MaybeShoot(dlg, QStringLiteral("fft_level_dlg"));

  mode->setCurrentIndex(kLevelAdjustLevel);
  Type(level, QStringLiteral("50"));
  Type(offset, QStringLiteral("-6"));
  ASSERT_EQ(doc.Settings().autoAdjust, 0);
  QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("confirm")), Qt::LeftButton);
  EXPECT_TRUE(dlg.IsWindowCreated());  // "確定" keeps the window
  EXPECT_EQ(view.applied, 1);
  EXPECT_EQ(view.lastFlag, 1);
  EXPECT_EQ(doc.Settings().referenceLevel, 5000.0);
  EXPECT_EQ(doc.Settings().levelOffsetDb, -6.0);
  EXPECT_EQ(doc.Settings().levelAdjustMode, kLevelAdjustLevel);
  EXPECT_EQ(doc.Settings().autoAdjust, 1);
  EXPECT_EQ(level->text(), QStringLiteral("50"));
}

TEST_F(FftLevelDlgTest, PeakModeDisablesBothEditsAndEachOtherModeItsOwn) {
  const struct {
    int mode;
    bool frequency, level;
  } table[] = {{kLevelAdjustFrequency, true, false}, {kLevelAdjustLevel, false, true}, {kLevelAdjustPeak, false, false}};
  for (const auto& row : table) {
    mode->setCurrentIndex(row.mode);
    EXPECT_EQ(frequency->isEnabled(), row.frequency) << row.mode;
    EXPECT_EQ(level->isEnabled(), row.level) << row.mode;
    EXPECT_TRUE(offset->isEnabled());
  }
}

TEST_F(FftLevelDlgTest, CancelLeavesTheDocumentsSettingsAndClosesTheWindow) {
  const AnalysisSettings before = doc.Settings();
  mode->setCurrentIndex(kLevelAdjustLevel);
  Type(level, QStringLiteral("1"));
  dlg.reject();
  EXPECT_FALSE(dlg.IsWindowCreated());
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(view.applied, 0);
  EXPECT_EQ(std::memcmp(&doc.Settings(), &before, sizeof before), 0);
}

TEST_F(FftLevelDlgTest, OkAppliesAndClosesButNotWithAnEditThatHoldsNoNumber) {
  mode->setCurrentIndex(kLevelAdjustFrequency);
  Type(frequency, QStringLiteral("12 kHz"));
  dlg.accept();
  EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"数値を入力してください。"}));
  EXPECT_TRUE(dlg.IsWindowCreated());
  EXPECT_EQ(view.applied, 0);
  Type(frequency, QStringLiteral("12000"));
  dlg.accept();
  EXPECT_FALSE(dlg.IsWindowCreated());
  EXPECT_EQ(doc.Settings().referenceFrequencyHz, 12000.0);
  EXPECT_EQ(doc.Settings().autoAdjust, 1);
}

TEST_F(FftLevelDlgTest, AMarkFillsFrequencyAndLevelWithoutChangingTheMode) {
  mode->setCurrentIndex(kLevelAdjustPeak);
  Type(offset, QStringLiteral("3"));
  dlg.SetReferencePoint(1000.0, 12.5);
  EXPECT_EQ(frequency->text(), QStringLiteral("1000"));
  EXPECT_EQ(level->text(), QStringLiteral("12.5"));
  EXPECT_EQ(mode->currentIndex(), kLevelAdjustPeak);
  EXPECT_EQ(dlg.Record().levelOffsetDb, 3.0);  // the controls were read first
  dlg.accept();
  EXPECT_EQ(doc.Settings().referenceFrequencyHz, 1000.0);
  EXPECT_EQ(doc.Settings().referenceLevel, 1250.0);
  EXPECT_EQ(doc.Settings().levelAdjustMode, kLevelAdjustPeak);
}

TEST_F(FftLevelDlgTest, SyncTakesTheRunSettingsAndShowsTheCopy) {
  AnalysisSettings other = doc.Settings();
  other.blockSize = 4096;
  other.autoAdjust = 1;
  other.referenceLevel = 1.0;  // not taken
  dlg.SyncFromRecord(other);
  EXPECT_EQ(dlg.Record().blockSize, 4096u);
  EXPECT_EQ(dlg.Record().autoAdjust, 1);
  EXPECT_EQ(level->text(), QStringLiteral("100"));
}
