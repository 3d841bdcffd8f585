// The editing dialog driven as a user drives it: the messages of empty selections, the
// delete wordings, undo, the mouse selection, play and stop, and the hand-over with the
// document on OK and Cancel, also when the hand-over file fails.
#include "gui/edit/edit_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/realtime/simulated_audio.h"
#include "core/realtime/wave_wnd.h"
#include "gui/edit/copy_dlg.h"
#include "gui/edit/delay_dlg.h"
#include "gui/edit/level_dlg.h"
#include "gui/edit/mix_dlg.h"
#include "gui/realtime/setting_panel.h"
#include "support/recording_prompt.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

// Sets up the next modal dialog of type Dlg when it opens, then accepts or rejects it.
template <class Dlg>
void OnNextDialog(std::function<void(Dlg&)> setUp, bool accept = true, int tries = 100) {
  QTimer::singleShot(0, [=] {
    auto* d = qobject_cast<Dlg*>(QApplication::activeModalWidget());
    if (!d) {
      if (tries > 0) OnNextDialog<Dlg>(setUp, accept, tries - 1);
      return;
    }
    setUp(*d);
    if (accept) d->accept();
    else d->reject();
  });
}

template <class Dlg>
void AcceptNextDialog() {
  OnNextDialog<Dlg>([](Dlg&) {});
}

std::vector<uint8_t> Bytes(const CWave& w) {
  const uint8_t* p = w.GetData(0);
  return p ? std::vector<uint8_t>(p, p + w.DataSize()) : std::vector<uint8_t>{};
}

class EditDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseTempFiles = true;
    CEditDlg::Choices() = {};
  }

  // The document's wave: frame i holds (i x 37) mod 20000 - 10000 on the left and the
  // negative on the right.
  void MakeWave(uint32_t frames, uint16_t channels = 2, uint32_t rate = 44100) {
    CWave& w = doc.Wave();
    w.SetFormat(rate, 16, channels);
    ASSERT_TRUE(w.Allocate(frames));
    for (uint32_t i = 0; i < frames; ++i) {
      const int v = static_cast<int>((i * 37) % 20000) - 10000;
      w.SetSample(i, v, kChannelLeft);
      if (channels == 2) w.SetSample(i, -v, kChannelRight);
    }
    original = Bytes(w);
  }

  // Opens the dialog as the view does: the document stashes its wave first.
  bool Open(bool stash = true) {
    path = stash ? doc.StashWave() : std::string();
    if (stash) {
      EXPECT_FALSE(path.empty());
    }
    dlg = std::make_unique<CEditDlg>();
    const bool ok = dlg->Initialise(doc, kBoxWaveMono, path);
    if (ok) {
      dlg->show();
      QApplication::processEvents();
      dlg->Redraw(kWaveBuffer);
      dlg->Redraw(kTempBuffer);
    }
    return ok;
  }

  EditBuffer& Wave() { return dlg->Buffer(kWaveBuffer); }
  EditBuffer& Temp() { return dlg->Buffer(kTempBuffer); }

  template <class T>
  T* Child(const char* name) {
    T* w = dlg->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  RecordingPrompt prompt;  // answers OK
  AppSettings app;
  SimulatedAudio sim;
  CWaveWnd wnd{sim};
  CWavDoc doc{&app, &wnd};
  std::unique_ptr<CEditDlg> dlg;
  std::string path;
  std::vector<uint8_t> original;
};

// --- checks and confirmations ------------------------------------------------------------

TEST_F(EditDlgTest, EmptySelectionsAreRefusedWithTheirMessages) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  Wave().SetSelection(10, 10);  // a click without moving
  Temp().SetSelection(0, 0);    // the temporary buffer is empty
  struct Case {
    std::function<void()> command;
    std::string title, text;
  };
  const Case cases[] = {
      {[&] { dlg->FadeSelection(kWaveBuffer, true); }, "ﾌｪｰﾄﾞｲﾝ", "選択の範囲がありません。\nフェード対象の範囲を指定してください。"},
      {[&] { dlg->FadeSelection(kWaveBuffer, false); }, "ﾌｪｰﾄﾞｱｳﾄ", "選択の範囲がありません。\nフェード対象の範囲を指定してください。"},
      {[&] { dlg->DeleteSelection(kWaveBuffer); }, "データ削除", "選択の範囲がありません。\n削除対象の範囲を指定してください。"},
      {[&] { dlg->ReverseSelection(kWaveBuffer); }, "波形逆転", "選択の範囲がありません。\n逆転対象の範囲を指定してください。"},
      {[&] { dlg->RunMenuCommand(CEditDlg::kEchoWave); }, "ディレイ（エコー）", "選択の範囲がありません。\n遅延処理対象の範囲を指定してください。"},
      {[&] { dlg->MixSelection(kWaveBuffer); }, "データ合成", "ウェーブバッファの選択の範囲がありません。\n合成対象(元)の範囲を指定してください。"},
      {[&] { dlg->CopySelection(kWaveBuffer); }, "データコピー", "ウェーブバッファの選択の範囲がありません。\nコピー対象(元)の範囲を指定してください。"},
      {[&] { dlg->CopySelection(kTempBuffer); }, "データコピー", "テンポラリバッファ選択の範囲がありません。\nコピー対象(元)の範囲を指定してください。"},
      {[&] { dlg->MixSelection(kTempBuffer); }, "データ合成", "テンポラリバッファの選択の範囲がありません。\n合成対象(元)の範囲を指定してください。"},
  };
  for (const Case& c : cases) {
    prompt.boxes.clear();
    c.command();
    ASSERT_EQ(prompt.boxes.size(), 1u) << c.text;
    EXPECT_EQ(prompt.boxes[0].title, c.title);
    EXPECT_EQ(prompt.boxes[0].text, c.text);
    EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::Ok);
  }
  EXPECT_EQ(Bytes(Wave().Wave()), original);

  // Mixing names the destination once the source has a selection.
  prompt.boxes.clear();
  Wave().SetSelection(10, 400);
  dlg->MixSelection(kWaveBuffer);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "テンポラリバッファの選択範囲がありません。\n合成対象(先)の範囲を指定してください。");

  // A level change takes an empty selection (and changes nothing).
  Wave().SetSelection(10, 10);
  prompt.boxes.clear();
  OnNextDialog<CLevelDlg>([](CLevelDlg& d) { d.findChild<QSpinBox*>(QStringLiteral("percent"))->setValue(300); });
  dlg->ChangeLevel(kWaveBuffer);
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_EQ(Bytes(Wave().Wave()), original);
}

TEST_F(EditDlgTest, DeleteAsksWithTheWholeOrTheRangeWording) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  Wave().SetSelection(10, 500);
  dlg->DeleteSelection(kWaveBuffer);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].title, "データ削除");
  EXPECT_EQ(prompt.boxes[0].text,
            "ウェーブバッファの選択範囲を削除します\nデータは表示チャンネルに関係なく選択範囲のすべてを削除します。");
  EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::OkCancel);
  EXPECT_EQ(Wave().Wave().FrameCount(), 1000u - 491u);
  EXPECT_EQ(Wave().Start(), 10u);
  EXPECT_EQ(Wave().End(), 10u);

  prompt.boxes.clear();
  Child<QPushButton>("wave_selectAll")->click();
  Child<QPushButton>("wave_delete")->click();
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "ウェーブバッファのすべてを削除します\nデータは表示チャンネルに関係なくすべてを削除します。");
  EXPECT_EQ(Wave().Wave().FrameCount(), 0u);
  QTest::qWait(CEditDlg::kRedrawDelayMs * 5);
  EXPECT_EQ(Child<QLabel>("wave_total")->text(), QStringLiteral("データなし"));
}

TEST_F(EditDlgTest, ShortBuffersAndTheTemporaryBufferHaveTheirOwnWordings) {
  MakeWave(20);
  ASSERT_TRUE(Open());
  // Below 30 frames the wave buffer always asks with the range wording.
  dlg->SelectAll(kWaveBuffer);
  {
    RecordingPrompt cancel(PromptAnswer::Cancel);
    dlg->DeleteSelection(kWaveBuffer);
    ASSERT_EQ(cancel.boxes.size(), 1u);
    EXPECT_NE(cancel.boxes[0].text.find("選択範囲を削除します"), std::string::npos);
  }
  EXPECT_EQ(Wave().Wave().FrameCount(), 20u);  // cancelled

  // The temporary buffer, filled by a copy: the whole buffer, then a part of it.
  OnNextDialog<CCopyDlg>([](CCopyDlg& d) { d.findChild<QRadioButton*>(QStringLiteral("insertAtStart"))->setChecked(true); });
  dlg->CopySelection(kWaveBuffer);
  ASSERT_EQ(Temp().Wave().FrameCount(), 20u);
  struct Case {
    uint32_t start, end;
    const char* text;
  };
  const Case cases[] = {
      {0, 20, "テンポラリバッファのすべてを削除します\nデータは表示チャンネルに関係なくすべてを削除します。"},
      {0, 19, "テンポラリバッファのすべてを削除します\nデータは表示チャンネルに関係なくすべてを削除します。"},
      {1, 19, "テンポラリバッファの選択範囲を削除します\nデータは表示チャンネルに関係なく選択範囲のすべてを削除します。"},
  };
  for (const Case& c : cases) {
    RecordingPrompt cancel(PromptAnswer::Cancel);
    Temp().SetSelection(c.start, c.end);
    dlg->DeleteSelection(kTempBuffer);
    ASSERT_EQ(cancel.boxes.size(), 1u);
    EXPECT_EQ(cancel.boxes[0].text, c.text);
  }
  RecordingPrompt cancel(PromptAnswer::Cancel);
  Temp().SetSelection(3, 9);
  dlg->ReverseSelection(kTempBuffer);
  ASSERT_EQ(cancel.boxes.size(), 1u);
  EXPECT_EQ(cancel.boxes[0].title, "波形逆転");
  EXPECT_EQ(cancel.boxes[0].text, "テンポラリバッファの選択範囲を時間反転します\n対象チャンネル：全チャンネル");
}

TEST_F(EditDlgTest, FadeAsksNamingTheChannelAndWorksOnIt) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  auto* channels = Child<QComboBox>("wave_channels");
  ASSERT_EQ(channels->count(), 3);
  EXPECT_EQ(channels->currentText(), QStringLiteral("両チャンネル（左右）"));
  dlg->ChooseChannel(kWaveBuffer, 1);
  EXPECT_EQ(Wave().Box()->Channel(), kChannelRight);
  Wave().SetSelection(100, 199);
  dlg->RunMenuCommand(CEditDlg::kFadeInWave);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "ウェーブバッファの選択範囲をフェードイン処理します\n対象チャンネル：Ｒチャンネル");
  CWave expected;
  expected.SetFormat(44100, 16, 2);
  ASSERT_TRUE(expected.Allocate(1000));
  std::memcpy(expected.GetData(0), original.data(), original.size());
  expected.Fade(100, 199, 0, 100, kChannelRight);
  EXPECT_EQ(Bytes(Wave().Wave()), Bytes(expected));
}

// --- undo -------------------------------------------------------------------------------

TEST_F(EditDlgTest, UndoTwiceReturnsToTheEditedState) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  ASSERT_TRUE(dlg->Undo().Available());
  // Undo before any operation changes nothing.
  dlg->RunMenuCommand(CEditDlg::kUndoWave);
  EXPECT_EQ(Bytes(Wave().Wave()), original);

  Wave().SetSelection(0, 999);
  dlg->ReverseSelection(kWaveBuffer);
  const std::vector<uint8_t> edited = Bytes(Wave().Wave());
  ASSERT_NE(edited, original);
  Wave().SetSelection(5, 6);  // the selection is part of the state
  dlg->RunMenuCommand(CEditDlg::kUndoWave);
  EXPECT_EQ(Bytes(Wave().Wave()), original);
  EXPECT_EQ(Wave().Start(), 0u);
  EXPECT_EQ(Wave().End(), 999u);
  dlg->RunMenuCommand(CEditDlg::kUndoWave);
  EXPECT_EQ(Bytes(Wave().Wave()), edited);
  EXPECT_EQ(Wave().End(), 6u);

  // Each buffer has its own level: a delete in the temporary buffer leaves the wave's alone.
  Temp().Wave().CopyFrom(Wave().Wave());
  Temp().FollowWave();
  Temp().SelectAll();
  dlg->DeleteSelection(kTempBuffer);
  EXPECT_EQ(Temp().Wave().FrameCount(), 0u);
  dlg->RunMenuCommand(CEditDlg::kUndoTemp);
  EXPECT_EQ(Temp().Wave().FrameCount(), 1000u);
  dlg->RunMenuCommand(CEditDlg::kUndoWave);
  EXPECT_EQ(Bytes(Wave().Wave()), original);
}

TEST_F(EditDlgTest, WithoutTemporaryFilesUndoKeepsNothing) {
  MakeWave(100);
  UseTempFiles = false;
  ASSERT_TRUE(Open(false));
  EXPECT_FALSE(dlg->Undo().Available());
  Wave().SetSelection(0, 99);
  dlg->ReverseSelection(kWaveBuffer);
  const std::vector<uint8_t> edited = Bytes(Wave().Wave());
  dlg->RunMenuCommand(CEditDlg::kUndoWave);
  EXPECT_EQ(Bytes(Wave().Wave()), edited);
  UseTempFiles = true;
}

// --- the small dialogs ------------------------------------------------------------------

TEST_F(EditDlgTest, MixCopyLevelAndEchoTakeTheSmallDialogsChoices) {
  MakeWave(2000);
  ASSERT_TRUE(Open());
  // Copy 500 frames into the empty temporary buffer: only an insert fills it.
  Wave().SetSelection(100, 599);
  prompt.boxes.clear();
  OnNextDialog<CCopyDlg>([](CCopyDlg& d) {
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("source"))->text(), QStringLiteral("ウェーブバッファ全チャンネル"));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("dest"))->text(), QStringLiteral("テンポラリバッファ全チャンネル"));
    EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("overwrite"))->isChecked());
  });
  dlg->CopySelection(kWaveBuffer);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "コピー先の選択範囲がありません。\n上書きする範囲を指定するか、挿入を選んでください。");
  EXPECT_EQ(Temp().Wave().FrameCount(), 0u);
  OnNextDialog<CCopyDlg>([](CCopyDlg& d) { d.findChild<QRadioButton*>(QStringLiteral("insertAtEnd"))->setChecked(true); });
  dlg->CopySelection(kWaveBuffer);
  ASSERT_EQ(Temp().Wave().FrameCount(), 500u);
  EXPECT_EQ(Temp().Wave().GetSample(0, kChannelLeft), Wave().Wave().GetSample(100, kChannelLeft));
  EXPECT_TRUE(Temp().SelectionEmpty());  // the destination's selection stays as it was
  dlg->SelectAll(kTempBuffer);

  // Average the temporary buffer into the wave buffer's first 500 frames, with smoothing.
  Wave().SetSelection(0, 499);
  CWave expected;
  ASSERT_TRUE(expected.CopyFrom(Wave().Wave()));
  expected.Mix(Temp().Wave(), 0, 500, 0, 499, true, true, kChannelBoth, kChannelBoth);
  OnNextDialog<CMixDlg>([](CMixDlg& d) {
    EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("add"))->isChecked());
    d.findChild<QRadioButton*>(QStringLiteral("average"))->setChecked(true);
    d.findChild<QCheckBox*>(QStringLiteral("smoothing"))->setChecked(true);
  });
  dlg->MixSelection(kTempBuffer);
  EXPECT_EQ(Bytes(Wave().Wave()), Bytes(expected));
  EXPECT_TRUE(CEditDlg::Choices().smoothing);  // remembered for the next dialogs

  // The level dialog starts with the remembered smoothing and shows the selection's peak.
  ASSERT_TRUE(expected.CopyFrom(Wave().Wave()));
  expected.ChangeLevel(0, 499, 250, true, kChannelBoth);
  OnNextDialog<CLevelDlg>([](CLevelDlg& d) {
    EXPECT_TRUE(d.Smoothing());
    EXPECT_EQ(d.Percent(), 100);
    d.findChild<QSpinBox*>(QStringLiteral("percent"))->setValue(250);
  });
  dlg->ChangeLevel(kWaveBuffer);
  EXPECT_EQ(Bytes(Wave().Wave()), Bytes(expected));

  // The echo dialog starts at 100 ms and 10 % and keeps what was chosen.
  ASSERT_TRUE(expected.CopyFrom(Wave().Wave()));
  expected.Delay(0, 499, 5, 40, kChannelBoth);
  OnNextDialog<CDelayDlg>([](CDelayDlg& d) {
    EXPECT_EQ(d.DelayMs(), 100);
    EXPECT_EQ(d.ResidualPercent(), 10);
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("channel"))->text(), QStringLiteral("対象チャンネル：全チャンネル"));
    d.findChild<QSpinBox*>(QStringLiteral("delay"))->setValue(5);
    d.findChild<QSpinBox*>(QStringLiteral("residual"))->setValue(40);
  });
  dlg->EchoSelection(kWaveBuffer);
  EXPECT_EQ(Bytes(Wave().Wave()), Bytes(expected));
  EXPECT_EQ(CEditDlg::Choices().echoDelayMs, 5);
  EXPECT_EQ(CEditDlg::Choices().echoResidualPercent, 40);

  // Cancelled small dialogs change nothing.
  const std::vector<uint8_t> before = Bytes(Wave().Wave());
  OnNextDialog<CDelayDlg>([](CDelayDlg&) {}, false);
  dlg->EchoSelection(kWaveBuffer);
  OnNextDialog<CLevelDlg>([](CLevelDlg& d) { d.findChild<QSpinBox*>(QStringLiteral("percent"))->setValue(5); }, false);
  dlg->ChangeLevel(kWaveBuffer);
  EXPECT_EQ(Bytes(Wave().Wave()), before);
}

// --- the mouse ----------------------------------------------------------------------------

TEST_F(EditDlgTest, DraggingSelectsAndAClickSelectsNothing) {
  MakeWave(44100);
  ASSERT_TRUE(Open());
  QWidget* graph = Child<QWidget>("wave_graph");
  const int y = graph->height() / 2;
  const int x1 = dlg->DeviceXOfFrame(kWaveBuffer, 10000);
  const int x2 = dlg->DeviceXOfFrame(kWaveBuffer, 30000);
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(x1, y));
  QTest::mouseMove(graph, QPoint((x1 + x2) / 2, y));
  QTest::mouseMove(graph, QPoint(x2, y));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(x2, y));
  // Within the frames of one device pixel of where the pointer was.
  const double framesPerPixel = 44100.0 / (x2 - x1) * (30000 - 10000) / 44100.0;
  EXPECT_NEAR(Wave().Start(), 10000, framesPerPixel + 1);
  EXPECT_NEAR(Wave().End(), 30000, framesPerPixel + 1);
  QApplication::processEvents();
  dlg->Redraw(kWaveBuffer);
  EXPECT_EQ(Child<QLabel>("wave_start")->text().toUInt(), Wave().Start());
  EXPECT_TRUE(Child<QLabel>("wave_length")->text().endsWith(QStringLiteral("sec)")));

  // Dragging backwards orders the ends.
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(x2, y));
  QTest::mouseMove(graph, QPoint(x1, y));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(x1, y));
  EXPECT_LT(Wave().Start(), Wave().End());

  QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(x1, y));
  EXPECT_TRUE(Wave().SelectionEmpty());
}

TEST_F(EditDlgTest, TheDraggedSelectionIsARectangleDrawnByExclusiveOr) {
  // Silence: the plot is its ground colour away from the middle line.
  doc.Wave().SetFormat(44100, 16, 2);
  ASSERT_TRUE(doc.Wave().Allocate(44100));
  ASSERT_TRUE(Open());
  auto* graph = dlg->findChild<COverviewView*>(QStringLiteral("wave_graph"));
  const int y = graph->height() / 2;
  const int x1 = dlg->DeviceXOfFrame(kWaveBuffer, 10000);
  const int x2 = dlg->DeviceXOfFrame(kWaveBuffer, 20000);
  const int inside = (x1 + x2) / 2;
  const int outside = dlg->DeviceXOfFrame(kWaveBuffer, 30000);
  Wave().SetSelection(0, 0);
  dlg->Redraw(kWaveBuffer);
  const QImage plain = graph->BackBuffer().copy();
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(x1, y));
  QTest::mouseMove(graph, QPoint(x2, y));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(x2, y));
  const QImage selected = graph->BackBuffer().copy();
  ASSERT_NE(selected.pixel(inside, y - 10), plain.pixel(inside, y - 10));
  // Inside the rectangle the ground is the plain ground XOR grey; outside nothing changed.
  EXPECT_EQ(selected.pixel(inside, y - 10) & 0xFFFFFF, (plain.pixel(inside, y - 10) ^ 0x808080) & 0xFFFFFF);
  EXPECT_EQ(selected.pixel(outside, y - 10), plain.pixel(outside, y - 10));
  // A new drag elsewhere removes the old rectangle exactly.
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(outside, y));
  EXPECT_EQ(graph->BackBuffer().pixel(inside, y - 10), plain.pixel(inside, y - 10));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(outside, y));
  // Drawn anew, the graph shows the selection in its own colour, without the rectangle.
  Wave().SetSelection(10000, 20000);
  dlg->Redraw(kWaveBuffer);
  EXPECT_EQ(graph->BackBuffer().pixel(inside, y - 10), plain.pixel(inside, y - 10));
}

TEST_F(EditDlgTest, DraggingPastTheEdgeScrollsAndKeepsScrollingEvery300Ms) {
  MakeWave(441000);
  ASSERT_TRUE(Open());
  // Show the first second only.
  EditBuffer& w = Wave();
  w.Box()->SetXRange(0.0, 1000.0);
  dlg->Redraw(kWaveBuffer);
  QWidget* graph = Child<QWidget>("wave_graph");
  const int y = graph->height() / 2;
  const double startMs = w.Box()->X().ValueStart();
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(dlg->DeviceXOfFrame(kWaveBuffer, 20000), y));
  QTest::mouseMove(graph, QPoint(graph->width() - 1, y));
  const double afterMove = w.Box()->X().ValueStart();
  EXPECT_GT(afterMove, startMs);  // one step to the right
  QTest::qWait(CEditDlg::kAutoScrollMs * 2 + 100);
  EXPECT_GT(w.Box()->X().ValueStart(), afterMove);  // and again while the pointer stays
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(graph->width() - 1, y));
  EXPECT_NEAR(w.Start(), 20000, 441000.0 / graph->width() + 1);
  EXPECT_GT(w.End(), 44100u);
}

// --- play and stop ------------------------------------------------------------------------

TEST_F(EditDlgTest, PlayingLocksTheOperationButtonsUntilBothBuffersStop) {
  MakeWave(44100);
  ASSERT_TRUE(Open());
  Wave().SetSelection(0, 22049);
  auto* copy = Child<QPushButton>("temp_copy");
  Child<QPushButton>("wave_play")->click();
  ASSERT_TRUE(Wave().Wave().IsBusy());
  EXPECT_FALSE(dlg->OperationsEnabled());
  EXPECT_FALSE(copy->isEnabled());
  Child<QPushButton>("wave_stop")->click();
  EXPECT_FALSE(Wave().Wave().IsBusy());
  QTest::qWait(CEditDlg::kPlayPollMs * 3);
  EXPECT_TRUE(copy->isEnabled());

  // A selection of one frame does not play.
  Wave().SetSelection(5, 5);
  dlg->Play(kWaveBuffer);
  EXPECT_FALSE(Wave().Wave().IsBusy());
}

// --- the hand-over ------------------------------------------------------------------------

TEST_F(EditDlgTest, CancelLeavesTheDocumentAsBefore) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  EXPECT_EQ(doc.Wave().FrameCount(), 4096u);  // stashed meanwhile
  Wave().SetSelection(0, 999);
  dlg->ReverseSelection(kWaveBuffer);
  dlg->reject();
  dlg->HandBack(false);
  EXPECT_EQ(Bytes(doc.Wave()), original);
  EXPECT_FALSE(std::ifstream(path).good());  // the stash is gone
}

TEST_F(EditDlgTest, OkHandsTheEditsToTheDocument) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  Wave().SetSelection(0, 499);
  dlg->DeleteSelection(kWaveBuffer);
  const std::vector<uint8_t> edited = Bytes(Wave().Wave());
  dlg->accept();
  dlg->HandBack(true);
  EXPECT_EQ(doc.Wave().FrameCount(), 500u);
  EXPECT_EQ(Bytes(doc.Wave()), edited);
  EXPECT_EQ(doc.Wave().Device(), &wnd);
  EXPECT_FALSE(std::ifstream(path).good());
  EXPECT_TRUE(dlg->HandOverPath().empty());  // nothing left for the view to restore
}

TEST_F(EditDlgTest, OkKeepsTheEditsWhenTheHandOverFileCannotBeWritten) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  Wave().SetSelection(0, 999);
  dlg->FadeSelection(kWaveBuffer, false);
  const std::vector<uint8_t> edited = Bytes(Wave().Wave());
  // The hand-over file's folder goes read-only: nothing may depend on writing it.
  std::remove(path.c_str());
  TempDir dir;
  ASSERT_EQ(::mkdir(path.c_str(), 0500), 0);
  dlg->HandBack(true);
  ::rmdir(path.c_str());
  EXPECT_EQ(Bytes(doc.Wave()), edited);
}

TEST_F(EditDlgTest, CancelKeepsTheWaveBufferWhenTheHandOverFileCannotBeRead) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  std::ofstream(path, std::ios::trunc) << "not a wave";
  prompt.boxes.clear();
  dlg->HandBack(false);
  // Not the 4096 silent frames of the stash: the copy the dialog held.
  EXPECT_EQ(Bytes(doc.Wave()), original);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_NE(prompt.boxes[0].text.find("戻せませんでした"), std::string::npos);
  std::remove(path.c_str());
}

TEST_F(EditDlgTest, AnUnreadableHandOverFileAtTheStartIsReportedAndKept) {
  MakeWave(1000);
  path = doc.StashWave();
  ASSERT_FALSE(path.empty());
  // Cut short: neither the dialog nor the document can read it back.
  std::filesystem::resize_file(path, 100);
  CEditDlg d;
  prompt.boxes.clear();
  EXPECT_FALSE(d.Initialise(doc, kBoxWaveMono, path));
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_NE(prompt.boxes[0].text.find(path), std::string::npos);
  EXPECT_TRUE(std::ifstream(path).good());  // kept for whoever can rescue it
  d.HandBack(false);                        // nothing more happens
  EXPECT_EQ(prompt.boxes.size(), 1u);
  std::remove(path.c_str());
}

TEST_F(EditDlgTest, WithoutAHandOverFileTheDialogWorksOnACopy) {
  MakeWave(300);
  ASSERT_TRUE(Open(false));
  EXPECT_EQ(Bytes(Wave().Wave()), original);
  Wave().SetSelection(0, 299);
  dlg->ReverseSelection(kWaveBuffer);
  dlg->HandBack(false);
  EXPECT_EQ(Bytes(doc.Wave()), original);
}

TEST_F(EditDlgTest, LoadingA22050HzFileIntoA44100HzWaveBufferConvertsIt) {
  MakeWave(1000);
  ASSERT_TRUE(Open());
  TempDir dir;
  // Half a second of a 1 kHz tone, 8-bit mono at 22050 Hz.
  CWave file;
  file.SetFormat(22050, 8, 1);
  ASSERT_TRUE(file.Allocate(11025));
  for (uint32_t i = 0; i < 11025; ++i) file.SetSample(i, static_cast<int>(16000 * std::sin(2 * M_PI * 1000 * i / 22050.0)), kChannelBoth);
  ASSERT_TRUE(file.SaveWaveFile(dir.Path("tone.wav"), 0, 0));
  prompt.boxes.clear();
  EXPECT_TRUE(dlg->LoadTempFile(dir.Path("tone.wav")));
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].title, "データ読込");
  EXPECT_EQ(prompt.boxes[0].text, "読み込んだｳｪｰﾌﾞﾃﾞｰﾀはｳｪｰﾌﾞﾌｫｰﾏｯﾄが一致しないため、\nﾌｫｰﾏｯﾄ変換しました。");
  const CWave& temp = Temp().Wave();
  EXPECT_EQ(temp.Rate(), 44100u);
  EXPECT_EQ(temp.Bits(), 16);
  EXPECT_EQ(temp.Channels(), 2);
  EXPECT_NEAR(static_cast<double>(temp.FrameCount()), 22050.0, 2.0);
  // Still the tone: a quarter period (11.025 frames) after a rising zero it is near its top.
  EXPECT_GT(temp.GetPeak(0, temp.FrameCount() - 1, kChannelLeft), 14000);
  EXPECT_EQ(temp.GetSample(100, kChannelLeft), temp.GetSample(100, kChannelRight));
  EXPECT_EQ(Temp().Start(), 0u);
  EXPECT_EQ(Temp().End(), temp.FrameCount());
  EXPECT_EQ(Child<QComboBox>("temp_channels")->count(), 3);

  // A file of the wave buffer's own format comes in as it is, without a message.
  ASSERT_TRUE(Wave().Wave().SaveWaveFile(dir.Path("same.wav"), 0, 0));
  prompt.boxes.clear();
  EXPECT_TRUE(dlg->LoadTempFile(dir.Path("same.wav")));
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_EQ(Bytes(Temp().Wave()), original);

  // A file that cannot be read leaves the buffer as it was.
  std::ofstream(dir.Path("bad.wav")) << "RIFF but not a wave";
  EXPECT_FALSE(dlg->LoadTempFile(dir.Path("bad.wav")));
  EXPECT_EQ(Bytes(Temp().Wave()), original);
}

// --- what the user sees -------------------------------------------------------------------

TEST_F(EditDlgTest, ContextMenusHoldTheirCommandsAndTexts) {
  const auto& wave = CEditDlg::ContextMenu(kWaveBuffer);
  const auto& temp = CEditDlg::ContextMenu(kTempBuffer);
  ASSERT_EQ(wave.size(), 9u);
  ASSERT_EQ(temp.size(), 9u);
  EXPECT_STREQ(wave[0].text, "コピー（ｳｪｰﾌﾞ → ﾃﾝﾎﾟﾗﾘ）");
  EXPECT_EQ(wave[8].id, 32805);
  EXPECT_STREQ(wave[8].text, "ｳｪｰﾌﾞﾊﾞｯﾌｧﾃﾞｰﾀ 操作ｷｬﾝｾﾙ");
  EXPECT_STREQ(temp[1].text, "合成（ﾃﾝﾎﾟﾗﾘ → ｳｪｰﾌﾞ）");
  EXPECT_EQ(temp[4].id, 32817);
  EXPECT_STREQ(temp[8].text, "ﾃﾝﾎﾟﾗﾘﾊﾞｯﾌｧﾃﾞｰﾀ操作ｷｬﾝｾﾙ");
}

TEST_F(EditDlgTest, ScreenshotsWithASelectionInEachBuffer) {
  // Two seconds of a swelling 110 Hz tone on the left and 330 Hz on the right.
  CWave& w = doc.Wave();
  w.SetFormat(44100, 16, 2);
  ASSERT_TRUE(w.Allocate(88200));
  for (uint32_t i = 0; i < 88200; ++i) {
    const double t = i / 44100.0;
    w.SetSample(i, static_cast<int>(20000 * t / 2 * std::sin(2 * M_PI * 110 * t)), kChannelLeft);
    w.SetSample(i, static_cast<int>(12000 * std::sin(2 * M_PI * 330 * t)), kChannelRight);
  }
  ASSERT_TRUE(Open());
  QTest::qWait(CEditDlg::kRedrawDelayMs * 5);
  MaybeShoot(*dlg, QStringLiteral("edit_dlg_opened"));
  Wave().SetSelection(20000, 50000);
  Temp().Wave().CopyFrom(Wave().Wave());
  Temp().Wave().Fade(0, 88199, 0, 100, kChannelBoth);
  Temp().FollowWave();
  Temp().ShowWhole();
  Temp().SetSelection(60000, 80000);
  dlg->ChooseChannel(kTempBuffer, 0);
  dlg->Redraw(kTempBuffer);
  // The wave buffer's selection dragged with the mouse: the rectangle stays until a redraw.
  QWidget* graph = Child<QWidget>("wave_graph");
  const int y = graph->height() / 2;
  QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(dlg->DeviceXOfFrame(kWaveBuffer, 20000), y));
  QTest::mouseMove(graph, QPoint(dlg->DeviceXOfFrame(kWaveBuffer, 50000), y));
  QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(dlg->DeviceXOfFrame(kWaveBuffer, 50000), y));
  MaybeShoot(*dlg, QStringLiteral("edit_dlg"));
  Wave().SetSelection(20000, 50000);
  OnNextDialog<CLevelDlg>([](CLevelDlg& d) {
    d.findChild<QSpinBox*>(QStringLiteral("percent"))->setValue(400);
    MaybeShoot(d, QStringLiteral("edit_level_dlg"));
  }, false);
  dlg->ChangeLevel(kWaveBuffer);
  OnNextDialog<CMixDlg>([](CMixDlg& d) { MaybeShoot(d, QStringLiteral("edit_mix_dlg")); }, false);
  dlg->MixSelection(kWaveBuffer);
  OnNextDialog<CCopyDlg>([](CCopyDlg& d) { MaybeShoot(d, QStringLiteral("edit_copy_dlg")); }, false);
  dlg->CopySelection(kTempBuffer);
  OnNextDialog<CDelayDlg>([](CDelayDlg& d) { MaybeShoot(d, QStringLiteral("edit_delay_dlg")); }, false);
  dlg->EchoSelection(kTempBuffer);
  EXPECT_EQ(Child<QLabel>("wave_total")->text(), QStringLiteral("全長:88200( 2.00sec)"));
}

}  // namespace
