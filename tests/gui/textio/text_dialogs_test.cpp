// The text output and input dialogs, driven as a user drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "core/doc/wav_doc.h"
#include "core/graph/fft_box.h"
#include "core/io/cp932.h"
#include "core/wave/wave.h"
#include "gui/textio/text_in_dlg.h"
#include "gui/textio/text_out_dlg.h"
#include "support/dialog_driving.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace {

void FillSine(CWave& wave, uint16_t channels, uint32_t frames) {
  wave.SetFormat(44100, 16, channels);
  ASSERT_TRUE(wave.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    wave.SetSample(i, static_cast<int>(12000 * std::sin(i * 0.0625)), kChannelLeft);
    if (channels == 2) wave.SetSample(i, static_cast<int>(-6000 * std::sin(i * 0.25)), kChannelRight);
  }
}

QPushButton* OkButton(QDialog& dlg) {
  auto* buttons = dlg.findChild<QDialogButtonBox*>();
  return buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
}

int Lines(const QString& text) { return static_cast<int>(text.count(QLatin1Char('\n'))) + 1; }

}  // namespace

TEST(TextOutDlg, ChannelsWithDataAreEnabledAMomentAfterOpening) {
  CWave wave;
  FillSine(wave, 2, 100);
  CTextOutDlg::Values v;
  v.mode = CTextOutDlg::Mode::kWave;
  v.available = CTextOutDlg::kLeftAvailable | CTextOutDlg::kRightAvailable;
  v.wave = &wave;
  CTextOutDlg dlg(v);
  auto* left = Child<QCheckBox>(dlg, "left");
  auto* right = Child<QCheckBox>(dlg, "right");
  auto* mono = Child<QCheckBox>(dlg, "mono");
  // Every available channel starts chosen.
  EXPECT_TRUE(left->isChecked());
  EXPECT_TRUE(right->isChecked());
  EXPECT_FALSE(mono->isChecked());
  dlg.show();
  EXPECT_FALSE(left->isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return left->isEnabled(); }, 2000));
  EXPECT_TRUE(right->isEnabled());
  EXPECT_FALSE(mono->isEnabled());
  EXPECT_EQ(Child<QCheckBox>(dlg, "stepColumn")->text(), QStringLiteral("時間出力"));
  EXPECT_TRUE(Child<QLabel>(dlg, "description")->text().startsWith(
      QStringLiteral("ウェーブデータをテキストファイルに保存します。\n保存するテキストファイルのサイズは、")));
  // The preview follows a moment later, without a change.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.ShownPreview().isEmpty(); }, 2000));
}

TEST(TextOutDlg, PreviewShowsTheFilesFirstThirtyRowsAndFollowsEveryChange) {
  CWave wave;
  FillSine(wave, 2, 1000);
  CTextOutDlg::Values v;
  v.mode = CTextOutDlg::Mode::kWave;
  v.available = CTextOutDlg::kLeftAvailable | CTextOutDlg::kRightAvailable | CTextOutDlg::kMonoAvailable;
  v.wave = &wave;
  CTextOutDlg dlg(v);
  dlg.resize(620, 640);
  dlg.show();
  dlg.FlushTimers();
  // Title, four conditions, names, 30 rows (and the end of the last line).
  EXPECT_EQ(Lines(dlg.ShownPreview()), 1 + 4 + 1 + 30 + 1);
  EXPECT_TRUE(dlg.ShownPreview().contains(
      QStringLiteral("時間(sec) , Ｌchレベル(%) , Ｒchレベル(%) , ＬＲ合成波レベル\n0.000000 , ")));
  MaybeShoot(dlg, QStringLiteral("text_out_dlg_wave"));

  Child<QCheckBox>(dlg, "conditions")->setChecked(false);
  Child<QCheckBox>(dlg, "left")->setChecked(false);
  Child<QCheckBox>(dlg, "right")->setChecked(false);
  Child<QLineEdit>(dlg, "delimiter")->setText(QStringLiteral("\t"));
  // Nothing is redrawn before the preview's timer runs out.
  EXPECT_TRUE(dlg.ShownPreview().contains(QStringLiteral("チャンネル数 , 2")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.ShownPreview().contains(QStringLiteral("チャンネル数")); }, 2000));
  EXPECT_TRUE(dlg.ShownPreview().startsWith(QStringLiteral("ウェーブデータ\n時間(sec)\tＬＲ合成波レベル\n0.000000\t0.000000\n")));
  EXPECT_EQ(Lines(dlg.ShownPreview()), 1 + 1 + 30 + 1);
}

TEST(TextOutDlg, SpectrumModeWritesTheSpectrumFileOfTheChosenBoxes) {
  CWavDoc doc;
  FillSine(doc.Wave(), 2, 8192);
  doc.Settings().fftRangeEnd = 8191;
  ASSERT_TRUE(doc.SetBox(kBoxFftLeft));
  ASSERT_TRUE(doc.SetBox(kBoxFftMono));
  doc.RunSteppingAnalysis();
  CTextOutDlg::Values v;
  v.mode = CTextOutDlg::Mode::kSpectrum;
  v.available = CTextOutDlg::kLeftAvailable | CTextOutDlg::kMonoAvailable;
  v.wave = &doc.Wave();
  v.spectrumLeft = dynamic_cast<CFFTBox*>(doc.GetBox(kBoxFftLeft));
  v.spectrumMono = dynamic_cast<CFFTBox*>(doc.GetBox(kBoxFftMono));
  v.font = doc.GetDocumentFont();
  CTextOutDlg dlg(v);
  dlg.resize(620, 640);
  dlg.show();
  dlg.FlushTimers();
  EXPECT_EQ(Child<QCheckBox>(dlg, "stepColumn")->text(), QStringLiteral("周波数出力"));
  EXPECT_EQ(Child<QLabel>(dlg, "description")->text(), QStringLiteral("FFTの計算結果をテキストファイルに保存します。"));
  EXPECT_TRUE(dlg.ShownPreview().startsWith(QStringLiteral(
      "ＦＦＴデータ\n周波数分解能(Hz) , 43.066406\n周波数範囲(Hz) , 0.000000～22006.933594\n"
      "ブロックサイズ(samples) , 1024\n")));
  MaybeShoot(dlg, QStringLiteral("text_out_dlg_spectrum"));

  // Without the mono column the conditions still come from the mono box.
  Child<QCheckBox>(dlg, "mono")->setChecked(false);
  TempDir dir;
  Child<QLineEdit>(dlg, "fileName")->setText(QString::fromStdString(dir.Path("fft.txt")));
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const CTextOutDlg::Values& r = dlg.Result();
  EXPECT_TRUE(r.left);
  EXPECT_FALSE(r.mono);
  ASSERT_TRUE(CTextOutDlg::WriteFile(r));
  const std::vector<uint8_t> bytes = ReadAllBytes(dir.Path("fft.txt"));
  const std::string text = Cp932ToUtf8(std::string(bytes.begin(), bytes.end()));
  EXPECT_NE(text.find("\r\n平均回数 , "), std::string::npos);
  EXPECT_NE(text.find("\r\n周波数(Hz) , Ｌchレベル(%)\r\n0.000000 , "), std::string::npos);
  size_t rows = 0;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++rows;
  EXPECT_EQ(rows, 1u + 5u + 1u + 512u);

  CTextOutDlg::Values nowhere = r;
  nowhere.fileName = dir.Path("missing/fft.txt");
  EXPECT_FALSE(CTextOutDlg::WriteFile(nowhere));
}

TEST(TextOutDlg, OkWaitsForAFileName) {
  CWave wave;
  FillSine(wave, 1, 10);
  CTextOutDlg::Values v;
  v.available = CTextOutDlg::kMonoAvailable;
  v.wave = &wave;
  v.options.delimiter = ";";
  v.options.stepColumn = false;
  CTextOutDlg dlg(v);
  QPushButton* ok = OkButton(dlg);
  ASSERT_NE(ok, nullptr);
  EXPECT_FALSE(ok->isEnabled());
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  Child<QLineEdit>(dlg, "fileName")->setText(QStringLiteral("  out.txt "));
  EXPECT_TRUE(ok->isEnabled());
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result().fileName, "out.txt");
  EXPECT_EQ(dlg.Result().options.delimiter, ";");
  EXPECT_FALSE(dlg.Result().options.stepColumn);
  EXPECT_TRUE(dlg.Result().mono);
}

TEST(TextInDlg, OpensWithTheWavesLengthAndLetsEachEditFollowTheOther) {
  CTextInDlg::Values v;
  v.frameCount = 88200;
  v.channels = 1;
  v.bits = 8;
  v.rateHz = 96000;  // beyond what the dialog offers: held at 50000
  v.delimiter = " , ";
  CTextInDlg dlg(v);
  auto* frames = Child<QLineEdit>(dlg, "frameCount");
  auto* duration = Child<QLineEdit>(dlg, "duration");
  dlg.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !frames->text().isEmpty(); }, 2000));
  EXPECT_EQ(frames->text(), QStringLiteral("88200"));
  EXPECT_EQ(duration->text(), QStringLiteral("  1.76"));
  EXPECT_EQ(dlg.Result().rateHz, 50000u);
  EXPECT_EQ(Child<QLabel>(dlg, "formatShown")->text(), QStringLiteral("50000Hz　8 ﾋﾞｯﾄ　1ch(ﾓﾉﾗﾙ)"));
  EXPECT_TRUE(Child<QLabel>(dlg, "notes")->text().contains(
      QStringLiteral("OKボタンを押すと現在のウェーブデータは失われます。")));
  MaybeShoot(dlg, QStringLiteral("text_in_dlg"));

  frames->clear();
  QTest::keyClicks(frames, QStringLiteral("125000"));
  EXPECT_EQ(duration->text(), QStringLiteral("  2.50"));
  duration->clear();
  QTest::keyClicks(duration, QStringLiteral("0.75"));
  EXPECT_EQ(frames->text(), QStringLiteral("37500"));
  EXPECT_EQ(duration->text(), QStringLiteral("0.75"));  // the typed text stays as typed
  EXPECT_EQ(dlg.Result().frameCount, 37500);
}

TEST(TextInDlg, OkNeedsAFileAndFramesAndGivesTheFormatToRead) {
  CTextInDlg::Values v;
  v.frameCount = 1000;
  v.channels = 2;
  v.bits = 16;
  v.rateHz = 22050;
  v.delimiter = " , ";
  CTextInDlg dlg(v);
  dlg.show();
  dlg.FlushTimers();
  QPushButton* ok = OkButton(dlg);
  ASSERT_NE(ok, nullptr);
  EXPECT_FALSE(ok->isEnabled());
  Child<QLineEdit>(dlg, "fileName")->setText(QStringLiteral("in.txt"));
  EXPECT_TRUE(ok->isEnabled());
  auto* frames = Child<QLineEdit>(dlg, "frameCount");
  frames->clear();
  QTest::keyClicks(frames, QStringLiteral("abc"));
  EXPECT_FALSE(ok->isEnabled());
  frames->clear();
  QTest::keyClicks(frames, QStringLiteral("2205"));
  Child<QLineEdit>(dlg, "delimiter")->setText(QString());
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const WaveTextFormat f = dlg.Format();
  EXPECT_EQ(f.frameCount, 2205u);
  EXPECT_EQ(f.rateHz, 22050u);
  EXPECT_EQ(f.bits, 16);
  EXPECT_EQ(f.channels, 2);
  EXPECT_EQ(dlg.Result().delimiter, "");
  EXPECT_EQ(dlg.Result().fileName, "in.txt");
}

// "参照" in both dialogs: a text-file dialog that fills in the file name.
TEST(TextDialogs, BrowseOffersTextFilesAndTakesTheChosenName) {
  CWave wave;
  FillSine(wave, 1, 10);
  CTextOutDlg::Values outValues;
  outValues.available = CTextOutDlg::kMonoAvailable;
  outValues.wave = &wave;
  CTextOutDlg out(outValues);
  CTextInDlg::Values inValues;
  inValues.frameCount = 10;
  CTextInDlg in(inValues);
  TempDir dir;
  const QString chosen = QString::fromStdString(dir.Path("chosen.txt"));
  WriteAllBytes(dir.Path("chosen.txt"), {'1'});
  for (QDialog* dlg : {static_cast<QDialog*>(&out), static_cast<QDialog*>(&in)}) {
    const bool writing = dlg == &out;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!files || seen) return;
      seen = true;
      EXPECT_EQ(files->nameFilters(), (QStringList{QStringLiteral("Text Files(*.txt)"), QStringLiteral("All Files(*.*)")}));
      EXPECT_EQ(files->defaultSuffix(), QStringLiteral("txt"));
      EXPECT_EQ(files->acceptMode(), writing ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      files->setOption(QFileDialog::DontConfirmOverwrite);
      files->selectFile(chosen);
      static_cast<QDialog*>(files)->accept();
    });
    poll.start(5);
    dlg->show();
    Child<QPushButton>(*dlg, "browse")->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(Child<QLineEdit>(*dlg, "fileName")->text(), chosen);
  }
}

// "ｳｪｰﾌﾞﾌｫｰﾏｯﾄの指定": the wave format dialog chooses the format the file is read in.
TEST(TextInDlg, TheFormatButtonChoosesTheFormatToRead) {
  CTextInDlg::Values v;
  v.frameCount = 44100;
  v.channels = 2;
  v.bits = 16;
  v.rateHz = 44100;
  CTextInDlg dlg(v);
  dlg.show();
  dlg.FlushTimers();
  Child<QLineEdit>(dlg, "fileName")->setText(QStringLiteral("in.txt"));
  QTimer::singleShot(0, [] {
    auto* format = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(format, nullptr);
    auto* mono = format->findChild<QRadioButton*>(QStringLiteral("channels0"));
    auto* eight = format->findChild<QRadioButton*>(QStringLiteral("bits0"));
    auto* rate = format->findChild<QRadioButton*>(QStringLiteral("rate1"));
    ASSERT_TRUE(mono && eight && rate) << "the format dialog's buttons are named";
    mono->click();
    eight->click();
    rate->click();
    format->accept();
  });
  Child<QPushButton>(dlg, "format")->click();
  EXPECT_EQ(dlg.Result().channels, 1);
  EXPECT_EQ(dlg.Result().bits, 8);
  EXPECT_EQ(dlg.Result().rateHz, 22050u);
  // The duration follows the new rate: 44100 frames at 22050 Hz.
  EXPECT_EQ(Child<QLineEdit>(dlg, "duration")->text().trimmed(), QStringLiteral("2.00"));
}
