// The view's text file commands, with their dialogs answered as a user answers them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

#include "core/doc/app_settings.h"
#include "core/doc/wav_doc.h"
#include "core/io/cp932.h"
#include "gui/app/command_ids.h"
#include "gui/app/command_registry.h"
#include "gui/app/wav_view.h"
#include "gui/textio/text_in_dlg.h"
#include "gui/textio/text_out_dlg.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

class TextCommandTest : public ::testing::Test {
 protected:
  void Open(uint16_t channels, uint32_t frames) {
    CWave& w = doc.Wave();
    w.SetFormat(44100, 16, channels);
    ASSERT_TRUE(w.Allocate(frames));
    for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 100) * 100, kChannelBoth);
    doc.Settings().fftRangeEnd = frames > 0 ? frames - 1 : 0;
    doc.CreateDefaultBoxes();
    view = std::make_unique<CWavView>(doc, app, nullptr);
    view->resize(600, 400);
  }

  // Runs a command; answer gets the modal dialog it opens (if any) and closes it.
  template <typename Dialog>
  void Run(int id, std::function<void(Dialog&)> answer) {
    bool answered = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      if (!dlg || answered) return;
      answered = true;
      dlg->FlushTimers();
      answer(*dlg);
      if (dlg->isVisible()) dlg->reject();
    });
    poll.start();
    FindViewCommand(id)->run(*view, id);
    dialogShown = answered;
  }

  static void SetText(QDialog& dlg, const char* name, const QString& text) {
    auto* edit = dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(edit, nullptr) << name;
    edit->clear();
    QTest::keyClicks(edit, text);
  }

  RecordingPrompt prompt;
  AppSettings app;
  CWavDoc doc{&app};
  std::unique_ptr<CWavView> view;
  bool dialogShown = false;
  TempDir dir;
};

}  // namespace

TEST_F(TextCommandTest, WithoutSourceBoxesOrFramesOnlyAMessageAppears) {
  Open(2, 1000);
  // The stereo wave's boxes are the left and right wave boxes; no spectrum is calculated.
  Run<CTextOutDlg>(cmd::kFftTextOut, [](CTextOutDlg&) {});
  EXPECT_FALSE(dialogShown);
  doc.RemoveBox(kBoxWaveLeft);
  doc.RemoveBox(kBoxWaveRight);
  Run<CTextOutDlg>(cmd::kWaveTextOut, [](CTextOutDlg&) {});
  EXPECT_FALSE(dialogShown);
  ASSERT_TRUE(doc.SetBox(kBoxWaveMono));
  doc.Wave().Free();
  Run<CTextOutDlg>(cmd::kWaveTextOut, [](CTextOutDlg&) {});
  EXPECT_FALSE(dialogShown);
  EXPECT_EQ(prompt.Texts(),
            (std::vector<std::string>{
                "テキスト出力の対象データがありません。\n出力対象のＦＦＴグラフを表示させてください。",
                "テキスト出力の対象データがありません。\n出力対象のウェーブグラフを表示させてください。",
                "実行できません。"}));
}

TEST_F(TextCommandTest, WaveOutputWritesTheFileAndKeepsTheOptions) {
  Open(2, 500);
  app.textOutDelimiter = ";";
  app.textOutStep = 0;
  const std::string path = dir.Path("wave.txt");
  Run<CTextOutDlg>(cmd::kWaveTextOut, [&](CTextOutDlg& dlg) {
    EXPECT_EQ(dlg.findChild<QLineEdit*>(QStringLiteral("delimiter"))->text(), QStringLiteral(";"));
    EXPECT_FALSE(dlg.findChild<QCheckBox*>(QStringLiteral("stepColumn"))->isChecked());
    EXPECT_FALSE(dlg.findChild<QCheckBox*>(QStringLiteral("mono"))->isEnabled());
    dlg.findChild<QCheckBox*>(QStringLiteral("right"))->setChecked(false);
    dlg.findChild<QCheckBox*>(QStringLiteral("conditions"))->setChecked(false);
    SetText(dlg, "delimiter", QStringLiteral("|"));
    SetText(dlg, "fileName", QString::fromStdString(path));
    dlg.accept();
  });
  ASSERT_TRUE(dialogShown);
  EXPECT_TRUE(prompt.Texts().empty());
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  const std::string text = Cp932ToUtf8(std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(text.substr(0, 62), "ウェーブデータ\r\nＬchレベル(%)\r\n0.000000\r\n0.305176\r\n");
  EXPECT_EQ(app.textOutDelimiter, "|");
  EXPECT_EQ(app.textOutConditions, 0);
  EXPECT_EQ(app.textOutStep, 0);
  EXPECT_EQ(app.textOutNames, 1);
}

TEST_F(TextCommandTest, AFileThatCannotBeWrittenIsReportedAndTheOptionsAreStillKept) {
  Open(1, 100);
  Run<CTextOutDlg>(cmd::kWaveTextOut, [&](CTextOutDlg& dlg) {
    dlg.findChild<QCheckBox*>(QStringLiteral("columnNames"))->setChecked(false);
    SetText(dlg, "fileName", QString::fromStdString(dir.Path("missing/wave.txt")));
    dlg.accept();
  });
  ASSERT_TRUE(dialogShown);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"テキストファイルへの保存に失敗しました。"});
  EXPECT_EQ(app.textOutNames, 0);
}

TEST_F(TextCommandTest, ReadingTextReplacesTheWaveAndMarksTheDocument) {
  Open(2, 44100);
  const std::string text = "時間(sec);L;R\r\n50;-25\r\n-50;25\r\n";
  WriteAllBytes(dir.Path("in.txt"), std::vector<uint8_t>(text.begin(), text.end()));
  doc.Settings().currentPosition = 40000;
  app.textOutDelimiter = " , ";
  Run<CTextInDlg>(cmd::kWaveTextIn, [&](CTextInDlg& dlg) {
    EXPECT_EQ(dlg.findChild<QLineEdit*>(QStringLiteral("frameCount"))->text(), QStringLiteral("44100"));
    EXPECT_EQ(dlg.findChild<QLineEdit*>(QStringLiteral("fileName"))->text(), QString());
    SetText(dlg, "fileName", QString::fromStdString(dir.Path("in.txt")));
    SetText(dlg, "frameCount", QStringLiteral("3"));
    SetText(dlg, "delimiter", QStringLiteral(";"));
    dlg.accept();
  });
  ASSERT_TRUE(dialogShown);
  EXPECT_TRUE(prompt.Texts().empty());
  EXPECT_EQ(doc.Wave().FrameCount(), 3u);
  EXPECT_EQ(doc.Wave().Channels(), 2);
  EXPECT_EQ(doc.Wave().GetSample(0, kChannelLeft), 16383);
  EXPECT_EQ(doc.Wave().GetSample(0, kChannelRight), -8191);
  EXPECT_EQ(doc.Wave().GetSample(1, kChannelLeft), -16383);
  EXPECT_EQ(doc.Wave().GetSample(2, kChannelRight), 0);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.Settings().fftRangeEnd, 2u);
  EXPECT_EQ(doc.Settings().currentPosition, 0u);
  EXPECT_EQ(app.textOutDelimiter, " , ");  // the input dialog does not store it
}

TEST_F(TextCommandTest, AFileThatCannotBeReadLeavesTheWave) {
  Open(2, 1000);
  Run<CTextInDlg>(cmd::kWaveTextIn, [&](CTextInDlg& dlg) {
    SetText(dlg, "fileName", QString::fromStdString(dir.Path("absent.txt")));
    dlg.accept();
  });
  ASSERT_TRUE(dialogShown);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"テキストファイルの読み込みに失敗しました。"});
  EXPECT_EQ(doc.Wave().FrameCount(), 1000u);
  EXPECT_EQ(doc.Wave().GetSample(5, kChannelLeft), 500);
  EXPECT_FALSE(doc.IsModified());
}
