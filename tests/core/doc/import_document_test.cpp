// Documents of imported audio files: they open with no path (titled after the file), say
// where their samples came from, and never write over the original.
#include <gtest/gtest.h>
#include <sndfile.h>

#include "core/doc/wav_doc.h"
#include "core/graph/info_box.h"
#include "core/wave/audio_import.h"
#include "support/audio_writer.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

// A 24-bit six-channel FLAC file of 1000 frames: channel c holds 100 * c + frame, in 16-bit
// steps, so every opened sample names its channel.
std::string WriteSixChannelFlac(const TempDir& dir, const std::string& name) {
  std::vector<int32_t> samples;
  for (int i = 0; i < 1000; ++i) {
    for (int c = 1; c <= 6; ++c) samples.push_back((100 * c + i) << 16);
  }
  const std::string path = dir.Path(name);
  EXPECT_TRUE(WriteAudioInts(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 6, samples));
  return path;
}

const CInfoBox* InfoBox(const CWavDoc& doc) { return dynamic_cast<const CInfoBox*>(doc.GetBox(kBoxInfo)); }

}  // namespace

TEST(ImportedDocument, OpensWithoutAPathTitledAfterItsFile) {
  TempDir dir;
  const std::string path = WriteSixChannelFlac(dir, "take 3.flac");
  const std::vector<uint8_t> original = ReadAllBytes(path);
  RecordingPrompt prompt;
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(path));
  EXPECT_EQ(doc.PathName(), "");
  EXPECT_EQ(doc.Title(), "take 3.flac");
  EXPECT_EQ(doc.ImportedFrom(), path);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(WaveFileName(doc.Settings()), "take 3.flac");
  EXPECT_EQ(doc.Settings().fftRangeEnd, 1000u);
  EXPECT_TRUE(doc.GetBox(kBoxWaveLeft) && doc.GetBox(kBoxWaveRight));
  EXPECT_EQ(doc.Wave().GetSample(5, kChannelRight), 205);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text,
            "FLAC（24ビット、96000 Hz、6チャンネル）を16ビット・2チャンネルに変換して開きました。\n"
            "6チャンネルのうち、チャンネル 1 と 2 を開きました。");
  // The information box says what the file held after the length.
  ASSERT_TRUE(InfoBox(doc));
  EXPECT_EQ(InfoBox(doc)->LengthText(), "総ｻﾝﾌﾟﾙ数 = 1000　   0.010 秒  元：FLAC 24ﾋﾞｯﾄ 6ch(1,2)");
  EXPECT_EQ(InfoBox(doc)->FormatText(), "ｻﾝﾌﾟﾘﾝｸﾞ周波数：96000 ｻﾝﾌﾟﾙ/秒　ﾃﾞｰﾀ長：16 ﾋﾞｯﾄ　ﾁｬﾝﾈﾙ数：2(ｽﾃﾚｵ)");

  // Saved under a name of its own, the original stays as it was.
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("take 3.wft")));
  EXPECT_EQ(ReadAllBytes(path), original);
  EXPECT_EQ(doc.PathName(), dir.Path("take 3.wft"));
}

TEST(ImportedDocument, OpensThePickedChannels) {
  TempDir dir;
  const std::string path = WriteSixChannelFlac(dir, "six.flac");
  RecordingPrompt prompt;
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(path, ChannelPick{3, 4}));
  EXPECT_EQ(doc.Wave().GetSample(9, kChannelLeft), 309);
  EXPECT_EQ(doc.Wave().GetSample(9, kChannelRight), 409);
  EXPECT_NE(InfoBox(doc)->LengthText().find("6ch(3,4)"), std::string::npos);
}

TEST(ImportedDocument, PlainWaveFilesAndDocumentsKeepTheirPaths) {
  TempDir dir;
  RecordingPrompt prompt;
  CWave w;
  w.SetFormat(22050, 16, 1);
  ASSERT_TRUE(w.Allocate(300));
  ASSERT_TRUE(w.SaveWaveFile(dir.Path("plain.wav"), 0, 0));
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("plain.wav")));
  EXPECT_EQ(doc.PathName(), dir.Path("plain.wav"));
  EXPECT_EQ(doc.ImportedFrom(), "");
  EXPECT_EQ(InfoBox(doc)->LengthText().find("元："), std::string::npos);
  // A document file is recognised by its header, whatever its name.
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("saved.wft")));
  std::rename(dir.Path("saved.wft").c_str(), dir.Path("saved.backup").c_str());
  EXPECT_TRUE(OpensAsDocument(dir.Path("saved.backup")));
  EXPECT_FALSE(OpensAsDocument(dir.Path("plain.wav")));
  CWavDoc again;
  ASSERT_TRUE(again.OnOpenDocument(dir.Path("saved.backup")));
  EXPECT_EQ(again.PathName(), dir.Path("saved.backup"));
  EXPECT_EQ(again.Wave().FrameCount(), 300u);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(ImportedDocument, AFileNeitherWayReadsShowsTheReadersBoxThenWhatWasFound) {
  TempDir dir;
  WriteAllBytes(dir.Path("song.mp3"), std::vector<uint8_t>{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 1, 2, 3});
  RecordingPrompt prompt;
  CWavDoc doc;
  EXPECT_FALSE(doc.OnOpenDocument(dir.Path("song.mp3")));
  ASSERT_EQ(prompt.boxes.size(), 2u);
  EXPECT_EQ(prompt.boxes[0].text, "error2 ");
  EXPECT_NE(prompt.boxes[1].text.find("見つかった形式：MPEG オーディオ（ID3 タグ付き）"), std::string::npos);
  EXPECT_EQ(doc.Wave().FrameCount(), 0u);
  // A broken document is still a document: its own message, not the audio ones.
  WriteAllBytes(dir.Path("broken.wft"), std::vector<uint8_t>(12, 0));
  prompt.boxes.clear();
  EXPECT_FALSE(doc.OnOpenDocument(dir.Path("broken.wft")));
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "データファイルが不正です");
}

TEST(ImportedDocument, LoadingIntoAWindowKeepsTheDocumentsPathAndTellsTheSource) {
  TempDir dir;
  const std::string flac = WriteSixChannelFlac(dir, "six.flac");
  RecordingPrompt prompt;
  CWavDoc doc;
  doc.SetPathName(dir.Path("measurement.wft"));
  doc.OnNewDocument();
  ASSERT_TRUE(doc.LoadWaveIntoDocument(flac));
  EXPECT_EQ(doc.PathName(), dir.Path("measurement.wft"));
  EXPECT_EQ(doc.Wave().Channels(), 2);
  EXPECT_TRUE(doc.Wave().Source());
  EXPECT_NE(InfoBox(doc)->LengthText().find("元：FLAC"), std::string::npos);
  EXPECT_EQ(WaveFileName(doc.Settings()), "six.flac");
  ASSERT_EQ(prompt.boxes.size(), 1u);  // the conversion message
}
