// The trigger and recording dialogs, driven as a user drives them.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/wave/wave.h"
#include "gui/realtime/record_settings_dlg.h"
#include "gui/realtime/trigger_dlg.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"

namespace {

template <typename T>
T* Child(QWidget& dlg, const char* name) {
  T* w = dlg.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void Wave(CWave& w, uint16_t channels, uint32_t frames, uint32_t rate = 44100, uint16_t bits = 16) {
  w.SetFormat(rate, bits, channels);
  w.Allocate(frames);
}

}  // namespace

TEST(TriggerDlg, EditsTheStoredUnitsAndRefusesANonIntegerDelay) {
  CWave stereo;
  Wave(stereo, 2, 1000);
  AnalysisSettings s = DefaultAnalysisSettings();
  s.triggerChannel = 2;
  s.triggerLevel = 2500.0;
  s.triggerDelayFrames = 100;
  CTriggerDlg dlg(s, stereo);
  MaybeShoot(dlg, QStringLiteral("trigger_dlg"));
  auto* target = Child<QComboBox>(dlg, "triggerTarget");
  ASSERT_EQ(target->count(), 3);
  EXPECT_EQ(target->currentText(), QStringLiteral("R-ch"));
  EXPECT_EQ(Child<QLineEdit>(dlg, "level")->text(), QStringLiteral("2500"));
  EXPECT_EQ(Child<QLineEdit>(dlg, "delay")->text(), QStringLiteral("100"));

  RecordingPrompt prompt;
  Child<QLineEdit>(dlg, "delay")->setText(QStringLiteral("12.5"));
  dlg.accept();
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"整数を入力してください。"});
  EXPECT_EQ(dlg.result(), QDialog::Rejected);  // still open

  Child<QLineEdit>(dlg, "delay")->setText(QStringLiteral("256"));
  Child<QLineEdit>(dlg, "level")->setText(QStringLiteral("-1234.5"));
  Child<QRadioButton>(dlg, "slopeFalling")->setChecked(true);
  target->setCurrentIndex(0);
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Record().triggerChannel, 1);
  EXPECT_EQ(dlg.Record().triggerSlope, 1);
  EXPECT_EQ(dlg.Record().triggerDelayFrames, 256);
  EXPECT_EQ(dlg.Record().triggerLevel, -1234.5);
}

TEST(TriggerDlg, OneChannelWaveOffersOnlyMono) {
  CWave mono;
  Wave(mono, 1, 1000);
  AnalysisSettings s = DefaultAnalysisSettings();
  s.triggerChannel = 1;
  CTriggerDlg dlg(s, mono);
  auto* target = Child<QComboBox>(dlg, "triggerTarget");
  ASSERT_EQ(target->count(), 1);
  EXPECT_EQ(target->currentText(), QStringLiteral("Mono"));
  dlg.accept();
  EXPECT_EQ(dlg.Record().triggerChannel, 3);
}

TEST(RecordSettingsDlg, OpensOnTheWaveFormatAndRecomputesTheLengthForANewRate) {
  CWave w;
  Wave(w, 2, 88200);
  AnalysisSettings s = DefaultAnalysisSettings();
  ResetRecordingToWave(w, s);
  {
    CRecordSettingsDlg dlg(s, w);
    MaybeShoot(dlg, QStringLiteral("record_settings_dlg"));
    EXPECT_TRUE(Child<QRadioButton>(dlg, "rate2")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dlg, "bits1")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(dlg, "channels1")->isChecked());
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(dlg, "seconds")->value(), 2.0);
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("選択領域へのはめ込み有効"));
    EXPECT_FALSE(Child<QLineEdit>(dlg, "anyRate")->isEnabled());
    Child<QCheckBox>(dlg, "continuous")->setChecked(true);
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("選択領域へのはめ込み無効"));
    Child<QCheckBox>(dlg, "continuous")->setChecked(false);
    dlg.accept();
    EXPECT_EQ(dlg.Record().recordingFrames, 88200u);
    EXPECT_EQ(dlg.Record().recordingRateHz, 44100u);
  }
  {
    CRecordSettingsDlg dlg(s, w);
    Child<QRadioButton>(dlg, "rate1")->click();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("選択領域へのはめ込み無効"));
    dlg.accept();
    EXPECT_EQ(dlg.Record().recordingRateHz, 22050u);
    EXPECT_EQ(dlg.Record().recordingFrames, 44100u);
  }
}

TEST(RecordSettingsDlg, AnyRateMustLieBetween5000And48000) {
  CWave w;
  Wave(w, 1, 1000, 8000, 8);
  AnalysisSettings s = DefaultAnalysisSettings();
  ResetRecordingToWave(w, s);
  CRecordSettingsDlg dlg(s, w);
  EXPECT_TRUE(Child<QRadioButton>(dlg, "rate3")->isChecked());  // 8000 Hz is no fixed choice
  auto* any = Child<QLineEdit>(dlg, "anyRate");
  EXPECT_EQ(any->text(), QStringLiteral("8000"));
  RecordingPrompt prompt;
  any->setText(QStringLiteral("4000"));
  dlg.accept();
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。"});
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  any->setText(QStringLiteral("48000"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Record().recordingRateHz, 48000u);
}

TEST(RecordSettingsDlg, ResetTakesTheWavesFormatAndLength) {
  CWave w;
  Wave(w, 2, 88200);
  AnalysisSettings s = DefaultAnalysisSettings();  // 2000 frames, 8 bits, mono, rate 0
  s.continuousRecording = 1;
  CRecordSettingsDlg dlg(s, w);
  EXPECT_EQ(dlg.StatusText(), QStringLiteral("選択領域へのはめ込み無効"));
  Child<QPushButton>(dlg, "reset")->click();
  EXPECT_EQ(dlg.StatusText(), QStringLiteral("選択領域へのはめ込み有効"));
  EXPECT_FALSE(Child<QCheckBox>(dlg, "continuous")->isChecked());
  dlg.accept();
  EXPECT_EQ(dlg.Record().recordingFrames, 88200u);
  EXPECT_EQ(dlg.Record().recordingChannels, 2);
  EXPECT_EQ(dlg.Record().recordingBits, 16);
}
