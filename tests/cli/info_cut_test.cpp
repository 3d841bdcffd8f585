// sonvue-cli info and cut, run as a user runs them.
#include <gtest/gtest.h>

#include "cli_run.h"
#include "core/doc/wav_doc.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

void WriteStereo(const std::string& path, uint32_t frames) {
  CWave w;
  w.SetFormat(44100, 16, 2);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i), kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

}  // namespace

TEST(CliInfo, PrintsOneKeyValuePerLine) {
  TempDir dir;
  WriteStereo(dir.Path("a.wav"), 22050);
  CliResult r = RunSonvueCli({"info", dir.Path("a.wav")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "format: PCM\nchannels: 2\nrate: 44100\nbits: 16\nblock_align: 4\nframes: 22050\n"
            "seconds: 0.500000\nchunks: fmt 18, data 88200, ZSTR 130\n");
}

TEST(CliInfo, RefusedFileExitsOneWithTheProgramsMessages) {
  TempDir dir;
  WriteAllBytes(dir.Path("bad.wav"),
                RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 8000, 16)).Chunk("data", {1, 2, 3, 4, 5, 6}).Build());
  CliResult r = RunSonvueCli({"info", dir.Path("bad.wav")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("error: error7 \n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ｿﾝﾋﾞｭｰ: Failed to load file\n"), std::string::npos) << r.err;

  EXPECT_EQ(RunSonvueCli({"info", dir.Path("none.wav")}).status, 1);
  EXPECT_EQ(RunSonvueCli({"info"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"info", "--bogus", "x"}).status, 2);
}

TEST(CliCut, SavesTheRangeAndRefusesBackwardRangesWithoutTouchingOut) {
  TempDir dir;
  WriteStereo(dir.Path("in.wav"), 1000);
  CliResult r = RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("out.wav"), "--from", "100", "--to", "350"});
  ASSERT_EQ(r.status, 0) << r.err;
  CWave out;
  ASSERT_TRUE(out.LoadWaveFile(dir.Path("out.wav")));
  EXPECT_EQ(out.FrameCount(), 250u);
  EXPECT_EQ(out.GetSample(0, kChannelLeft), 100);

  WriteAllBytes(dir.Path("keep.wav"), {'k'});
  r = RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("keep.wav"), "--from", "300", "--to", "200"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadAllBytes(dir.Path("keep.wav")), std::vector<uint8_t>{'k'});

  r = RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("whole.wav")});
  ASSERT_EQ(r.status, 0);
  ASSERT_TRUE(out.LoadWaveFile(dir.Path("whole.wav")));
  EXPECT_EQ(out.FrameCount(), 1000u);

  EXPECT_EQ(RunSonvueCli({"cut", dir.Path("in.wav"), dir.Path("x.wav"), "--from", "-3"}).status, 2);
}

TEST(CliHelp, ToolAndEveryCommandHaveHelp) {
  CliResult r = RunSonvueCli({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("info"), std::string::npos);
  EXPECT_NE(r.out.find("cut"), std::string::npos);
  for (const char* c : {"info", "cut"}) {
    CliResult h = RunSonvueCli({c, "--help"});
    EXPECT_EQ(h.status, 0) << c;
    std::string usage = "usage: sonvue-cli ";
    usage += c;
    EXPECT_NE(h.out.find(usage), std::string::npos) << c;
  }
  EXPECT_EQ(RunSonvueCli({"nonsense"}).status, 2);
  CliResult version = RunSonvueCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("sonvue-cli ") + SONVUE_VERSION + "\n");
}

TEST(CliInfo, DocumentsShowTheirPageBoxesAndSettings) {
  TempDir dir;
  WriteStereo(dir.Path("a.wav"), 4410);
  RecordingPrompt quiet;
  CWavDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(dir.Path("a.wav")));
  doc.Settings().fftFlags = kFftWindow;
  doc.Settings().overlapIndex = 2;
  ASSERT_TRUE(doc.OnSaveDocument(dir.Path("a.wft")));
  CliResult r = RunSonvueCli({"info", dir.Path("a.wft")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("document: wft\nformat: PCM\nchannels: 2\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("frames: 4410\n"), std::string::npos);
  EXPECT_NE(r.out.find("page: 1200 x 1800\n"), std::string::npos);
  EXPECT_NE(r.out.find("boxes: wave:L,wave:R,info\n"), std::string::npos);
  EXPECT_NE(r.out.find("averaging: 4\noverlap: 2\nwindow: on\n"), std::string::npos) << r.out;

  WriteAllBytes(dir.Path("bad.wft"), {220, 0, 0, 0, 9, 3, 0, 0, 1, 1, 1, 1});
  r = RunSonvueCli({"info", dir.Path("bad.wft")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("error: データファイルが不正です"), std::string::npos) << r.err;
}
