// The filter settings, processing and wave format dialogs, driven as a user drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cstring>

#include "core/platform/hooks.h"
#include "core/wave/wave.h"
#include "gui/dsp/filter_dlg.h"
#include "gui/dsp/filter_run_dlg.h"
#include "gui/dsp/wave_format_dlg.h"
#include "render/qt_convert.h"
#include "support/noise_wave.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

void MakeNoise(CWave& w, uint16_t channels, uint32_t frames) { ::MakeNoise(w, 44100, 16, channels, frames, frames); }

// The desktop program pumps events inside long work; the tests do the same while they run.
class PumpingEvents {
 public:
  PumpingEvents() {
    PlatformHooks hooks;
    hooks.pumpMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    SetPlatformHooks(hooks);
  }
  ~PumpingEvents() { SetPlatformHooks({}); }
};

template <typename T>
T* Child(QWidget& w, const char* name) {
  return w.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

TEST(FilterDlg, TheDefaultsGiveABandPassOnBothChannels) {
  CWave w;
  MakeNoise(w, 2, 100);
  CFilterDlg dlg(CFilterDlg::Settings{}, w, DocumentFont{});
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result().type, FilterType::kBandPass);
  EXPECT_DOUBLE_EQ(dlg.Result().f1KHz, 1.0);
  EXPECT_DOUBLE_EQ(dlg.Result().f2KHz, 2.0);
  EXPECT_EQ(dlg.Result().order, 200);
  EXPECT_EQ(dlg.Result().attenuationDb, 50.0);
  EXPECT_EQ(dlg.Result().channels, 0);
}

TEST(FilterDlg, AMonoWaveOffersOneChannelAndAnImpossibleBandCancels) {
  CWave w;
  MakeNoise(w, 1, 100);
  CFilterDlg dlg(CFilterDlg::Settings{}, w, DocumentFont{});
  auto* channels = Child<QListWidget>(dlg, "channels");
  ASSERT_EQ(channels->count(), 1);
  EXPECT_EQ(channels->item(0)->text(), QStringLiteral("モノラル"));
  Child<QRadioButton>(dlg, "stop")->setChecked(true);
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result().type, FilterType::kBandStop);
  EXPECT_EQ(dlg.Result().channels, 1);

  CFilterDlg none(CFilterDlg::Settings{0, 22050, false, 200, 50}, w, DocumentFont{});
  EXPECT_EQ(Child<QLineEdit>(none, "lowEdge")->text(), QStringLiteral("min"));
  EXPECT_EQ(Child<QLineEdit>(none, "highEdge")->text(), QStringLiteral("max"));
  none.accept();
  EXPECT_EQ(none.result(), QDialog::Rejected);
}

TEST(FilterDlg, DraggingOnTheGraphChoosesTheBand) {
  CWave w;
  MakeNoise(w, 2, 100);
  CFilterDlg dlg(CFilterDlg::Settings{}, w, DocumentFont{});
  dlg.resize(520, 460);
  dlg.show();
  QApplication::processEvents();
  QWidget* graph = Child<QWidget>(dlg, "characteristic");
  ASSERT_TRUE(graph);
  const int y = graph->height() / 2;
  // A press and a release less than 4 pixels apart change nothing.
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(200, y));
  QTest::mouseMove(graph, QPoint(202, y));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(202, y));
  EXPECT_EQ(Child<QLineEdit>(dlg, "lowEdge")->text(), QStringLiteral("1000"));
  // Dragging from right to left, and past the left edge of the graph: "min".
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(300, y));
  QTest::mouseMove(graph, QPoint(160, y));
  QApplication::processEvents();
  MaybeShoot(dlg, QStringLiteral("filter_dlg_band"));
  const QString shown = Child<QLabel>(dlg, "band")->text();
  EXPECT_TRUE(shown.contains(QStringLiteral("Hz ～ "))) << shown.toStdString();
  QTest::mouseMove(graph, QPoint(2, y));
  EXPECT_TRUE(Child<QLabel>(dlg, "band")->text().startsWith(QStringLiteral("min ～ ")));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(2, y));
  EXPECT_EQ(Child<QLineEdit>(dlg, "lowEdge")->text(), QStringLiteral("min"));
  const int high = Child<QLineEdit>(dlg, "highEdge")->text().toInt();
  EXPECT_GT(high, 2000);
  EXPECT_LT(high, 22050);
  Child<QRadioButton>(dlg, "stop")->setChecked(true);
  QTest::qWait(80);  // the graph is redrawn 50 ms after a change
  MaybeShoot(dlg, QStringLiteral("filter_dlg_stop"));
  Child<QRadioButton>(dlg, "pass")->setChecked(true);
  dlg.accept();
  EXPECT_EQ(dlg.Result().type, FilterType::kLowPass);
  EXPECT_DOUBLE_EQ(dlg.Result().f1KHz, high * 0.001);
}

TEST(FilterRunDlg, ACancelDuringTheRightChannelRestoresBothChannels) {
  TempDir tmp;
  setenv("TMPDIR", tmp.Root().c_str(), 1);
  PumpingEvents pumping;
  CWave w, original;
  MakeNoise(w, 2, 300000);
  ASSERT_TRUE(original.CopyFrom(w));
  CFilterRunDlg dlg;
  ASSERT_TRUE(dlg.SetFilter(FilterType::kBandPass, 300, 1.0, 2.0, 50, &w, kFilterBoth));
  dlg.SetStartDelay(0);
  auto* status = Child<QLabel>(dlg, "status");
  EXPECT_EQ(status->text(), QString::fromUtf8(kStatusFilterLeft));
  bool shot = false, clicked = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!shot && dlg.Position() >= 100000) {
      QTest::qWait(150);  // one tick of the bar's timer, inside the run
      EXPECT_GT(dlg.findChild<QProgressBar*>()->value(), 0);
      MaybeShoot(dlg, QStringLiteral("filter_run_dlg"));
      shot = true;
    }
    if (!clicked && status->text() == QString::fromUtf8(kStatusFilterRight) && dlg.Position() >= 16384) {
      Child<QPushButton>(dlg, "cancel")->click();
      clicked = true;
    }
  });
  watch.start(1);
  EXPECT_EQ(dlg.exec(), QDialog::Accepted);  // closes with OK after a cancel too
  EXPECT_TRUE(clicked);
  EXPECT_EQ(dlg.Outcome(), FilterRun::Result::kCancelled);
  EXPECT_TRUE(SameWave(w, original));
  unsetenv("TMPDIR");
}

TEST(FilterRunDlg, TheBarCountsFramesDividedToAtMost30000Steps) {
  PumpingEvents pumping;
  CWave w;
  MakeNoise(w, 1, 100000);
  CFilterRunDlg dlg;
  dlg.SetWave(&w);
  dlg.SetConversion(22050, 16, 1, false);
  EXPECT_EQ(Child<QLabel>(dlg, "status")->text(), QString::fromUtf8(kStatusConversion));
  dlg.SetStartDelay(0);
  EXPECT_EQ(dlg.exec(), QDialog::Accepted);
  EXPECT_EQ(dlg.Outcome(), FilterRun::Result::kDone);
  EXPECT_EQ(dlg.Divisor(), 4u);
  EXPECT_EQ(dlg.findChild<QProgressBar*>()->maximum(), 25000);
  EXPECT_EQ(w.FrameCount(), 50000u);
}

TEST(FilterRunDlg, CancelBeforeTheStartLeavesTheWaveAlone) {
  CWave w, original;
  MakeNoise(w, 2, 1000);
  ASSERT_TRUE(original.CopyFrom(w));
  CFilterRunDlg dlg;
  ASSERT_TRUE(dlg.SetFilter(FilterType::kLowPass, 100, 5.0, 0, 50, &w, kFilterBoth));
  QTimer::singleShot(50, &dlg, [&] { dlg.reject(); });
  EXPECT_EQ(dlg.exec(), QDialog::Accepted);
  EXPECT_EQ(dlg.Outcome(), FilterRun::Result::kCancelled);
  EXPECT_TRUE(SameWave(w, original));
}

TEST(WaveFormatDlg, OpensOnTheFormatAndYieldsTheChoice) {
  CWaveFormatDlg standard({22050, 8, 1});
  EXPECT_TRUE(Child<QRadioButton>(standard, "rate1")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(standard, "bits0")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(standard, "channels0")->isChecked());
  EXPECT_FALSE(Child<QLineEdit>(standard, "rateHz")->isEnabled());
  Child<QRadioButton>(standard, "rate2")->setChecked(true);
  Child<QRadioButton>(standard, "bits1")->setChecked(true);
  Child<QRadioButton>(standard, "channels1")->setChecked(true);
  standard.accept();
  EXPECT_EQ(standard.result(), QDialog::Accepted);
  EXPECT_EQ(standard.Result().rate, 44100u);
  EXPECT_EQ(standard.Result().bits, 16);
  EXPECT_EQ(standard.Result().channels, 2);

  CWaveFormatDlg other({32000, 16, 2});
  MaybeShoot(other, QStringLiteral("wave_format_dlg"));
  EXPECT_TRUE(Child<QRadioButton>(other, "rate3")->isChecked());
  EXPECT_TRUE(Child<QLineEdit>(other, "rateHz")->isEnabled());
  EXPECT_EQ(Child<QLineEdit>(other, "rateHz")->text(), QStringLiteral("32000"));
  Child<QRadioButton>(other, "rate0")->setChecked(true);
  EXPECT_FALSE(Child<QLineEdit>(other, "rateHz")->isEnabled());
}

TEST(WaveFormatDlg, ATypedRateOutside5000To48000IsRefusedWithTheRangeMessage) {
  struct Case {
    const char* rate;
    bool accepted;
  } cases[] = {{"4999", false}, {"48001", false}, {"", false}, {"5000", true}, {"48000", true}};
  for (const Case& c : cases) {
    RecordingPrompt prompt;
    CWaveFormatDlg dlg({32000, 16, 2});
    Child<QLineEdit>(dlg, "rateHz")->setText(QString::fromLatin1(c.rate));
    dlg.accept();
    EXPECT_EQ(dlg.result() == QDialog::Accepted, c.accepted) << c.rate;
    if (c.accepted) {
      EXPECT_TRUE(prompt.boxes.empty());
      EXPECT_EQ(dlg.Result().rate, std::stoul(c.rate));
    } else {
      ASSERT_EQ(prompt.boxes.size(), 1u) << c.rate;
      EXPECT_EQ(prompt.boxes[0].text, "サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。");
      EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::Ok);
    }
  }
}
