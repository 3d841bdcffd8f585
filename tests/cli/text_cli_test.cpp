// sonvue-cli export-wave and import-text, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli_run.h"
#include "core/io/cp932.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

// A 16-bit wave at 8000 Hz: left rises by 100 per frame from -1000, right falls.
void WriteWave(const std::string& path, uint16_t channels, uint32_t frames) {
  CWave w;
  w.SetFormat(8000, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    w.SetSample(i, static_cast<int>(i) * 100 - 1000, kChannelLeft);
    if (channels == 2) w.SetSample(i, 1000 - static_cast<int>(i) * 100, kChannelRight);
  }
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::string FileText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(CliExportWave, WritesTheTextFileWithTheChosenParts) {
  TempDir dir;
  WriteWave(dir.Path("in.wav"), 2, 3);
  CliResult r = RunSonvueCli({"export-wave", dir.Path("in.wav"), dir.Path("all.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileText(dir.Path("all.txt")),
            Utf8ToCp932("ウェーブデータ\r\nサンプリング周波数(Hz) , 8000\r\n"
                        "データビットサイズ(bits) , 16\r\nチャンネル数 , 2\r\n"
                        "総サンプル数(samples) , 3\r\n時間(sec) , Ｌchレベル(%) , Ｒchレベル(%)\r\n"
                        "0.000000 , -3.051758 , 3.051758\r\n0.000125 , -2.746582 , 2.746582\r\n"
                        "0.000250 , -2.441406 , 2.441406\r\n"));

  r = RunSonvueCli({"export-wave", dir.Path("in.wav"), dir.Path("m.txt"), "--channels", "m",
                    "--no-conditions", "--no-names", "--no-time", "--delimiter", "\t"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileText(dir.Path("m.txt")), Utf8ToCp932("ウェーブデータ\r\n0.000000\r\n0.000000\r\n0.000000\r\n"));

  r = RunSonvueCli({"export-wave", dir.Path("in.wav"), dir.Path("w.csv"), "--csv", "--channels", "R,L"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileText(dir.Path("w.csv")),
            "time_s,L,R\n0.000000,-3.051758,3.051758\n0.000125,-2.746582,2.746582\n"
            "0.000250,-2.441406,2.441406\n");
}

TEST(CliImportText, ReadsBackWhatExportWroteWithinOneStep) {
  TempDir dir;
  WriteWave(dir.Path("in.wav"), 2, 21);
  ASSERT_EQ(RunSonvueCli({"export-wave", dir.Path("in.wav"), dir.Path("w.txt"), "--no-time"}).status, 0);
  CliResult r = RunSonvueCli({"import-text", dir.Path("w.txt"), dir.Path("back.wav"), "--rate", "8000",
                              "--bits", "16", "--channels", "2", "--frames", "25"});
  ASSERT_EQ(r.status, 0) << r.err;
  CWave original, back;
  ASSERT_TRUE(original.LoadWaveFile(dir.Path("in.wav")));
  ASSERT_TRUE(back.LoadWaveFile(dir.Path("back.wav")));
  ASSERT_EQ(back.FrameCount(), 25u);
  EXPECT_EQ(back.Rate(), 8000u);
  for (uint32_t f = 0; f < 21; ++f) {
    for (int c : {kChannelLeft, kChannelRight}) {
      EXPECT_LE(std::abs(back.GetSample(f, c) - original.GetSample(f, c)), 1) << f;
    }
  }
  EXPECT_EQ(back.GetSample(24, kChannelLeft), 0);  // past the file's rows: silence

  // One channel, 8 bits, no delimiter.
  WriteAllBytes(dir.Path("m.txt"), {'1', '0', '0', '\r', '\n', '-', '1', '0', '0', '\n'});
  r = RunSonvueCli({"import-text", dir.Path("m.txt"), dir.Path("m.wav"), "--rate", "11025", "--bits", "8",
                    "--channels", "1", "--frames", "2", "--delimiter", ""});
  ASSERT_EQ(r.status, 0) << r.err;
  CWave m;
  ASSERT_TRUE(m.LoadWaveFile(dir.Path("m.wav")));
  EXPECT_EQ(m.GetData()[0], 255);
  EXPECT_EQ(m.GetData()[1], 0);
}

TEST(CliTextCommands, RefuseWrongRequestsWithoutTouchingOut) {
  TempDir dir;
  WriteWave(dir.Path("mono.wav"), 1, 4);
  WriteAllBytes(dir.Path("keep.txt"), {'k'});
  WriteAllBytes(dir.Path("keep.wav"), {'k'});
  WriteAllBytes(dir.Path("t.txt"), {'1', '\n'});
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
  };
  const std::string in = dir.Path("mono.wav"), txt = dir.Path("t.txt");
  const std::string keepTxt = dir.Path("keep.txt"), keepWav = dir.Path("keep.wav");
  const Case cases[] = {
      {"unreadable wave", {"export-wave", dir.Path("none.wav"), keepTxt}, 1},
      {"one channel has no L", {"export-wave", in, keepTxt, "--channels", "L"}, 1},
      {"bad channel list", {"export-wave", in, keepTxt, "--channels", "L,X"}, 2},
      {"csv with a text option", {"export-wave", in, keepTxt, "--csv", "--no-time"}, 2},
      {"uncreatable out", {"export-wave", in, dir.Path("no/dir/x.txt")}, 1},
      {"missing frames", {"import-text", txt, keepWav, "--rate", "8000", "--bits", "16", "--channels", "1"}, 2},
      {"rate too high", {"import-text", txt, keepWav, "--rate", "96000", "--bits", "16", "--channels", "1", "--frames", "1"}, 2},
      {"24 bits", {"import-text", txt, keepWav, "--rate", "8000", "--bits", "24", "--channels", "1", "--frames", "1"}, 2},
      {"no frames", {"import-text", txt, keepWav, "--rate", "8000", "--bits", "8", "--channels", "1", "--frames", "0"}, 2},
      {"unreadable text", {"import-text", dir.Path("none.txt"), keepWav, "--rate", "8000", "--bits", "16", "--channels", "1", "--frames", "1"}, 1},
      {"unallocatable", {"import-text", txt, keepWav, "--rate", "8000", "--bits", "16", "--channels", "2", "--frames", "2147483647"}, 1},
  };
  for (const Case& c : cases) {
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_NE(r.err, "") << c.what;
  }
  EXPECT_EQ(FileText(keepTxt), "k");
  EXPECT_EQ(FileText(keepWav), "k");
}
