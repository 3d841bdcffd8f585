// The settings panel driven as a user drives it, with a fake view behind it.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <numbers>

#include "core/doc/run_timer_loop.h"
#include "core/doc/wav_doc.h"
#include "core/graph/wave_box.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "gui/realtime/panel_host.h"
#include "gui/realtime/setting_panel.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"

namespace {

// The view's side: the document takes the record and the panel the level values; start
// and stop run the document's run as the view does, with a real run timer (the tests may
// also step it themselves with Tick).
class FakeView : public PanelHost, private RunTimerLoop::Host {
 public:
  FakeView(CWavDoc& doc, CSettingPanel& panel) : doc_(doc), panel_(panel), loop_(doc, *this) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { loop_.OnTimer(); });
  }
  void ApplyToDocument(const AnalysisSettings& record, int levelMode) override {
    applied.push_back(record);
    levelModes.push_back(levelMode);
    doc_.ApplySettings(record, levelMode);
    if (panel_.IsWindowCreated()) panel_.RefreshFromRecord(record);
  }
  void StartRunFromView() override {
    ++starts;
    doc_.StartRun();
    if (panel_.IsWindowCreated()) panel_.RefreshControls();
    SetTimer(RunTimerLoop::kFirstIntervalMs);
  }
  void StopRunFromView() override {
    ++stops;
    loop_.Stop();
    if (panel_.IsWindowCreated()) panel_.RefreshControls();
  }
  // One tick of the run timer, at once.
  void Tick() { loop_.OnTimer(); }
  bool TimerActive() const { return timer_.isActive(); }

  std::vector<AnalysisSettings> applied;
  std::vector<int> levelModes;
  int starts = 0, stops = 0;

 private:
  void RedrawBoxes() override {}
  void InvalidateAll() override {}
  void RefreshPanel() override {
    if (panel_.IsWindowCreated()) panel_.Update(false);
  }
  void SetTimer(int intervalMs) override { timer_.start(intervalMs); }
  void KillTimer() override { timer_.stop(); }

  CWavDoc& doc_;
  CSettingPanel& panel_;
  RunTimerLoop loop_;
  QTimer timer_;
};

void Sine(CWave& w, uint16_t channels, uint32_t frames, uint32_t rate) {
  w.SetFormat(rate, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    const int v = static_cast<int>(20000 * std::sin(2 * std::numbers::pi * i / 2000.0));
    for (int c = 1; c <= channels; ++c) w.SetSample(i, v, c);
  }
}

template <typename T>
T* Child(QWidget& w, const char* name) {
  T* child = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Lets the pending 10 ms redraw happen.
void WaitForRedraw(const CSettingPanel& panel) {
  QTest::qWait(15);
  for (int i = 0; i < 50 && panel.IsRedrawPending(); ++i) QTest::qWait(5);
}

class SettingPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    Sine(doc.Wave(), 2, kFrames, 44100);
    doc.Settings().blockSize = kBlock;
  }

  void Open() {
    panel.Bind(&doc, 2, &view);
    panel.Show(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    WaitForRedraw(panel);
  }

  // The overview pixel of a frame (its column) at mid height.
  QPoint PixelOfFrame(double frame) {
    CWaveBox* box = panel.MiniBox();
    const int x = box->X().ValueToPixel(box->FrameToTime(frame));
    const Rect& r = box->GetRect();
    const Point d = panel.OverviewMapping().LogicalToDevice({x, (r.top + r.bottom) / 2});
    return {d.x, d.y};
  }
  QPoint RightmostPixel() { return {panel.Overview()->width() - 1, panel.Overview()->height() / 2}; }

  void Press(QPoint p) { QTest::mousePress(panel.Overview(), Qt::LeftButton, {}, p); }
  void Move(QPoint p) { QTest::mouseMove(panel.Overview(), p); }
  void Release(QPoint p) { QTest::mouseRelease(panel.Overview(), Qt::LeftButton, {}, p); }
  QString Text(int line) { return Child<QLabel>(panel, ("text" + std::to_string(line)).c_str())->text(); }

  static constexpr uint32_t kFrames = 100000;
  static constexpr uint32_t kBlock = 4096;
  RecordingPrompt prompt;
  CWavDoc doc;
  CSettingPanel panel;
  FakeView view{doc, panel};
};

}  // namespace

TEST_F(SettingPanel, CumulativeAveragingIsStoredAsCountOneWithItsFlagAndShownOnReopening) {
  Open();
  EXPECT_EQ(panel.windowTitle(), QStringLiteral("設定パネル"));
  auto* averaging = Child<QComboBox>(panel, "averaging");
  averaging->setCurrentIndex(averaging->findText(QStringLiteral("全体")));
  Child<QPushButton>(panel, "close")->click();
  EXPECT_FALSE(panel.IsWindowCreated());
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(panel.MiniBox(), nullptr);
  ASSERT_EQ(view.applied.size(), 1u);
  EXPECT_EQ(doc.Settings().averagingCount, 1);
  EXPECT_EQ(doc.Settings().fftFlags & (kFftCumulative | kFftSingle | kFftPeakHold), kFftCumulative);

  averaging->setCurrentIndex(0);  // what the closed window showed does not count
  Open();
  EXPECT_EQ(averaging->currentText(), QStringLiteral("全体"));
  Child<QPushButton>(panel, "close")->click();
  EXPECT_EQ(view.applied.size(), 1u);  // nothing changed: nothing applied
}

TEST_F(SettingPanel, ABindResetsTheRealTimeChoiceAndTheRecordingFormat) {
  Open();
  Child<QRadioButton>(panel, "realTimeRecord")->click();
  EXPECT_EQ(panel.PendingRecord().realTimeMode, 1);
  EXPECT_TRUE(Child<QPushButton>(panel, "recordSettings")->isEnabled());
  panel.Bind(&doc, 7, &view);  // a kind outside 0..2 is a mono box
  EXPECT_TRUE(Child<QRadioButton>(panel, "realTimeOff")->isChecked());
  EXPECT_EQ(panel.MiniBox()->Channel(), kChannelBoth);
  const AnalysisSettings& s = panel.PendingRecord();
  EXPECT_EQ(s.realTimeMode, 0);
  EXPECT_EQ(s.recordingRateHz, 44100u);
  EXPECT_EQ(s.recordingBits, 16);
  EXPECT_EQ(s.recordingChannels, 2);
  EXPECT_EQ(s.recordingFrames, kFrames);
  // Applying a record elsewhere hands over only its level reference and auto adjust.
  AnalysisSettings other = DefaultAnalysisSettings();
  other.levelAdjustMode = 2;
  other.referenceLevel = 123.0;
  other.levelOffsetDb = -6.0;
  other.autoAdjust = 1;
  other.blockSize = 256;
  panel.RefreshFromRecord(other);
  EXPECT_EQ(s.levelAdjustMode, 2);
  EXPECT_EQ(s.referenceLevel, 123.0);
  EXPECT_EQ(s.levelOffsetDb, -6.0);
  EXPECT_EQ(s.blockSize, kBlock);
  EXPECT_TRUE(Child<QCheckBox>(panel, "autoAdjust")->isChecked());
  // The view's quick start then chooses recording or playback.
  panel.SetPendingRealTimeMode(2);
  EXPECT_TRUE(Child<QRadioButton>(panel, "realTimePlay")->isChecked());
  EXPECT_EQ(panel.PendingRecord().realTimeMode, 2);
}

TEST_F(SettingPanel, StartStaysDisabledForARecordingShorterThan300Frames) {
  Open();
  auto* start = Child<QPushButton>(panel, "start");
  EXPECT_TRUE(start->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(panel, "stop")->isEnabled());
  panel.PendingRecord().recordingFrames = 299;
  Child<QRadioButton>(panel, "realTimeRecord")->click();
  EXPECT_FALSE(start->isEnabled());
  panel.PendingRecord().recordingFrames = 300;
  panel.RefreshControls();
  EXPECT_TRUE(start->isEnabled());
}

TEST_F(SettingPanel, DraggingOverTwoAndAHalfBlocksSelectsExactlyThree) {
  Open();
  const QImage before = panel.Overview()->BackBuffer().copy();
  Press(PixelOfFrame(20000));
  EXPECT_TRUE(panel.IsBandShown());
  EXPECT_EQ(panel.BandEnd(), panel.BandStart() + kBlock - 1);
  Move(PixelOfFrame(20000 + 1.5 * kBlock));
  Move(PixelOfFrame(20000 + 2.5 * kBlock));
  EXPECT_EQ(panel.BandEnd(), panel.BandStart() + 3 * kBlock);
  MaybeShoot(panel, QStringLiteral("setting_panel_fft_area"));
  Release(PixelOfFrame(20000 + 2.5 * kBlock));
  // The XOR band is gone again before the overview is redrawn.
  EXPECT_FALSE(panel.IsBandShown());
  EXPECT_EQ(panel.Overview()->BackBuffer(), before);
  const AnalysisSettings& s = panel.PendingRecord();
  EXPECT_NEAR(double(s.fftRangeStart), 20000.0, 300.0);  // within a pixel
  EXPECT_EQ(s.fftRangeEnd, s.fftRangeStart + 3 * kBlock);
  WaitForRedraw(panel);
  MaybeShoot(panel, QStringLiteral("setting_panel_fft_range"));
  EXPECT_EQ(Text(3), QStringLiteral("%1 ～ %2").arg(s.fftRangeStart).arg(s.fftRangeEnd));

  // Near the end only the blocks that fit are taken.
  Press(PixelOfFrame(kFrames - 2.5 * kBlock));
  Release(RightmostPixel());
  EXPECT_EQ(s.fftRangeEnd, s.fftRangeStart + 2 * kBlock);
  EXPECT_LT(s.fftRangeEnd, kFrames);
}

TEST_F(SettingPanel, AClickAtTheVeryRightMovesTheBandStartBack) {
  Open();
  Press(RightmostPixel());
  EXPECT_EQ(panel.BandStart(), kFrames - kBlock - 1);
  Release(RightmostPixel());
  EXPECT_EQ(panel.PendingRecord().fftRangeStart, kFrames - kBlock - 1);
  EXPECT_EQ(panel.PendingRecord().fftRangeEnd, kFrames - 1);
}

TEST_F(SettingPanel, ADragLeftOfTheStartCollapsesTheBandAndLeavesTheRange) {
  doc.Settings().fftRangeStart = 1000;
  doc.Settings().fftRangeEnd = 9192;
  Open();
  Press(PixelOfFrame(50000));
  Move(PixelOfFrame(40000));
  EXPECT_FALSE(panel.IsBandShown());
  EXPECT_EQ(panel.BandEnd(), panel.BandStart());
  Move(QPoint(-20, 30));  // outside the overview, left of frame 0
  Release(QPoint(-20, 30));
  EXPECT_EQ(panel.PendingRecord().fftRangeStart, 1000u);
  EXPECT_EQ(panel.PendingRecord().fftRangeEnd, 9192u);
  // Close hands over the bind's recording format, with the range as it was.
  Child<QPushButton>(panel, "close")->click();
  ASSERT_EQ(view.applied.size(), 1u);
  EXPECT_EQ(view.applied[0].fftRangeStart, 1000u);
  EXPECT_EQ(view.applied[0].fftRangeEnd, 9192u);
  EXPECT_EQ(view.applied[0].recordingFrames, kFrames);
}

TEST_F(SettingPanel, SelectAllTakesTheWholeWaveUpToTheFrameCount) {
  Open();
  Child<QPushButton>(panel, "selectAll")->click();
  WaitForRedraw(panel);
  EXPECT_EQ(panel.PendingRecord().fftRangeStart, 0u);
  EXPECT_EQ(panel.PendingRecord().fftRangeEnd, kFrames);
  EXPECT_EQ(Text(1), QStringLiteral("FFT対象範囲の設定"));
  EXPECT_EQ(Text(3), QStringLiteral("0 ～ 100000"));
  // Playback shows the range's length in seconds.
  Child<QRadioButton>(panel, "realTimePlay")->click();
  EXPECT_EQ(Text(2), QStringLiteral("FFTｴﾘｱ  再生時間   2.3sec"));
}

TEST_F(SettingPanel, AReleaseInTriggerLevelModeSetsTheTriggerPoint) {
  Open();
  auto* triggerLevel = Child<QPushButton>(panel, "triggerLevel");
  EXPECT_FALSE(triggerLevel->isEnabled());  // needs the trigger on
  Child<QCheckBox>(panel, "trigger")->click();
  EXPECT_TRUE(triggerLevel->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(panel, "triggerSettings")->isEnabled());
  triggerLevel->click();
  EXPECT_EQ(panel.CurrentMode(), CSettingPanel::kModeTriggerLevel);
  WaitForRedraw(panel);
  EXPECT_TRUE(panel.IsCrossHairShown());  // at the stored trigger point (delay 0, level 0)
  EXPECT_EQ(Text(1), QStringLiteral("トリガポイントの設定"));
  EXPECT_EQ(Text(2), QStringLiteral("ﾄﾘｶﾞﾚﾍﾞﾙ : Mono"));

  CWaveBox* box = panel.MiniBox();
  const Rect plot = box->PlotRect();
  const int x = plot.left + plot.Width() / 4;
  const int y = box->Y().ValueToPixel(5000.0);
  const Point d = panel.OverviewMapping().LogicalToDevice({x, y});
  Press({d.x, d.y});
  Move({d.x, d.y});
  MaybeShoot(panel, QStringLiteral("setting_panel_trigger_level"));
  Release({d.x, d.y});
  const Point at = panel.OverviewMapping().DeviceToLogical(d);
  const AnalysisSettings& s = panel.PendingRecord();
  EXPECT_DOUBLE_EQ(s.triggerLevel, box->Y().PixelToValue(at.y));
  EXPECT_NEAR(s.triggerLevel, 5000.0, 21000.0 / panel.Overview()->height());  // a pixel's worth
  EXPECT_EQ(uint32_t(s.triggerDelayFrames), DelayAtX(at.x, plot.left, plot.right, kBlock));
  EXPECT_NEAR(s.triggerDelayFrames, kBlock / 4, kBlock / panel.Overview()->width() + 1);
  WaitForRedraw(panel);
  EXPECT_TRUE(panel.IsCrossHairShown());
  EXPECT_EQ(panel.TriggerPoint().x, TriggerPointX(plot.left, plot.right, kBlock, s.triggerDelayFrames));
  char line[64];
  std::snprintf(line, sizeof line, "Level:%7.3f   Delay:%d", box->Y().PixelToValue(panel.TriggerPoint().y) * 0.01,
                s.triggerDelayFrames);
  EXPECT_EQ(Text(3), QString::fromLatin1(line));

  // Switching the trigger off leaves trigger level mode.
  Child<QCheckBox>(panel, "trigger")->click();
  EXPECT_EQ(panel.CurrentMode(), CSettingPanel::kModeFftArea);
  EXPECT_FALSE(triggerLevel->isEnabled());
}

TEST_F(SettingPanel, StartHandsTheRecordToTheViewAndFollowsTheRun) {
  Open();
  Child<QComboBox>(panel, "blockSize")->setCurrentIndex(1);  // 512
  Child<QPushButton>(panel, "selectAll")->click();
  Child<QPushButton>(panel, "start")->click();
  ASSERT_EQ(view.applied.size(), 1u);
  EXPECT_EQ(view.applied[0].blockSize, 512u);
  EXPECT_EQ(view.levelModes[0], 0);
  EXPECT_EQ(doc.Settings().fftRangeEnd, kFrames);
  EXPECT_EQ(view.starts, 1);
  EXPECT_EQ(doc.RunPhase(), kRunStepping);
  EXPECT_FALSE(Child<QPushButton>(panel, "start")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(panel, "stop")->isEnabled());
  EXPECT_FALSE(Child<QComboBox>(panel, "blockSize")->isEnabled());
  WaitForRedraw(panel);
  for (int i = 0; i < 10; ++i) view.Tick();
  const CWaveBox* box = panel.MiniBox();
  EXPECT_EQ(panel.CursorLineX(), box->X().ValueToPixel(box->FrameToTime(doc.Settings().currentPosition)));
  EXPECT_EQ(Text(3), QString());
  doc.Settings().fftRangeStart = 777;  // as a run's end may leave it
  Child<QPushButton>(panel, "stop")->click();
  EXPECT_EQ(view.stops, 1);
  EXPECT_EQ(doc.RunPhase(), kRunIdle);
  EXPECT_TRUE(Child<QPushButton>(panel, "start")->isEnabled());
  // The run timer's next tick stops it and the panel takes the document's record.
  EXPECT_TRUE(view.TimerActive());
  for (int i = 0; i < 100 && view.TimerActive(); ++i) QTest::qWait(10);
  EXPECT_FALSE(view.TimerActive());
  EXPECT_EQ(panel.PendingRecord().fftRangeStart, 777u);
  WaitForRedraw(panel);
  EXPECT_EQ(panel.CursorLineX(), -1);

  // A start in trigger level mode goes back to the FFT area.
  Child<QCheckBox>(panel, "trigger")->click();
  Child<QPushButton>(panel, "triggerLevel")->click();
  Child<QPushButton>(panel, "start")->click();
  EXPECT_EQ(panel.CurrentMode(), CSettingPanel::kModeFftArea);
  EXPECT_EQ(view.starts, 2);
  EXPECT_TRUE(doc.Settings().triggerOn);
}

TEST_F(SettingPanel, ZoomAndScrollMoveTheOverviewsWindow) {
  Open();
  CWaveBox* box = panel.MiniBox();
  const double span = box->X().ValueEnd() - box->X().ValueStart();
  auto* zoom = Child<QSpinBox>(panel, "zoom");
  zoom->setValue(52);  // two steps in
  EXPECT_EQ(zoom->value(), 50);
  EXPECT_NEAR(box->X().ValueEnd() - box->X().ValueStart(), span * 0.75 * 0.75, span * 0.01);
  ScrollInfo info;
  box->GetXScrollInfo(info);
  auto* scroll = panel.findChild<QScrollBar*>(QStringLiteral("scroll"));
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->pageStep(), info.page);
  EXPECT_EQ(scroll->maximum(), info.maximum - info.page);
  scroll->setValue(scroll->maximum());
  box->GetXScrollInfo(info);
  EXPECT_EQ(info.position, scroll->maximum());
  EXPECT_EQ(box->TimeToFrame(box->X().ValueEnd()), int64_t{kFrames} - 1);
  Child<QPushButton>(panel, "full")->click();
  EXPECT_EQ(box->TimeToFrame(box->X().ValueStart()), 0);
  EXPECT_EQ(scroll->maximum(), 0);
}

// A recording on the simulated device: the panel draws what arrives.
TEST(SettingPanelRecording, NewSamplesAreDrawnIntoTheOverviewWhileRecording) {
  RecordingPrompt prompt;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  CWavDoc doc{nullptr, &wnd};
  CWave source;
  Sine(source, 1, 40000, 1000);
  sim.SetSource(SimulatedAudio::Source::kWave, &source);
  doc.Wave().SetFormat(1000, 16, 1);
  ASSERT_TRUE(doc.Wave().Allocate(5000));  // silence, overwritten in place
  CSettingPanel panel;
  FakeView view{doc, panel};
  panel.Bind(&doc, 2, &view);
  panel.Show(nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  Child<QPushButton>(panel, "selectAll")->click();
  Child<QRadioButton>(panel, "realTimeRecord")->click();
  EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("text2"))->text(), QStringLiteral("FFTｴﾘｱ  録音時間   5.0sec"));
  Child<QPushButton>(panel, "start")->click();
  ASSERT_EQ(doc.RunPhase(), kRunRecording);
  EXPECT_FALSE(doc.NewBuffer());
  WaitForRedraw(panel);

  const QColor area(0, 255, 255);  // the area colour 0xFFFF00
  // Columns holding a pixel of the area colour, and the rightmost one.
  auto areaColumns = [&] {
    const QImage& image = panel.Overview()->BackBuffer();
    int count = 0, rightmost = -1;
    for (int x = 0; x < image.width(); ++x) {
      bool any = false;
      for (int y = 0; y < image.height() && !any; ++y) any = image.pixelColor(x, y) == area;
      if (!any) continue;
      ++count;
      rightmost = x;
    }
    return std::pair{count, rightmost};
  };
  EXPECT_LE(areaColumns().first, 2);
  for (int i = 0; i < 10; ++i) {
    sim.AdvanceMs(100);
    doc.StepRun();
    panel.Update(false);
  }
  EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("text2"))->text(), QString::fromStdString(doc.StatusText()));
  // Drawn up to the position read 100 ms behind the device (900 of 5000 frames), not beyond.
  const CWaveBox* box = panel.MiniBox();
  const int xEnd = panel.OverviewMapping().LogicalToDevice({box->X().ValueToPixel(box->FrameToTime(900)), 0}).x;
  const auto [columns, rightmost] = areaColumns();
  // Every column shows, also those whose two ends fall into one device pixel.
  EXPECT_GE(columns, xEnd - panel.OverviewMapping().LogicalToDevice({box->PlotRect().left, 0}).x - 2);
  EXPECT_LE(rightmost, xEnd + 1);
  EXPECT_GE(rightmost, xEnd - 3);
  MaybeShoot(panel, QStringLiteral("setting_panel_recording"));
  panel.Close();
  doc.StopRun();
}
