// The colour and FFT level commands of the view, driven through the main window as a user
// drives them; the colour chooser is replaced by a stand-in inside the open dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/graph/fft_box.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/command_table.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_settings_store.h"
#include "gui/app/wav_view.h"
#include "gui/graph/color_scheme_dlg.h"
#include "gui/graph/fft_level_dlg.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kCustom = 0x00445566;

class DisplayCommandsTest : public ::testing::Test {
 protected:
  void Open() {
    CWave& w = doc.Wave();
    w.SetFormat(44100, 16, 2);
    ASSERT_TRUE(w.Allocate(44100));
    // A 1 kHz tone on both channels.
    for (uint32_t i = 0; i < 44100; ++i)
      w.SetSample(i, static_cast<int>(12000 * std::sin(2 * M_PI * 1000.0 * i / 44100.0)), kChannelBoth);
    doc.Settings().fftRangeEnd = 44100;
    doc.CreateDefaultBoxes();
    view = new CWavView(doc, app, &frame);
    frame.MdiArea()->addSubWindow(new CChildFrame(view));
    frame.resize(1000, 800);
    frame.show();
    frame.MdiArea()->subWindowList().front()->showMaximized();
    QApplication::processEvents();
  }

  // Runs the colour command; inside the dialog `act` plays the user, then OK or Cancel.
  void RunColorCommand(const std::function<void(CColorSchemeDlg&)>& act, bool ok) {
    bool seen = false;
    QTimer::singleShot(50, [&] {
      auto* dlg = qobject_cast<CColorSchemeDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      seen = true;
      dlg->SetChooser([](QWidget*, uint32_t, CustomColors& custom) -> std::optional<uint32_t> {
        custom[15] = kCustom;
        return kRed;
      });
      act(*dlg);
      if (ok) dlg->accept();
      else dlg->reject();
    });
    frame.RunCommand(cmd::kColors);
    EXPECT_TRUE(seen);
  }

  static int ButtonOf(ColorIndex color) {
    for (int i = 0; i < kEditableColorCount; ++i) {
      if (kEditableColors[i].color == color) return i;
    }
    return -1;
  }

  RecordingPrompt prompt;
  AppSettings app;
  CWavDoc doc{&app};
  CMainFrame frame;
  CWavView* view = nullptr;
};

}  // namespace

TEST_F(DisplayCommandsTest, ColorsStartOnTheCurrentBoxAndOkGivesEveryBoxItsSet) {
  Open();
  view->SelectBox(kBoxWaveRight);
  doc.SetModifiedFlag(false);
  const ColorSet leftBefore = doc.GetBox(kBoxWaveLeft)->Colors();
  RunColorCommand(
      [](CColorSchemeDlg& dlg) {
        EXPECT_EQ(dlg.Editor().Target(), 1);  // the wave boxes' group
        auto* target = dlg.findChild<QComboBox*>(QStringLiteral("target"));
        target->setCurrentIndex(3);
        emit target->activated(3);  // "ウェーブボックス(R)"
        dlg.ChangeColor(ButtonOf(kColorGraph));
      },
      true);
  EXPECT_EQ(doc.GetBox(kBoxWaveRight)->Colors()[kColorGraph], kRed);
  EXPECT_EQ(doc.GetBox(kBoxWaveLeft)->Colors(), leftBefore);
  EXPECT_EQ(app.colorSets[kBoxWaveRight][kColorGraph], kRed);
  EXPECT_EQ(app.colorSets[kBoxWaveMono][kColorGraph], leftBefore[kColorGraph]);
  EXPECT_EQ(app.userColors[15], kCustom);
  EXPECT_TRUE(doc.IsModified());
  MaybeShoot(frame, QStringLiteral("main_window_colors"));
}

TEST_F(DisplayCommandsTest, CancelLeavesTheSetsEvenAfterColoursWereChosen) {
  Open();
  const auto before = app.colorSets;
  const ColorSet boxBefore = doc.GetBox(kBoxWaveLeft)->Colors();
  RunColorCommand(
      [](CColorSchemeDlg& dlg) {
        for (int i = 0; i < kEditableColorCount; ++i) dlg.ChangeColor(i);
        EXPECT_EQ(dlg.Schemes()[0][kColorGraph], kRed);
      },
      false);
  EXPECT_EQ(app.colorSets, before);
  EXPECT_EQ(doc.GetBox(kBoxWaveLeft)->Colors(), boxBefore);
  // The custom colours are the chooser's own and stay as the user left them.
  EXPECT_EQ(app.userColors[15], kCustom);
}

TEST_F(DisplayCommandsTest, TheColoursSurviveARestartThroughTheSettings) {
  TempDir dir;
  const QString ini = QString::fromStdString(dir.Path("Sonvue.conf"));
  QtSettingsStore store(ini);
  doc.SetDefaultsChangedHandler([&] {
    SaveSettings(store, app);
    store.Sync();
  });
  Open();
  view->SelectBox(kBoxInfo);
  RunColorCommand([](CColorSchemeDlg& dlg) {
        EXPECT_EQ(dlg.Editor().Target(), 13);
        dlg.ChangeColor(ButtonOf(kColorFrameBack));
      },
      true);
  QtSettingsStore again(ini);
  AppSettings next;
  LoadSettings(again, next, 1024, 768);
  EXPECT_EQ(next.colorSets, app.colorSets);
  EXPECT_EQ(next.colorSets[kBoxInfo][kColorFrameBack], kRed);
  EXPECT_EQ(next.userColors[15], kCustom);
}

TEST_F(DisplayCommandsTest, EveryPopUpMenuOffersTheColoursAndTheSpectrumMenusTheLevel) {
  auto holds = [](const std::vector<MenuEntry>& menu, int id) {
    for (const MenuEntry& e : menu) {
      if (e.kind == MenuEntry::Kind::Command && e.id == id) return true;
    }
    return false;
  };
  for (int group : {0, 1, 2}) {
    EXPECT_TRUE(holds(BoxPopupMenu(group), cmd::kColors)) << group;
    EXPECT_EQ(holds(BoxPopupMenu(group), cmd::kFftLevel), group != 0) << group;
  }
  EXPECT_NE(FindViewCommand(cmd::kColors), nullptr);
  EXPECT_NE(FindViewCommand(cmd::kFftLevel), nullptr);
  Open();
  EXPECT_TRUE(frame.UpdateCommand(cmd::kColors).enabled);
  EXPECT_TRUE(frame.UpdateCommand(cmd::kFftLevel).enabled);
}

TEST_F(DisplayCommandsTest, TheLevelDialogOpensOnceFollowsTheViewAndTakesAMarkFromASpectrum) {
  Open();
  frame.RunCommand(cmd::kFftLeft);
  auto* spectrum = dynamic_cast<CFFTBox*>(doc.GetBox(kBoxFftLeft));
  ASSERT_NE(spectrum, nullptr);
  doc.RunSteppingAnalysis();
  frame.RunCommand(cmd::kFftLevel);
  CFFTLevelDlg* dlg = view->FftLevelDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->IsWindowCreated());
  frame.RunCommand(cmd::kFftLevel);
  EXPECT_EQ(view->FftLevelDialog(), dlg);
  auto* mode = dlg->findChild<QComboBox*>(QStringLiteral("adjustMode"));
  mode->setCurrentIndex(kLevelAdjustLevel);

  // A click in the spectrum's plot sets its mark; the dialog takes frequency and level.
  CBox::SetMouseOperation(CBox::kMouseMark);
  const Rect plot = spectrum->PlotRect();
  const Point at = view->Mapping().LogicalToDevice({plot.left + plot.Width() / 2, (plot.top + plot.bottom) / 2});
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x, at.y));
  CBox::SetMouseOperation(CBox::kMouseZoomBand);
  ASSERT_GE(spectrum->MarkValue(), 0.0);
  auto text = [](double v) { return QString::number(static_cast<double>(static_cast<float>(v)), 'g', 6); };
  ASSERT_NE(text(spectrum->MarkValue()), QStringLiteral("1000"));  // not the dialog's own value
  EXPECT_EQ(dlg->findChild<QLineEdit*>(QStringLiteral("frequency"))->text(), text(spectrum->MarkValue()));
  EXPECT_EQ(dlg->findChild<QLineEdit*>(QStringLiteral("level"))->text(), text(0.01 * spectrum->GetLevelAtMark(1)));
  EXPECT_EQ(mode->currentIndex(), kLevelAdjustLevel);

  // What the settings panel applies reaches the open dialog.
  AnalysisSettings record = doc.Settings();
  record.blockSize = 2048;
  view->ApplyToDocument(record, 0);
  EXPECT_EQ(dlg->Record().blockSize, 2048u);

  view->CloseFftLevelDialog();
  EXPECT_FALSE(dlg->IsWindowCreated());
  EXPECT_FALSE(dlg->isVisible());
  // A mark while the window is closed leaves the dialog alone.
  dlg->findChild<QLineEdit*>(QStringLiteral("frequency"))->setText(QStringLiteral("5"));
  CBox::SetMouseOperation(CBox::kMouseMark);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x + 20, at.y));
  CBox::SetMouseOperation(CBox::kMouseZoomBand);
  EXPECT_EQ(dlg->findChild<QLineEdit*>(QStringLiteral("frequency"))->text(), QStringLiteral("5"));
}
