// sonvue-cli filter and convert, run as a user runs them: the files they write hold what the
// program's own filter and conversion produce, and refused requests leave OUT alone.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "cli_run.h"
#include "core/dsp/filter_run.h"
#include "core/wave/wave.h"
#include "support/noise_wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void WriteNoise(const std::string& path, uint32_t rate, uint16_t channels, uint32_t frames) {
  CWave w;
  MakeNoise(w, rate, 16, channels, frames, frames);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

void Load(const std::string& path, CWave& w) {
  RecordingPrompt quiet;
  w.LoadWaveFile(path);
}

}  // namespace

TEST(CliFilter, WritesWhatTheProgramsFilterGives) {
  TempDir dir;
  WriteNoise(dir.Path("in.wav"), 44100, 2, 30000);
  struct Case {
    std::vector<std::string> options;
    FilterType type;
    double f1, f2, db;
    int order, channel;
  } cases[] = {
      {{"--type", "bp", "--f1", "1000", "--f2", "2000"}, FilterType::kBandPass, 1, 2, 50, 200, kFilterBoth},
      {{"--type", "hp", "--f1", "3000", "--order", "31", "--attenuation", "70", "--channel", "right"},
       FilterType::kHighPass, 3, 0, 70, 31, kFilterRight},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"filter", dir.Path("in.wav"), dir.Path("out.wav")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    CliResult r = RunSonvueCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // no progress line when stderr is not a terminal

    CWave expected, out;
    Load(dir.Path("in.wav"), expected);
    Load(dir.Path("out.wav"), out);
    FilterRun run;
    ASSERT_TRUE(run.SetFilter(c.type, c.order, c.f1, c.f2, c.db, &expected, c.channel));
    ASSERT_EQ(run.Run(nullptr), FilterRun::Result::kDone);
    EXPECT_TRUE(SameWave(out, expected)) << c.options[1];
  }
}

TEST(CliFilter, RefusesBadRequestsWithoutWritingOut) {
  TempDir dir;
  WriteNoise(dir.Path("in.wav"), 8000, 1, 100);
  const std::string in = dir.Path("in.wav"), out = dir.Path("out.wav");
  struct Case {
    std::vector<std::string> options;
    int status;
  } cases[] = {
      {{"--f1", "100"}, 2},                                      // no type
      {{"--type", "bp", "--f1", "100"}, 2},                      // a band without f2
      {{"--type", "lp", "--f1", "100", "--order", "301"}, 2},    // order out of range
      {{"--type", "lp", "--f1", "100", "--channel", "both2"}, 2},
      {{"--type", "lp", "--f1", "4000"}, 1},                     // at Nyquist
      {{"--type", "bp", "--f1", "2000", "--f2", "1000"}, 1},     // edges reversed
      {{"--type", "lp", "--f1", "100", "--channel", "right"}, 1},  // a mono file
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"filter", in, out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(RunSonvueCli(args).status, c.status) << c.options.back();
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST(CliConvert, HalvesTheRateByPickingAndMixesDown) {
  TempDir dir;
  WriteNoise(dir.Path("in.wav"), 44100, 2, 1001);
  CliResult r = RunSonvueCli({"convert", dir.Path("in.wav"), dir.Path("out.wav"), "--rate", "22050",
                              "--channels", "1", "--subtract", "--bits", "8"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  CWave in, out;
  Load(dir.Path("in.wav"), in);
  Load(dir.Path("out.wav"), out);
  ASSERT_EQ(out.FrameCount(), 500u);
  EXPECT_EQ(out.Rate(), 22050u);
  EXPECT_EQ(out.Channels(), 1);
  EXPECT_EQ(out.Bits(), 8);
  for (uint32_t i = 0; i < 500; ++i) {
    int l, rr;
    const int diff = in.GetLR(2 * i, l, rr, true);
    ASSERT_EQ(out.GetData()[i], static_cast<uint8_t>((diff >> 8) + 128)) << i;
  }
}

TEST(CliConvert, LowPassFirstWhenLoweringTheRate) {
  TempDir dir;
  WriteNoise(dir.Path("in.wav"), 44100, 2, 20000);
  CliResult r = RunSonvueCli({"convert", dir.Path("in.wav"), dir.Path("out.wav"), "--rate", "16000", "--lowpass"});
  ASSERT_EQ(r.status, 0) << r.err;
  CWave expected, out;
  Load(dir.Path("in.wav"), expected);
  Load(dir.Path("out.wav"), out);
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 150, 8.0, 0, 60, &expected, kFilterBoth));
  run.SetConversion(16000, 16, 2, false);
  ASSERT_EQ(run.Run(nullptr), FilterRun::Result::kDone);
  EXPECT_TRUE(SameWave(out, expected));
  EXPECT_EQ(expected.FrameCount(), 20000u * 16000 / 44100);
}

TEST(CliConvert, RefusesRatesOutsideTheDialogsRangeAndShortFiles) {
  TempDir dir;
  WriteNoise(dir.Path("in.wav"), 44100, 2, 100);
  WriteNoise(dir.Path("short.wav"), 44100, 2, 9);
  const std::string out = dir.Path("out.wav");
  EXPECT_EQ(RunSonvueCli({"convert", dir.Path("in.wav"), out, "--rate", "4999"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"convert", dir.Path("in.wav"), out, "--rate", "48001"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"convert", dir.Path("in.wav"), out, "--bits", "12"}).status, 2);
  EXPECT_EQ(RunSonvueCli({"convert", dir.Path("short.wav"), out, "--rate", "22050"}).status, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
  for (uint32_t rate : {5000u, 48000u}) {
    ASSERT_EQ(RunSonvueCli({"convert", dir.Path("in.wav"), out, "--rate", std::to_string(rate)}).status, 0);
    CWave w;
    Load(out, w);
    EXPECT_EQ(w.FrameCount(), 100u * rate / 44100);
  }
}
