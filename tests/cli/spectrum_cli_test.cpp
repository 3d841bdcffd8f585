// sonvue-cli spectrum, run as a user runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

// Left: a sine at half of full scale (16384 steps, 5000 on the level scale) exactly on bin
// 8 of N = 256 at 8000 Hz (250 Hz); right: silence.
void WriteSine(const std::string& path, uint32_t frames, uint16_t channels = 2) {
  CWave w;
  w.SetFormat(8000, 16, channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    w.SetSample(i, static_cast<int>(std::lround(16384 * std::sin(2 * M_PI * 250 * i / 8000.0))), kChannelLeft);
  }
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

std::vector<std::string> Lines(const std::string& text, char end = '\n') {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line, end);) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(CliSpectrum, CsvHoldsTheAveragedLevelsOfTheChosenChannels) {
  TempDir dir;
  WriteSine(dir.Path("a.wav"), 4000);
  CliResult r = RunSonvueCli({"spectrum", dir.Path("a.wav"), "--block", "256", "--channels", "M,L,R",
                              "--overlap", "2", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 1 + 128u);
  EXPECT_EQ(lines[0], "frequency_hz,L,R,M");
  // Bin 8 (250 Hz): 50 % on the left, nothing on the right, the mean of both in the middle;
  // 16-bit rounding moves a bin by at most 2 * 0.153 on the level scale, 0.0031 %.
  double f, l, rr, m;
  ASSERT_EQ(std::sscanf(lines[1 + 8].c_str(), "%lf,%lf,%lf,%lf", &f, &l, &rr, &m), 4);
  EXPECT_EQ(f, 250.0);
  EXPECT_NEAR(l, 50.0, 0.0031);
  EXPECT_EQ(rr, 0.0);
  EXPECT_NEAR(m, 25.0, 0.0031);

  r = RunSonvueCli({"spectrum", dir.Path("a.wav"), "--block", "256", "--channels", "L", "--db", "--window", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  lines = Lines(r.out);
  EXPECT_EQ(lines[0], "frequency_hz,L");
  ASSERT_EQ(std::sscanf(lines[1 + 8].c_str(), "%lf,%lf", &f, &l), 2);
  EXPECT_NEAR(l, 20 * std::log10(2500.0 / 10000.0), 0.002);  // windowed: half, -12 dB (0.31 in 2500)
}

TEST(CliSpectrum, TextFileIsTheProgramsFileInCp932WithCrLf) {
  TempDir dir;
  WriteSine(dir.Path("a.wav"), 3000);
  const std::string out = dir.Path("fft.txt");
  CliResult r = RunSonvueCli({"spectrum", dir.Path("a.wav"), "--block", "256", "--average", "all",
                              "--channels", "L,M", "--window", "--out", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string decoded = dir.Path("fft.utf8");
  ASSERT_EQ(std::system(("iconv -f CP932 -t UTF-8 '" + out + "' > '" + decoded + "'").c_str()), 0);
  const std::vector<uint8_t> bytes = ReadAllBytes(decoded);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 1 + 5 + 1 + 128u);
  for (const std::string& line : lines) ASSERT_EQ(line.back(), '\r') << line;
  EXPECT_EQ(lines[0], "ＦＦＴデータ\r");
  EXPECT_EQ(lines[1], "周波数分解能(Hz) , 31.250000\r");
  EXPECT_EQ(lines[2], "周波数範囲(Hz) , 0.000000～3968.750000\r");
  EXPECT_EQ(lines[3], "ブロックサイズ(samples) , 256\r");
  EXPECT_EQ(lines[4], "平均回数 , 1\r");  // "全体" runs with averaging count 1
  EXPECT_EQ(lines[5], "窓関数 , ハニング窓\r");
  EXPECT_EQ(lines[6], "周波数(Hz) , Ｌchレベル(%) , 合成波レベル(%)\r");
  EXPECT_EQ(lines[7].rfind("0.000000 , ", 0), 0u);

  r = RunSonvueCli({"spectrum", dir.Path("a.wav"), "--block", "256", "--no-conditions", "--no-names",
                    "--no-frequency", "--delimiter", ";", "--channels", "L,R"});
  ASSERT_EQ(r.status, 0) << r.err;
  lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 1 + 128u);
  EXPECT_EQ(lines[1 + 8].find(';'), lines[1 + 8].rfind(';'));  // two values, one delimiter
}

TEST(CliSpectrum, RefusedInputExitsOneWithAMessage) {
  TempDir dir;
  WriteSine(dir.Path("short.wav"), 1000);
  WriteSine(dir.Path("mono.wav"), 3000, 1);
  const std::string wav = dir.Path("short.wav");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"spectrum", wav}, "fewer than one block of 1024"},
      {{"spectrum", wav, "--block", "256", "--from", "1000"}, "outside the wave"},
      {{"spectrum", wav, "--block", "256", "--to", "1001"}, "outside the wave"},
      {{"spectrum", wav, "--block", "256", "--from", "500", "--to", "500"}, "outside the wave"},
      {{"spectrum", dir.Path("mono.wav"), "--channels", "L,M"}, "one channel"},
      {{"spectrum", dir.Path("none.wav")}, "no such file"},
  };
  for (const auto& c : cases) {
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // A range inside the wave but shorter than one block is analysed as the run does.
  CliResult r = RunSonvueCli({"spectrum", wav, "--block", "256", "--from", "900", "--csv"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(CliSpectrum, WrongCommandLinesExitTwo) {
  TempDir dir;
  WriteSine(dir.Path("a.wav"), 3000);
  const std::string wav = dir.Path("a.wav");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"spectrum"},
           {"spectrum", wav, wav},
           {"spectrum", wav, "--average", "3"},
           {"spectrum", wav, "--block", "300"},
           {"spectrum", wav, "--block", "131072"},
           {"spectrum", wav, "--overlap", "4"},
           {"spectrum", wav, "--channels", "L,X"},
           {"spectrum", wav, "--channels", ""},
           {"spectrum", wav, "--from", "-1"},
           {"spectrum", wav, "--csv", "--delimiter", ";"},
           {"spectrum", wav, "--bogus"}}) {
    EXPECT_EQ(RunSonvueCli(args).status, 2) << args.back();
  }
  CliResult help = RunSonvueCli({"spectrum", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: sonvue-cli spectrum"), std::string::npos);
  EXPECT_NE(RunSonvueCli({"--help"}).out.find("spectrum"), std::string::npos);
}

TEST(CliSpectrum, BoxesGiveTheSameColumnsAsChannels) {
  TempDir dir;
  WriteSine(dir.Path("a.wav"), 4000);
  const std::string wav = dir.Path("a.wav");
  CliResult channels = RunSonvueCli({"spectrum", wav, "--block", "256", "--channels", "L,M", "--db"});
  CliResult boxes = RunSonvueCli({"spectrum", wav, "--block", "256", "--boxes",
                                  "info,fft:M,fft3d:R,fft:L", "--db", "--log-frequency", "off"});
  ASSERT_EQ(channels.status, 0) << channels.err;
  ASSERT_EQ(boxes.status, 0) << boxes.err;
  EXPECT_EQ(boxes.out, channels.out);
  EXPECT_NE(channels.out.find("(dB)"), std::string::npos);
  EXPECT_EQ(RunSonvueCli({"spectrum", wav, "--boxes", "info,fft3d:M"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"spectrum", wav, "--boxes", "fft:M", "--channels", "M"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"spectrum", wav, "--boxes", "fft:Q"}).status, 2);
}
