// The filter, format conversion and mono commands of the view, with their dialogs driven as
// a user drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTimer>

#include <cmath>
#include <cstring>
#include <functional>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/dsp/filter_run.h"
#include "core/platform/hooks.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/main_frame.h"
#include "gui/app/wav_view.h"
#include "gui/dsp/filter_dlg.h"
#include "gui/dsp/filter_run_dlg.h"
#include "gui/dsp/wave_format_dlg.h"
#include "support/dialog_driving.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

class DspCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", tmp.Root().c_str(), 1);
    PlatformHooks hooks;
    hooks.pumpMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    SetPlatformHooks(hooks);
  }
  void TearDown() override {
    SetPlatformHooks({});
    unsetenv("TMPDIR");
  }

  void Open(uint16_t channels, uint32_t frames) {
    CWave& w = doc.Wave();
    w.SetFormat(44100, 16, channels);
    ASSERT_TRUE(w.Allocate(frames));
    for (uint32_t i = 0; i < frames; ++i) {
      w.SetSample(i, static_cast<int>(12000 * std::sin(i * 0.05)), kChannelLeft);
      if (channels == 2) w.SetSample(i, static_cast<int>(9000 * std::sin(i * 0.3)), kChannelRight);
    }
    doc.Settings().fftRangeEnd = frames;
    doc.CreateDefaultBoxes();
    view = new CWavView(doc, app, &frame);
    frame.MdiArea()->addSubWindow(new CChildFrame(view));
    frame.resize(900, 700);
    frame.show();
    frame.MdiArea()->subWindowList().front()->showMaximized();
    QApplication::processEvents();
  }

  void Run(int id) {
    const ViewCommand* c = FindViewCommand(id);
    ASSERT_TRUE(c) << id;
    c->run(*view, id);
  }

  TempDir tmp;
  RecordingPrompt prompt{PromptAnswer::Yes};
  AppSettings app;
  CWavDoc doc{&app};
  CMainFrame frame;
  CWavView* view = nullptr;
};

}  // namespace

TEST_F(DspCommands, MonoByAddingReplacesTheStereoBoxesAndIsCheckedAfterwards) {
  Open(2, 4410);
  ASSERT_TRUE(doc.SetBox(kBoxFftLeft));
  ASSERT_TRUE(doc.SetBox(kBoxFft3dRight));
  const ViewCommand* add = FindViewCommand(cmd::kMonoAdd);
  ASSERT_TRUE(add && add->checked);
  EXPECT_FALSE(add->checked(*view, cmd::kMonoAdd));
  const int expected = (doc.Wave().GetSample(100, kChannelLeft) + doc.Wave().GetSample(100, kChannelRight)) / 2;
  doc.SetModifiedFlag(false);
  Run(cmd::kMonoAdd);
  EXPECT_EQ(doc.Wave().Channels(), 1);
  EXPECT_EQ(doc.Wave().GetSample(100, kChannelLeft), expected);
  for (int slot : {kBoxWaveLeft, kBoxWaveRight, kBoxFftLeft, kBoxFft3dRight}) EXPECT_FALSE(doc.GetBox(slot)) << slot;
  for (int slot : {kBoxWaveMono, kBoxFftMono, kBoxFft3dMono, kBoxInfo}) EXPECT_TRUE(doc.GetBox(slot)) << slot;
  EXPECT_EQ(doc.Settings().fftRangeEnd, 4409u);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(add->checked(*view, cmd::kMonoAdd));
  EXPECT_TRUE(FindViewCommand(cmd::kMonoSubtract)->checked(*view, cmd::kMonoSubtract));

  // A mono wave is left alone.
  const std::vector<uint8_t> before(doc.Wave().GetData(), doc.Wave().GetData() + doc.Wave().DataSize());
  Run(cmd::kMonoSubtract);
  EXPECT_EQ(std::memcmp(before.data(), doc.Wave().GetData(), before.size()), 0);
}

TEST_F(DspCommands, MonoBySubtractingTakesTheHalfDifference) {
  Open(2, 100);
  for (uint32_t i = 0; i < 100; ++i) {
    doc.Wave().SetSample(i, 1000, kChannelLeft);
    doc.Wave().SetSample(i, -3000, kChannelRight);
  }
  Run(cmd::kMonoSubtract);
  EXPECT_EQ(doc.Wave().GetSample(50, kChannelLeft), 2000);
}

TEST_F(DspCommands, LoweringTheRateOffersTheLowPassFilterFirst) {
  Open(2, 20000);
  CWave expected;
  ASSERT_TRUE(expected.CopyFrom(doc.Wave()));
  WhenShown<CWaveFormatDlg>([](CWaveFormatDlg& dlg) {
    dlg.findChild<QRadioButton*>(QStringLiteral("rate1"))->setChecked(true);  // 22050 Hz
    dlg.accept();
  });
  Run(cmd::kFormatConvert);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].title, "サンプリング周波数の変換");
  EXPECT_EQ(prompt.boxes[0].text,
            "サンプリング周波数を低くする場合は、その周波数の半分以上の\n成分を除去する必要があります\n\n"
            "11025Hz のローパスフィルタを実行しますか？");
  EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::YesNoCancel);

  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 150, 22050 * 0.0005, 0, 60, &expected, kFilterBoth));
  run.SetConversion(22050, 16, 2, false);
  ASSERT_EQ(run.Run(nullptr), FilterRun::Result::kDone);
  ASSERT_EQ(doc.Wave().DataSize(), expected.DataSize());
  EXPECT_EQ(std::memcmp(doc.Wave().GetData(), expected.GetData(), expected.DataSize()), 0);
  EXPECT_EQ(doc.Wave().Rate(), 22050u);
  EXPECT_EQ(doc.Settings().fftRangeEnd, 9999u);
  EXPECT_TRUE(doc.GetBox(kBoxWaveLeft));  // still two channels
}

TEST_F(DspCommands, RaisingTheRateOrAShortWaveAsksNothing) {
  Open(1, 9);
  WhenShown<CWaveFormatDlg>([](CWaveFormatDlg& dlg) {
    dlg.findChild<QRadioButton*>(QStringLiteral("rate1"))->setChecked(true);
    dlg.findChild<QRadioButton*>(QStringLiteral("channels1"))->setChecked(true);
    dlg.accept();
  });
  Run(cmd::kFormatConvert);
  EXPECT_TRUE(prompt.boxes.empty());
  // Nine frames are not resampled: the run reports a failure and puts the wave back.
  EXPECT_EQ(doc.Wave().Rate(), 44100u);
  EXPECT_EQ(doc.Wave().FrameCount(), 9u);
}

TEST_F(DspCommands, TheFilterCommandRunsTheChosenFilter) {
  Open(2, 30000);
  CWave expected;
  ASSERT_TRUE(expected.CopyFrom(doc.Wave()));
  WhenShown<CFilterDlg>([](CFilterDlg& dlg) { dlg.accept(); });  // the defaults
  doc.SetModifiedFlag(false);
  Run(cmd::kFilter);
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kBandPass, 200, 1.0, 2.0, 50, &expected, kFilterBoth));
  ASSERT_EQ(run.Run(nullptr), FilterRun::Result::kDone);
  EXPECT_EQ(std::memcmp(doc.Wave().GetData(), expected.GetData(), expected.DataSize()), 0);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(DspCommands, CancellingTheSettingsChangesNothing) {
  Open(2, 1000);
  CWave before;
  ASSERT_TRUE(before.CopyFrom(doc.Wave()));
  doc.SetModifiedFlag(false);
  WhenShown<CFilterDlg>([](CFilterDlg& dlg) { dlg.reject(); });
  Run(cmd::kFilter);
  WhenShown<CWaveFormatDlg>([](CWaveFormatDlg& dlg) { dlg.reject(); });
  Run(cmd::kFormatConvert);
  EXPECT_EQ(std::memcmp(doc.Wave().GetData(), before.GetData(), before.DataSize()), 0);
  EXPECT_FALSE(doc.IsModified());
}
