// sonvue-cli edit, run as a user runs it: each operation on a range and a channel gives what
// the same CWave operation gives, and refused requests leave OUT untouched.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

// A stereo 16-bit ramp: frame i holds i x 7 on the left and -i x 5 on the right.
void MakeInput(CWave& w, uint32_t frames) {
  w.SetFormat(8000, 16, 2);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    w.SetSample(i, static_cast<int>(i) * 7, kChannelLeft);
    w.SetSample(i, -static_cast<int>(i) * 5, kChannelRight);
  }
}

std::vector<uint8_t> Samples(CWave& w) { return {w.GetData(0), w.GetData(0) + w.DataSize()}; }

}  // namespace

TEST(CliEdit, EachOperationMatchesTheWaveOperationOnItsRangeAndChannel) {
  struct Case {
    std::vector<std::string> args;
    std::function<void(CWave&)> expected;
  };
  const Case cases[] = {
      {{"level", "--percent", "250", "--soft", "--from", "100", "--to", "3000"},
       [](CWave& w) { w.ChangeLevel(100, 2999, 250, true, kChannelBoth); }},
      {{"level", "--percent", "0", "--channel", "right"}, [](CWave& w) { w.ChangeLevel(0, 3999, 0, false, kChannelRight); }},
      {{"fade-in", "--to", "800"}, [](CWave& w) { w.Fade(0, 799, 0, 100, kChannelBoth); }},
      {{"fade-out", "--from", "3000", "--channel", "left"}, [](CWave& w) { w.Fade(3000, 3999, 100, 0, kChannelLeft); }},
      {{"reverse", "--from", "10", "--to", "21"}, [](CWave& w) { w.Reverse(10, 20, kChannelBoth); }},
      {{"echo", "--delay-ms", "50", "--residual", "30"}, [](CWave& w) { w.Delay(0, 3999, 50, 30, kChannelBoth); }},
      {{"echo"}, [](CWave& w) { w.Delay(0, 3999, 100, 10, kChannelBoth); }},
      {{"delete", "--from", "1000", "--to", "1500"}, [](CWave& w) { w.Delete(1000, 1500); }},
  };
  TempDir dir;
  CWave input;
  MakeInput(input, 4000);
  RecordingPrompt quiet;
  ASSERT_TRUE(input.SaveWaveFile(dir.Path("in.wav"), 0, 0));
  for (const Case& c : cases) {
    std::vector<std::string> args = {"edit", dir.Path("in.wav"), dir.Path("out.wav")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CliResult r = RunSonvueCli(args);
    ASSERT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
    CWave got, want;
    ASSERT_TRUE(got.LoadWaveFile(dir.Path("out.wav")));
    ASSERT_TRUE(want.CopyFrom(input));
    c.expected(want);
    EXPECT_EQ(got.FrameCount(), want.FrameCount()) << c.args[0];
    EXPECT_EQ(Samples(got), Samples(want)) << c.args[0];
  }
}

TEST(CliEdit, RefusedRequestsLeaveOutUntouched) {
  TempDir dir;
  CWave input;
  MakeInput(input, 1000);
  RecordingPrompt quiet;
  ASSERT_TRUE(input.SaveWaveFile(dir.Path("in.wav"), 0, 0));
  CWave mono;
  mono.SetFormat(8000, 8, 1);
  ASSERT_TRUE(mono.Allocate(100));
  ASSERT_TRUE(mono.SaveWaveFile(dir.Path("mono.wav"), 0, 0));
  const std::string in = dir.Path("in.wav"), out = dir.Path("keep.wav");
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"edit", in, out, "reverse", "--from", "500", "--to", "500"}, 1},    // empty range
      {{"edit", in, out, "reverse", "--to", "1001"}, 1},                    // past the end
      {{"edit", in, out, "delete"}, 1},                                     // nothing would remain
      {{"edit", dir.Path("mono.wav"), out, "fade-in", "--channel", "right"}, 1},
      {{"edit", dir.Path("none.wav"), out, "reverse"}, 1},
      {{"edit", in, out, "level"}, 2},                                      // no --percent
      {{"edit", in, out, "level", "--percent", "10001"}, 2},
      {{"edit", in, out, "echo", "--residual", "101"}, 2},
      {{"edit", in, out, "echo", "--delay-ms", "10001"}, 2},
      {{"edit", in, out, "fade-in", "--percent", "20"}, 2},                 // not its option
      {{"edit", in, out, "delete", "--channel", "left"}, 2},
      {{"edit", in, out, "reverse", "--channel", "middle"}, 2},
      {{"edit", in, out, "louder"}, 2},
      {{"edit", in, out}, 2},
  };
  for (const Case& c : cases) {
    WriteAllBytes(out, {'k'});
    CliResult r = RunSonvueCli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << " " << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(ReadAllBytes(out), std::vector<uint8_t>{'k'}) << c.args.back();
  }
}
