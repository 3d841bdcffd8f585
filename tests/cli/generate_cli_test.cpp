// sonvue-cli generate, run as a user runs it: the file holds what the program's generator
// makes, the signal dialog's limits apply, and refused values get the dialogs' messages
// with nothing written.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"
#include "core/doc/wav_doc.h"
#include "core/dsp/filter_run.h"
#include "support/noise_wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void Load(const std::string& path, CWave& w) {
  RecordingPrompt quiet;
  w.LoadWaveFile(path);
}

std::vector<std::string> Args(const std::string& out, std::vector<std::string> more) {
  std::vector<std::string> args = {"generate", out, "--rate", "8000", "--bits", "16", "--channels", "1",
                                   "--duration-ms", "250"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

}  // namespace

TEST(CliGenerate, WritesWhatTheProgramsGeneratorMakes) {
  TempDir dir;
  const std::string out = dir.Path("out.wav");
  CliResult r = RunSonvueCli(Args(out, {"--repeat", "3", "--peak", "80", "--sine", "100:3000,log,fade=20:30,am=4:60",
                                        "--square", "300,duty=25,level=5", "--sine", "440,fm=2:100,level=3"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  GeneratorSettings s;
  s.rateHz = 8000;
  s.bits = 16;
  s.channels = 1;
  s.durationMs = 250;
  s.repetitions = 3;
  s.peakPercent = 80;
  SignalComponent sweep = NewComponent({});
  sweep.baseHz = sweep.startHz = 100;
  sweep.endHz = 3000;
  sweep.logSweep = true;
  sweep.fadeInMs = 20;
  sweep.fadeOutMs = 30;
  sweep.amOn = true;
  sweep.amHz = 4;
  sweep.amDepthPercent = 60;
  SignalComponent square = NewComponent({sweep});
  square.type = SignalType::kSquare;
  square.baseHz = 300;
  square.dutyPercent = 25;
  square.levelRatio = 5;
  SignalComponent fm = NewComponent({sweep, square});
  fm.baseHz = fm.startHz = fm.endHz = 440;
  fm.fmOn = true;
  fm.fmHz = 2;
  fm.fmBandHz = 100;
  fm.levelRatio = 3;
  s.components = {sweep, square, fm};
  CWave expected, written;
  ASSERT_EQ(GenerateWave(s, expected), GenerateResult::kDone);
  Load(out, written);
  EXPECT_EQ(written.FrameCount(), 6000u);
  EXPECT_TRUE(SameWave(written, expected));
}

TEST(CliGenerate, NoiseIsLowPassFilteredAtTheProgramsCutoffOrTheOneGiven) {
  TempDir dir;
  setenv("TMPDIR", dir.Root().c_str(), 1);
  GeneratorSettings s;
  s.rateHz = 8000;
  s.bits = 16;
  s.channels = 2;
  s.durationMs = 250;
  SignalComponent noise = NewComponent({});
  noise.type = SignalType::kNoise;
  noise.levelRatio = 2;
  SignalComponent tone = NewComponent({noise});
  tone.startHz = tone.endHz = 500;
  s.components = {noise, tone};

  // The program's own cutoff: the document's generate operation gives the same file.
  CliResult r = RunSonvueCli({"generate", dir.Path("a.wav"), "--rate", "8000", "--bits", "16", "--channels", "2",
                              "--duration-ms", "250", "--noise", "level=2", "--sine", "500"});
  ASSERT_EQ(r.status, 0) << r.err;
  CWavDoc doc;
  ASSERT_EQ(doc.GenerateIntoDocument(s), GenerateResult::kDone);
  CWave written;
  Load(dir.Path("a.wav"), written);
  EXPECT_TRUE(SameWave(written, doc.Wave()));

  // A cutoff of its own: the raw signal through that low-pass.
  r = RunSonvueCli({"generate", dir.Path("b.wav"), "--rate", "8000", "--bits", "16", "--channels", "2",
                    "--duration-ms", "250", "--noise=level=2,lowpass=1000", "--sine", "500"});
  ASSERT_EQ(r.status, 0) << r.err;
  CWave raw;
  ASSERT_EQ(GenerateWave(s, raw), GenerateResult::kDone);
  FilterRun run;
  ASSERT_TRUE(run.SetFilter(FilterType::kLowPass, 200, 1.0, 0.0, 50.0, &raw, kFilterBoth));
  ASSERT_EQ(run.Run(nullptr), FilterRun::Result::kDone);
  Load(dir.Path("b.wav"), written);
  EXPECT_TRUE(SameWave(written, raw));

  // "--noise" alone, before the output name, takes no value from it.
  r = RunSonvueCli({"generate", "--rate", "8000", "--bits", "8", "--channels", "1", "--duration-ms", "100", "--noise",
                    dir.Path("c.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.Path("c.wav")));
  unsetenv("TMPDIR");
}

TEST(CliGenerate, SweepsAndFadesAreLimitedAsTheSignalDialogLimitsThem) {
  TempDir dir;
  const std::string out = dir.Path("out.wav");
  CliResult r = RunSonvueCli(Args(out, {"--sine", "0:9000,fade=200:100"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("0 Hz taken as 1 Hz"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("9000 Hz taken as 3999 Hz"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("fades 200:100 ms taken as 200:50 ms"), std::string::npos) << r.err;

  GeneratorSettings s;
  s.rateHz = 8000;
  s.bits = 16;
  s.channels = 1;
  s.durationMs = 250;
  SignalComponent c = NewComponent({});
  c.baseHz = 0;
  c.startHz = 1;
  c.endHz = 3999;
  c.fadeInMs = 200;
  c.fadeOutMs = 50;
  s.components = {c};
  CWave expected, written;
  ASSERT_EQ(GenerateWave(s, expected), GenerateResult::kDone);
  Load(out, written);
  EXPECT_TRUE(SameWave(written, expected));
}

TEST(CliGenerate, RefusedValuesGetTheDialogsMessagesAndWriteNothing) {
  TempDir dir;
  const std::string out = dir.Path("out.wav");
  std::vector<std::string> many;
  for (int i = 0; i < 31; ++i) many.insert(many.end(), {"--sine", "100"});
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {Args(out, {"--peak", "150", "--sine", "100"}), 1, "0 から 100 までの整数を入力してください。"},
      {Args(out, {"--repeat", "0", "--sine", "100"}), 1, "1 から 100000 までの整数を入力してください。"},
      // Text that is no whole number is a wrong command line, named by the tool's own
      // number parsing; a number beyond the dialogs' 32-bit fields gets their message.
      {Args(out, {"--sine", "100,level=-3"}), 2, "--sine level needs a whole number"},
      {Args(out, {"--sine", "1.5k"}), 2, "--sine needs a whole number"},
      {Args(out, {"--square", "100,duty=half"}), 2, "--square duty needs a whole number"},
      {Args(out, {"--peak", "x", "--sine", "100"}), 2, "--peak needs a whole number"},
      {Args(out, {"--sine", "3000000000"}), 1, "整数を入力してください。"},
      {Args(out, many), 1, "合成できる信号は 30 個までです。"},
      {{"generate", out, "--rate", "96000", "--bits", "16", "--channels", "1", "--duration-ms", "10", "--sine", "1"},
       1, "サンプリング周波数は、5000Hz～48000Hzの範囲で指定してください。"},
      {{"generate", out, "--rate", "8000", "--bits", "24", "--channels", "1", "--duration-ms", "10", "--sine", "1"},
       1, "ビット数は 8 か 16"},
      {{"generate", out, "--rate", "48000", "--bits", "16", "--channels", "2", "--duration-ms", "3600000", "--repeat",
        "7", "--sine", "1"},
       1, "総時間が長すぎます。"},
      {Args(out, {}), 2, "needs at least one --sine, --square or --noise"},
      {Args(out, {"--sine", "100,bogus"}), 2, "does not take \"bogus\""},
      {Args(out, {"--noise", "lowpass=100", "--noise", "lowpass=200"}), 2, "give one lowpass value"},
      {Args(out, {"--noise", "lowpass=4000"}), 1, "below half the rate (4000 Hz)"},
      {{"generate", out, "--bits", "16", "--channels", "1", "--duration-ms", "10", "--sine", "1"}, 2, "needs --rate"},
  };
  for (const Case& c : cases) {
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
  }
}
