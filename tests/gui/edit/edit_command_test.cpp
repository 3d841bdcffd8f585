// "ウェーブ編集" from the view: the dialog opens on the document's samples, OK hands the
// edits back and marks the document modified, Cancel leaves it as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/main_frame.h"
#include "gui/app/wav_view.h"
#include "gui/edit/edit_dlg.h"
#include "support/recording_prompt.h"

namespace {

class EditCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CWave& w = doc.Wave();
    w.SetFormat(8000, 16, 1);
    ASSERT_TRUE(w.Allocate(800));
    for (uint32_t i = 0; i < 800; ++i) w.SetSample(i, static_cast<int>(i) * 10, kChannelBoth);
    doc.Settings().fftRangeEnd = 800;
    doc.CreateDefaultBoxes();
    view = new CWavView(doc, app, &frame);
    frame.MdiArea()->addSubWindow(new CChildFrame(view));
    frame.resize(900, 700);
    frame.show();
    QApplication::processEvents();
  }

  // Runs the command; while the dialog is open, edit reverses the wave buffer.
  void RunEdit(bool accept) {
    QTimer::singleShot(0, [accept] {
      auto* dlg = qobject_cast<CEditDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      EXPECT_EQ(dlg->Buffer(kWaveBuffer).Wave().FrameCount(), 800u);
      dlg->Buffer(kWaveBuffer).SetSelection(0, 799);
      dlg->ReverseSelection(kWaveBuffer);
      if (accept) dlg->accept();
      else dlg->reject();
    });
    view->OnCommand(cmd::kWaveEdit);
  }

  RecordingPrompt prompt;
  AppSettings app;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  CWavDoc doc{&app, &wnd};
  CMainFrame frame;
  CWavView* view = nullptr;
};

}  // namespace

TEST_F(EditCommandTest, OkTakesTheEditsAndMarksTheDocumentModified) {
  ASSERT_NE(FindViewCommand(cmd::kWaveEdit), nullptr);
  EXPECT_TRUE(frame.UpdateCommand(cmd::kWaveEdit).enabled);
  doc.SetModifiedFlag(false);
  RunEdit(true);
  ASSERT_EQ(doc.Wave().FrameCount(), 800u);
  EXPECT_EQ(doc.Wave().GetSample(0, kChannelLeft), 7990);
  EXPECT_EQ(doc.Wave().GetSample(799, kChannelLeft), 0);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.Settings().fftRangeEnd, 799u);  // the wave boxes start again on the new wave
}

TEST_F(EditCommandTest, CancelLeavesTheDocumentAsItWas) {
  doc.SetModifiedFlag(false);
  RunEdit(false);
  ASSERT_EQ(doc.Wave().FrameCount(), 800u);
  EXPECT_EQ(doc.Wave().GetSample(0, kChannelLeft), 0);
  EXPECT_EQ(doc.Wave().GetSample(799, kChannelLeft), 7990);
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditCommandTest, NotWhileTheSoundDeviceWorksOnTheWave) {
  ASSERT_TRUE(doc.Wave().Play(0, 800));
  EXPECT_FALSE(frame.UpdateCommand(cmd::kWaveEdit).enabled);
  doc.Wave().Stop();
  EXPECT_TRUE(frame.UpdateCommand(cmd::kWaveEdit).enabled);
}
