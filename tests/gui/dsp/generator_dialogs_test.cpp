// The generator and signal dialogs driven as a user drives them, and the generator command
// of the view with its noise filter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/platform/hooks.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/main_frame.h"
#include "gui/app/wav_view.h"
#include "gui/dsp/filter_run_dlg.h"
#include "gui/dsp/generator_dlg.h"
#include "gui/dsp/signal_dlg.h"
#include "gui/dsp/signal_sketch.h"
#include "gui/dsp/wave_format_dlg.h"
#include "render/qt_convert.h"
#include "support/dialog_driving.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

// Types into a field and leaves it, as focus moving on does.
void Enter(QLineEdit* field, const QString& text) {
  field->setText(text);
  emit field->editingFinished();
}

void Enter(QSpinBox* field, const QString& text) {
  field->findChild<QLineEdit*>()->setText(text);
  field->interpretText();
  emit field->editingFinished();
}

SignalComponent Component(SignalType type) {
  SignalComponent c = NewComponent({});
  c.type = type;
  return c;
}

}  // namespace

TEST(SignalEnablingRules, EachWaveformEnablesItsOwnControls) {
  struct Case {
    SignalType type;
    bool am, fm;
    SignalEnabling expected;
  } cases[] = {
      {SignalType::kSquare, true, true, {true, true, false, false, false, false, false, false}},
      {SignalType::kNoise, true, true, {false, false, false, false, false, false, false, false}},
      {SignalType::kSine, false, false, {true, false, true, true, false, true, true, false}},
      {SignalType::kSine, true, false, {true, false, true, true, true, true, true, false}},
      {SignalType::kSine, false, true, {true, false, true, true, false, true, true, true}},
  };
  for (const Case& c : cases) {
    const SignalEnabling e = EnablingFor(c.type, c.am, c.fm);
    const bool got[] = {e.baseFrequency, e.duty, e.fades, e.amCheck, e.amFields, e.sweep, e.fmCheck, e.fmFields};
    const bool want[] = {c.expected.baseFrequency, c.expected.duty,  c.expected.fades,   c.expected.amCheck,
                         c.expected.amFields,      c.expected.sweep, c.expected.fmCheck, c.expected.fmFields};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i], want[i]) << static_cast<int>(c.type) << " control " << i;
  }
}

TEST(SignalSketches, FollowTheSweepDirectionAndTheFades) {
  SignalComponent c = Component(SignalType::kSine);
  c.startHz = 100;
  c.endHz = 5000;
  std::vector<SketchPoint> linear = FrequencyPattern(c);
  c.logSweep = true;
  std::vector<SketchPoint> log = FrequencyPattern(c);
  ASSERT_EQ(linear.size(), log.size());
  EXPECT_LT(linear.front().y, linear.back().y);
  const size_t mid = log.size() / 2;
  EXPECT_LT(log[mid].y, linear[mid].y - 0.1);  // a logarithmic rise sags on a linear scale
  EXPECT_NEAR(log.front().y, linear.front().y, 1e-9);
  EXPECT_NEAR(log.back().y, linear.back().y, 1e-9);
  std::swap(c.startHz, c.endHz);
  const std::vector<SketchPoint> falling = FrequencyPattern(c);
  EXPECT_GT(falling.front().y, falling.back().y);
  EXPECT_LT(falling[mid].y, 0.5);  // and a logarithmic fall drops early
  c.endHz = c.startHz;
  for (const SketchPoint& p : FrequencyPattern(c)) EXPECT_DOUBLE_EQ(p.y, 0.5);
  EXPECT_TRUE(FrequencyPattern(Component(SignalType::kNoise)).empty());

  c.fadeInMs = 250;
  c.fadeOutMs = 500;
  const std::vector<SketchPoint> fades = FaderPattern(c, 1000);
  ASSERT_EQ(fades.size(), 4u);
  EXPECT_DOUBLE_EQ(fades[0].y, 0.0);
  EXPECT_DOUBLE_EQ(fades[1].x, 0.25);
  EXPECT_DOUBLE_EQ(fades[2].x, 0.5);
  EXPECT_DOUBLE_EQ(fades[3].y, 0.0);
  c.amOn = true;
  c.amDepthPercent = 60;
  const std::vector<SketchPoint> am = FaderPattern(c, 1000);
  EXPECT_NEAR(am[am.size() * 3 / 8].y, 0.7, 0.31);  // the level ripples below full height
}

TEST(SignalDlg, WaveformButtonsRenewTheEnabling) {
  CSignalDlg dlg(Component(SignalType::kSine), 1000, 22050);
  auto* duty = Child<QLineEdit>(dlg, "duty");
  auto* base = Child<QLineEdit>(dlg, "baseHz");
  auto* amHz = Child<QLineEdit>(dlg, "amHz");
  auto* start = Child<QSpinBox>(dlg, "startHz");
  auto* am = Child<QCheckBox>(dlg, "am");
  EXPECT_FALSE(duty->isEnabled());
  EXPECT_TRUE(base->isEnabled());
  EXPECT_FALSE(amHz->isEnabled());
  am->click();
  EXPECT_TRUE(amHz->isEnabled());
  Child<QRadioButton>(dlg, "square")->click();
  EXPECT_TRUE(duty->isEnabled());
  EXPECT_TRUE(base->isEnabled());
  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(am->isEnabled());
  Child<QRadioButton>(dlg, "noise")->click();
  EXPECT_FALSE(duty->isEnabled());
  EXPECT_FALSE(base->isEnabled());
  EXPECT_TRUE(Child<QLineEdit>(dlg, "level")->isEnabled());
  EXPECT_TRUE(Child<QLineEdit>(dlg, "name")->isEnabled());
}

TEST(SignalDlg, SweepFieldsAreLimitedOnLeavingThemAndConstantFrequencyCopiesTheBase) {
  SignalComponent c = Component(SignalType::kSine);
  c.fmOn = true;
  CSignalDlg dlg(c, 1000, 22050);
  auto* start = Child<QSpinBox>(dlg, "startHz");
  auto* end = Child<QSpinBox>(dlg, "endHz");
  Enter(start, QStringLiteral("0"));
  EXPECT_EQ(start->value(), 1);
  Enter(start, QStringLiteral("-40"));
  EXPECT_EQ(start->value(), 1);
  Enter(end, QStringLiteral("22050"));
  EXPECT_EQ(end->value(), 22049);
  Enter(end, QStringLiteral("80000"));
  EXPECT_EQ(end->value(), 22049);
  QString empty;
  static_cast<QAbstractSpinBox*>(start)->fixup(empty);
  EXPECT_EQ(empty, QStringLiteral("1"));  // an emptied field becomes 1
  // The arrows stay within 1 .. Nyquist.
  end->setValue(22050);
  end->stepBy(10);
  EXPECT_EQ(end->value(), 22050);
  start->setValue(1);
  start->stepBy(-5);
  EXPECT_EQ(start->value(), 1);

  Enter(Child<QLineEdit>(dlg, "baseHz"), QStringLiteral("440"));
  EXPECT_TRUE(Child<QCheckBox>(dlg, "fm")->isChecked());
  Child<QPushButton>(dlg, "constant")->click();
  EXPECT_EQ(start->value(), 440);
  EXPECT_EQ(end->value(), 440);
  EXPECT_FALSE(Child<QCheckBox>(dlg, "fm")->isChecked());
  EXPECT_FALSE(Child<QLineEdit>(dlg, "fmHz")->isEnabled());
  Enter(Child<QLineEdit>(dlg, "baseHz"), QStringLiteral("30000"));  // the base is not limited
  Child<QPushButton>(dlg, "constant")->click();
  EXPECT_EQ(start->value(), 22050);  // but the spin positions are
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result().baseHz, 30000);
  EXPECT_EQ(dlg.Result().startHz, 22050);
  EXPECT_FALSE(dlg.Result().fmOn);
}

TEST(SignalDlg, FadesGiveWayToEachOtherWithinTheDuration) {
  CSignalDlg dlg(Component(SignalType::kSine), 1000, 22050);
  auto* in = Child<QLineEdit>(dlg, "fadeIn");
  auto* out = Child<QLineEdit>(dlg, "fadeOut");
  Enter(out, QStringLiteral("400"));
  Enter(in, QStringLiteral("700"));
  EXPECT_EQ(out->text(), QStringLiteral("300"));
  Enter(out, QStringLiteral("1200"));
  EXPECT_EQ(out->text(), QStringLiteral("1000"));
  EXPECT_EQ(in->text(), QStringLiteral("0"));
  MaybeShoot(dlg, QStringLiteral("signal_dlg"));
}

TEST(SignalDlg, OkStoresEveryFieldAndRefusesTextThatIsNoNumber) {
  RecordingPrompt prompt;
  SignalComponent c = Component(SignalType::kSine);
  CSignalDlg dlg(c, 1000, 4000);
  Child<QLineEdit>(dlg, "name")->setText(QStringLiteral("掃引"));
  Child<QCheckBox>(dlg, "am")->click();
  Child<QCheckBox>(dlg, "fm")->click();
  Child<QCheckBox>(dlg, "log")->click();
  Enter(Child<QLineEdit>(dlg, "amHz"), QStringLiteral("7"));
  Enter(Child<QLineEdit>(dlg, "amDepth"), QStringLiteral("30"));
  Enter(Child<QLineEdit>(dlg, "fmHz"), QStringLiteral("3"));
  Enter(Child<QLineEdit>(dlg, "fmBand"), QStringLiteral("120"));
  Enter(Child<QSpinBox>(dlg, "startHz"), QStringLiteral("50"));
  Enter(Child<QSpinBox>(dlg, "endHz"), QStringLiteral("3000"));
  MaybeShoot(dlg, QStringLiteral("signal_dlg_log_sweep_am_fm"));
  Enter(Child<QLineEdit>(dlg, "level"), QStringLiteral("abc"));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"整数を入力してください。"});
  Enter(Child<QLineEdit>(dlg, "level"), QStringLiteral("-1"));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(prompt.Texts().back(), "0 から 2147483647 までの整数を入力してください。");
  Enter(Child<QLineEdit>(dlg, "level"), QStringLiteral("25"));
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const SignalComponent& r = dlg.Result();
  EXPECT_EQ(r.name, "掃引");
  EXPECT_EQ(r.levelRatio, 25);
  EXPECT_TRUE(r.amOn && r.fmOn && r.logSweep);
  EXPECT_EQ(r.amHz, 7);
  EXPECT_EQ(r.amDepthPercent, 30);
  EXPECT_EQ(r.fmHz, 3);
  EXPECT_EQ(r.fmBandHz, 120);
  EXPECT_EQ(r.startHz, 50);
  EXPECT_EQ(r.endHz, 3000);
}

class GeneratorDlgTest : public ::testing::Test {
 protected:
  GeneratorSettings Settings(std::vector<SignalComponent> components) {
    GeneratorSettings s;
    s.components = std::move(components);
    s.rateHz = 8000;
    s.bits = 16;
    s.channels = 1;
    return s;
  }
  RecordingPrompt prompt;
};

TEST_F(GeneratorDlgTest, TheListIsFilledShortlyAfterOpeningAndTheTotalFollowsTheFields) {
  SignalComponent square = Component(SignalType::kSquare);
  square.name = "信号 4";
  CGeneratorDlg dlg(Settings({Component(SignalType::kSine), square}), nullptr);
  auto* list = Child<QListWidget>(dlg, "list");
  EXPECT_EQ(Child<QLabel>(dlg, "total")->text(), QStringLiteral("1000 msec"));
  dlg.show();
  EXPECT_EQ(list->count(), 0);
  QTest::qWait(150);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("信号 1 (ｻｲﾝ波:1000Hz L10 , FADE in:0 out:0 )"));
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("信号 4 (方形波:1000Hz Lv10 Du0 )"));
  Enter(Child<QLineEdit>(dlg, "duration"), QStringLiteral("250"));
  Enter(Child<QLineEdit>(dlg, "repetitions"), QStringLiteral("12"));
  EXPECT_EQ(Child<QLabel>(dlg, "total")->text(), QStringLiteral("3000 msec"));
  MaybeShoot(dlg, QStringLiteral("generator_dlg"));

  // A new component takes the next free number; editing replaces the entry; deleting
  // moves the later ones up.
  WhenShown<CSignalDlg>([](CSignalDlg& s) {
    EXPECT_EQ(ToUtf8(s.findChild<QLineEdit*>(QStringLiteral("name"))->text()), "信号 5");
    s.findChild<QRadioButton*>(QStringLiteral("noise"))->click();
    s.accept();
  });
  dlg.AddComponent();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(2)->text(), QStringLiteral("信号 5 (ﾎﾜｲﾄﾉｲｽﾞ Lv10 )"));
  list->setCurrentRow(0);
  WhenShown<CSignalDlg>([](CSignalDlg& s) {
    s.findChild<QLineEdit*>(QStringLiteral("level"))->setText(QStringLiteral("3"));
    s.accept();
  });
  dlg.EditComponent();
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("信号 1 (ｻｲﾝ波:1000Hz L3 , FADE in:0 out:0 )"));
  list->setCurrentRow(1);
  Child<QPushButton>(dlg, "delete")->click();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("信号 5 (ﾎﾜｲﾄﾉｲｽﾞ Lv10 )"));

  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result().durationMs, 250);
  EXPECT_EQ(dlg.Result().repetitions, 12);
  ASSERT_EQ(dlg.Result().components.size(), 2u);
  EXPECT_EQ(dlg.Result().components[0].levelRatio, 3);
  EXPECT_EQ(dlg.Result().components[1].type, SignalType::kNoise);
}

TEST_F(GeneratorDlgTest, AThirtyFirstComponentIsRefusedByDoingNothing) {
  CGeneratorDlg dlg(Settings(std::vector<SignalComponent>(29, Component(SignalType::kSine))), nullptr);
  dlg.FillList();
  WhenShown<CSignalDlg>([](CSignalDlg& s) { s.accept(); });
  dlg.AddComponent();
  EXPECT_EQ(Child<QListWidget>(dlg, "list")->count(), 30);
  EXPECT_FALSE(Child<QPushButton>(dlg, "add")->isEnabled());
  dlg.AddComponent();  // no dialog opens: nothing would accept it
  EXPECT_EQ(Child<QListWidget>(dlg, "list")->count(), 30);
  EXPECT_EQ(dlg.Result().components.size(), 30u);
}

TEST_F(GeneratorDlgTest, OkChecksTheFieldsWithTheDialogsMessages) {
  CGeneratorDlg dlg(Settings({Component(SignalType::kSine)}), nullptr);
  struct Case {
    const char* field;
    const char* text;
    std::string message;
  } cases[] = {
      {"peak", "101", "0 から 100 までの整数を入力してください。"},
      {"peak", "x", "整数を入力してください。"},
      {"duration", "0", "1 から 3600000 までの整数を入力してください。"},
      {"repetitions", "-3", "1 から 100000 までの整数を入力してください。"},
  };
  for (const Case& c : cases) {
    GeneratorSettings fine = Settings({Component(SignalType::kSine)});
    Child<QLineEdit>(dlg, "peak")->setText(QStringLiteral("50"));
    Child<QLineEdit>(dlg, "duration")->setText(QStringLiteral("1000"));
    Child<QLineEdit>(dlg, "repetitions")->setText(QStringLiteral("1"));
    Child<QLineEdit>(dlg, c.field)->setText(QString::fromUtf8(c.text));
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted) << c.field;
    EXPECT_EQ(prompt.Texts().back(), c.message);
  }
  // Long enough to be refused only as a whole: 3600 s x 100 000 at 8000 Hz.
  Child<QLineEdit>(dlg, "duration")->setText(QStringLiteral("3600000"));
  Child<QLineEdit>(dlg, "repetitions")->setText(QStringLiteral("100000"));
  Child<QLineEdit>(dlg, "peak")->setText(QStringLiteral("50"));
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(prompt.Texts().back(), kTooLongMessage);
}

TEST_F(GeneratorDlgTest, TheFormatButtonTakesTheFormatDialogsChoice) {
  CGeneratorDlg dlg(Settings({}), nullptr);
  WhenShown<CWaveFormatDlg>([](CWaveFormatDlg& f) {
    f.findChild<QRadioButton*>(QStringLiteral("rate1"))->setChecked(true);
    f.findChild<QRadioButton*>(QStringLiteral("bits0"))->setChecked(true);
    f.findChild<QRadioButton*>(QStringLiteral("channels1"))->setChecked(true);
    f.accept();
  });
  dlg.ChooseFormat();
  EXPECT_EQ(dlg.Result().rateHz, 22050u);
  EXPECT_EQ(dlg.Result().bits, 8);
  EXPECT_EQ(dlg.Result().channels, 2);
  EXPECT_EQ(Child<QLabel>(dlg, "format")->text(), QStringLiteral("22050Hz  8 ﾋﾞｯﾄ  2ch"));
  EXPECT_FALSE(Child<QPushButton>(dlg, "testPlay")->isEnabled());  // nothing to play yet
}

TEST_F(GeneratorDlgTest, TestPlaybackPlaysOneSecondOfRepetitionsAndStopEndsIt) {
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  SignalComponent c = Component(SignalType::kSine);
  c.fadeInMs = 100;
  GeneratorSettings s = Settings({c});
  CGeneratorDlg dlg(s, &wnd);
  Child<QLineEdit>(dlg, "duration")->setText(QStringLiteral("250"));
  Child<QPushButton>(dlg, "testPlay")->click();
  const CWave& w = dlg.TestWave();
  ASSERT_EQ(w.FrameCount(), 8000u);  // one second at 8000 Hz
  EXPECT_TRUE(w.IsBusy());
  EXPECT_EQ(sim.OpenCount(WaveDevice::kOutput), 1);
  EXPECT_TRUE(Child<QPushButton>(dlg, "stop")->isEnabled());
  // 250 ms four times: the fade-in starts again at 2000, 4000 and 6000.
  for (uint32_t start : {0u, 2000u, 4000u, 6000u}) {
    int largest = 0;
    for (uint32_t k = 1; k < 40; ++k) largest = std::max(largest, std::abs(w.GetSample(start + k, kChannelLeft)));
    EXPECT_LT(largest, 16384 * 40 / 800 + 2) << start;
    int later = 0;
    for (uint32_t k = 1000; k < 1100; ++k) later = std::max(later, std::abs(w.GetSample(start + k, kChannelLeft)));
    EXPECT_GT(later, 16000) << start;
  }
  sim.AdvanceMs(300);
  EXPECT_TRUE(w.IsBusy());
  Child<QPushButton>(dlg, "stop")->click();
  EXPECT_FALSE(w.IsBusy());
  EXPECT_FALSE(Child<QPushButton>(dlg, "stop")->isEnabled());
  // Played again and closed: closing stops it too.
  Child<QPushButton>(dlg, "testPlay")->click();
  EXPECT_TRUE(w.IsBusy());
  dlg.reject();
  EXPECT_FALSE(w.IsBusy());
  EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(GeneratorDlgTest, TestPlaybackWithoutADeviceSaysSo) {
  CGeneratorDlg dlg(Settings({Component(SignalType::kSine)}), nullptr);
  Child<QPushButton>(dlg, "testPlay")->click();
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"テスト再生ができません。"});
}

namespace {

class GeneratorCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", tmp.Root().c_str(), 1);
    PlatformHooks hooks;
    hooks.pumpMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    SetPlatformHooks(hooks);
    CWave& w = doc.Wave();
    w.SetFormat(22050, 16, 2);
    ASSERT_TRUE(w.Allocate(22050));
    doc.Settings().fftRangeEnd = 22050;
    doc.CreateDefaultBoxes();
    view = new CWavView(doc, app, &frame);
    frame.MdiArea()->addSubWindow(new CChildFrame(view));
    frame.resize(900, 700);
    frame.show();
    QApplication::processEvents();
  }
  void TearDown() override {
    SetPlatformHooks({});
    unsetenv("TMPDIR");
  }

  // Runs the command; in the dialog the list is emptied, `add` components are added as
  // the signal dialog sets them up, and the format becomes one channel.
  void Generate(std::vector<std::function<void(CSignalDlg&)>> add, bool* filterShown) {
    // The watch for the processing dialog must not outlive this call.
    auto filterWatch = std::make_shared<QPointer<QTimer>>();
    WhenShown<CGeneratorDlg>([add, filterShown, filterWatch](CGeneratorDlg& g) {
      g.FillList();
      auto* list = g.findChild<QListWidget*>(QStringLiteral("list"));
      while (list->count() > 0) {
        list->setCurrentRow(0);
        g.DeleteComponent();
      }
      g.findChild<QLineEdit*>(QStringLiteral("duration"))->setText(QStringLiteral("500"));
      for (const auto& setUp : add) {
        WhenShown<CSignalDlg>([setUp](CSignalDlg& s) {
          setUp(s);
          s.accept();
        });
        g.AddComponent();
      }
      WhenShown<CWaveFormatDlg>([](CWaveFormatDlg& f) {
        f.findChild<QRadioButton*>(QStringLiteral("channels0"))->setChecked(true);
        f.accept();
      });
      g.ChooseFormat();
      *filterShown = false;
      *filterWatch = WhenShown<CFilterRunDlg>([filterShown](CFilterRunDlg&) { *filterShown = true; });
      g.accept();
    });
    const ViewCommand* c = FindViewCommand(cmd::kGenerator);
    ASSERT_TRUE(c);
    c->run(*view, cmd::kGenerator);
    QTest::qWait(100);
    delete filterWatch->data();
  }

  TempDir tmp;
  RecordingPrompt prompt{PromptAnswer::Yes};
  AppSettings app;
  CWavDoc doc{&app};
  CMainFrame frame;
  CWavView* view = nullptr;
};

}  // namespace

TEST_F(GeneratorCommand, ReplacesTheWaveAndRunsTheNoiseFilterOnlyWithNoise) {
  bool filterShown = true;
  Generate({[](CSignalDlg&) {}}, &filterShown);
  EXPECT_FALSE(filterShown);
  const CWave& w = doc.Wave();
  EXPECT_EQ(w.Rate(), 22050u);  // the wave's own rate, taken when the dialog opened
  EXPECT_EQ(w.Channels(), 1);
  EXPECT_EQ(w.FrameCount(), 11025u);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.GetBox(kBoxWaveMono));
  EXPECT_FALSE(doc.GetBox(kBoxWaveLeft));
  EXPECT_EQ(doc.Settings().fftRangeEnd, 11024u);

  Generate({[](CSignalDlg&) {}, [](CSignalDlg& s) { s.findChild<QRadioButton*>(QStringLiteral("noise"))->click(); }},
           &filterShown);
  EXPECT_TRUE(filterShown);
  EXPECT_EQ(doc.Wave().FrameCount(), 11025u);
  EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(GeneratorCommand, CancellingChangesNothing) {
  const std::vector<uint8_t> before(doc.Wave().GetData(), doc.Wave().GetData() + doc.Wave().DataSize());
  doc.SetModifiedFlag(false);
  WhenShown<CGeneratorDlg>([](CGeneratorDlg& g) { g.reject(); });
  FindViewCommand(cmd::kGenerator)->run(*view, cmd::kGenerator);
  EXPECT_EQ(doc.Wave().Channels(), 2);
  EXPECT_EQ(std::vector<uint8_t>(doc.Wave().GetData(), doc.Wave().GetData() + doc.Wave().DataSize()), before);
  EXPECT_FALSE(doc.IsModified());
}
