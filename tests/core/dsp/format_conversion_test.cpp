// CWave::ConvertFormat: the ratio and spline methods against a literal reference, the mixing
// and storing rules, the short-wave rule, streaming through the temporary file, stopping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "core/dsp/six_point_spline.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

// ---- the spline as written down: spacing h, bisection for the interval ----
double LiteralSpline(const double y[6], double h, double x) {
  double q[6], u[6], m[6];
  const double sFirst = (y[1] - y[0]) / h, sLast = (y[5] - y[4]) / h;
  q[0] = -0.5;
  u[0] = (3 / h) * (sFirst - sLast);
  for (int i = 1; i <= 4; ++i) {
    const double p = q[i - 1] / 2 + 2;
    q[i] = -0.5 / p;
    u[i] = (3 * ((y[i + 1] - y[i]) / h - (y[i] - y[i - 1]) / h) / h - u[i - 1] / 2) / p;
  }
  m[5] = (3 * sLast / h - u[4] / 2) / (q[4] / 2 + 1);
  for (int i = 4; i >= 0; --i) m[i] = q[i] * m[i + 1] + u[i];
  int lo = 0, hi = 5;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (mid * h > x) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  const double a = ((lo + 1) * h - x) / h, b = (x - lo * h) / h;
  return a * y[lo] + b * y[lo + 1] + ((a * a * a - a) * m[lo] + (b * b * b - b) * m[lo + 1]) * h * h / 6;
}

// The spline method step by step over one channel of values: a window of six source frames
// that moves by one per source frame, output frames taken while t < 3h.
std::vector<double> LiteralSplineMethod(const std::vector<double>& src, double ro, double rn) {
  const auto outCount = static_cast<size_t>(src.size() * rn / ro);
  std::vector<double> out;
  const double h = 1 / ro;
  double window[6];
  for (int j = 0; j < 6; ++j) window[j] = src[std::min<size_t>(j, src.size() - 1)];
  for (size_t k = 0; out.size() < outCount; ++k) {
    for (;;) {
      const size_t d = out.size();
      if (d >= outCount) break;
      const double t = d / rn - k / ro;
      if (!(t < 3 * h)) break;
      out.push_back(LiteralSpline(window, h, t));
    }
    for (int j = 0; j < 5; ++j) window[j] = window[j + 1];
    if (k + 6 < src.size()) window[5] = src[k + 6];
  }
  return out;
}

// The ratio method raising the rate by r, step by step.
std::vector<double> LiteralRatioUp(const std::vector<double>& src, int r) {
  std::vector<double> out;
  double window[6];
  for (int j = 0; j < 6; ++j) window[j] = src[std::min<size_t>(j, src.size() - 1)];
  for (size_t k = 0; k < src.size(); ++k) {
    int j = 2;
    if (k < 3) {
      j = static_cast<int>(k);
    } else {
      for (int i = 0; i < 5; ++i) window[i] = window[i + 1];
      window[5] = k + 3 < src.size() ? src[k + 3] : window[4];
    }
    out.push_back(src[k]);
    for (int p = 1; p < r; ++p) out.push_back(LiteralSpline(window, r, j * r + double(p)));
  }
  return out;
}

int Stored(double v) { return static_cast<int>(std::clamp(std::trunc(v), -32768.0, 32767.0)); }

void MakeWave(CWave& w, uint32_t rate, uint16_t bits, uint16_t channels, const std::vector<int>& left,
              const std::vector<int>& right = {}) {
  w.SetFormat(rate, bits, channels);
  ASSERT_TRUE(w.Allocate(static_cast<uint32_t>(left.size())));
  for (uint32_t i = 0; i < left.size(); ++i) {
    w.SetSample(i, left[i], kChannelLeft);
    if (channels == 2) w.SetSample(i, right.empty() ? left[i] : right[i], kChannelRight);
  }
}

// A smooth random signal (neighbours close) with some full-scale steps.
std::vector<int> Signal(size_t frames, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> step(0, 1500);
  std::vector<int> s(frames);
  double v = 0;
  for (size_t i = 0; i < frames; ++i) {
    v = std::clamp(v * 0.98 + step(rng), -30000.0, 30000.0);
    s[i] = static_cast<int>(v);
  }
  return s;
}

std::vector<double> AsDouble(const std::vector<int>& v) { return {v.begin(), v.end()}; }

class StopAt : public WorkProgress {
 public:
  explicit StopAt(uint32_t frame) : stop_(frame) {}
  bool Checkpoint(uint32_t frame) override {
    frames.push_back(frame);
    return frame >= stop_;
  }
  std::vector<uint32_t> frames;

 private:
  uint32_t stop_;
};

// Runs every test with temporary files in a directory of its own (and restores the
// process-wide flag that a failure clears).
class ConvertFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    UseTempFiles = true;
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    setenv("TMPDIR", dir_.Root().c_str(), 1);
  }
  void TearDown() override {
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
    UseTempFiles = true;
  }
  size_t FilesLeft() const {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir_.Root())) n += e.is_regular_file();
    return n;
  }

  TempDir dir_;
  std::string oldTmp_;
  bool hadTmp_ = false;
};

}  // namespace

TEST(SixPointSpline, WeightsGiveTheSplineOfTheRecurrences) {
  const SixPointSpline spline;
  const double y[6] = {100, -2000, 5000, 3000, -32768, 32767};
  for (int j = 0; j < 5; ++j) {
    for (double t : {0.0, 0.1, 0.5, 0.75, 0.999}) {
      const SplineKnots w = spline.Weights(j, t);
      double v = 0;
      for (int k = 0; k < 6; ++k) v += w[k] * y[k];
      // Spacing 1/44100 s in the reference: the spacing cancels up to rounding.
      const double h = 1 / 44100.0;
      EXPECT_NEAR(v, LiteralSpline(y, h, (j + t) * h), 1e-7) << j << " " << t;
    }
    EXPECT_EQ(spline.Weights(j, 0.0)[j], 1.0);
  }
}

TEST_F(ConvertFormat, HalvingTheStandardRateKeepsTheEvenFrames) {
  CWave w;
  const std::vector<int> s = Signal(1001, 1);
  MakeWave(w, 44100, 16, 2, s, Signal(1001, 2));
  ASSERT_TRUE(w.ConvertFormat(22050, 16, 2, false));
  ASSERT_EQ(w.FrameCount(), 500u);
  EXPECT_EQ(w.Rate(), 22050u);
  for (uint32_t i = 0; i < 500; ++i) ASSERT_EQ(w.GetSample(i, kChannelLeft), s[2 * i]) << i;
  EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(ConvertFormat, QuarteringPicksEveryFourthFrame) {
  CWave w;
  const std::vector<int> s = Signal(100, 3);
  MakeWave(w, 44100, 16, 1, s);
  ASSERT_TRUE(w.ConvertFormat(11025, 16, 1, false));
  ASSERT_EQ(w.FrameCount(), 25u);
  for (uint32_t i = 0; i < 25; ++i) EXPECT_EQ(w.GetSample(i, kChannelLeft), s[4 * i]);
}

TEST_F(ConvertFormat, DoublingTheStandardRateKeepsSourceFramesAtEvenPositions) {
  for (int factor : {2, 4}) {
    CWave w;
    const std::vector<int> s = Signal(20000, 4);
    MakeWave(w, 11025, 16, 1, s);
    ASSERT_TRUE(w.ConvertFormat(11025 * factor, 16, 1, false));
    ASSERT_EQ(w.FrameCount(), 20000u * factor);
    const std::vector<double> ref = LiteralRatioUp(AsDouble(s), factor);
    for (uint32_t i = 0; i < w.FrameCount(); ++i) {
      if (i % factor == 0) {
        ASSERT_EQ(w.GetSample(i, kChannelLeft), s[i / factor]) << i;
      }
      ASSERT_NEAR(w.GetSample(i, kChannelLeft), Stored(ref[i]), 1) << factor << " at " << i;
    }
  }
}

TEST_F(ConvertFormat, OtherRatesFollowTheSplineMethod) {
  struct Case {
    uint32_t from, to, frames;
  } cases[] = {{44100, 48000, 1000}, {48000, 44100, 30000}, {8000, 44100, 5000}, {48000, 5000, 20000},
               {22050, 32000, 17}};
  for (const Case& c : cases) {
    CWave w;
    const std::vector<int> s = Signal(c.frames, c.from);
    MakeWave(w, c.from, 16, 1, s);
    ASSERT_TRUE(w.ConvertFormat(c.to, 16, 1, false));
    const std::vector<double> ref = LiteralSplineMethod(AsDouble(s), c.from, c.to);
    ASSERT_EQ(w.FrameCount(), ref.size()) << c.from << " -> " << c.to;
    for (uint32_t i = 0; i < w.FrameCount(); ++i) {
      ASSERT_NEAR(w.GetSample(i, kChannelLeft), Stored(ref[i]), 1) << c.from << " -> " << c.to << " at " << i;
    }
  }
}

TEST_F(ConvertFormat, ThousandFramesAt44100GiveTruncatedCountAt48000) {
  CWave w;
  MakeWave(w, 44100, 16, 2, Signal(1000, 5));
  ASSERT_TRUE(w.ConvertFormat(48000, 16, 2, false));
  EXPECT_EQ(w.FrameCount(), 1088u);  // trunc(1000 x 48000 / 44100)
  EXPECT_EQ(w.DataSize(), 1088u * 4);
  EXPECT_EQ(w.Format().avgBytesPerSec, 48000u * 4);
}

TEST_F(ConvertFormat, MixesToMonoByHalfSumOrHalfDifference) {
  for (bool subtract : {false, true}) {
    CWave w;
    MakeWave(w, 22050, 16, 2, std::vector<int>(12, 1000), std::vector<int>(12, -3000));
    ASSERT_TRUE(w.ConvertFormat(22050, 16, 1, subtract));
    EXPECT_EQ(w.Channels(), 1);
    EXPECT_EQ(w.FrameCount(), 12u);
    for (uint32_t i = 0; i < 12; ++i) EXPECT_EQ(w.GetSample(i, kChannelLeft), subtract ? 2000 : -1000);
  }
  // Halves truncate toward zero: (3 + 0) / 2 = 1, (-3 + 0) / 2 = -1.
  CWave w;
  MakeWave(w, 22050, 16, 2, {3, -3, 3, -3, 3, -3, 3, -3, 3, -3}, std::vector<int>(10, 0));
  ASSERT_TRUE(w.ConvertFormat(22050, 16, 1, false));
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 1);
  EXPECT_EQ(w.GetSample(1, kChannelLeft), -1);
}

TEST_F(ConvertFormat, MonoToStereoCopiesTheChannel) {
  CWave w;
  const std::vector<int> s = Signal(50, 6);
  MakeWave(w, 44100, 16, 1, s);
  ASSERT_TRUE(w.ConvertFormat(44100, 16, 2, false));
  for (uint32_t i = 0; i < 50; ++i) {
    EXPECT_EQ(w.GetSample(i, kChannelLeft), s[i]);
    EXPECT_EQ(w.GetSample(i, kChannelRight), s[i]);
  }
}

TEST_F(ConvertFormat, SixteenToEightBitsStoresTheHighByteOffsetBy128) {
  CWave w;
  MakeWave(w, 11025, 16, 1, {-32768, 0, 32767, -1, 255, 256, -256, -257, 100, -100});
  ASSERT_TRUE(w.ConvertFormat(11025, 8, 1, false));
  ASSERT_EQ(w.Bits(), 8);
  const uint8_t expected[] = {0, 128, 255, 127, 128, 129, 127, 126, 128, 127};
  EXPECT_EQ(std::memcmp(w.GetData(), expected, sizeof expected), 0);
}

TEST_F(ConvertFormat, ASplineOvershootIsLimitedToTheSampleScale) {
  // A full-scale step: the spline rings beyond both ends of the scale around it.
  std::vector<int> s(40, -32768);
  for (size_t i = 20; i < 40; ++i) s[i] = 32767;
  const std::vector<double> ref = LiteralSplineMethod(AsDouble(s), 8000, 44100);
  bool overshoots = false;
  for (double v : ref) overshoots |= v > 32767.0;
  ASSERT_TRUE(overshoots);
  CWave w;
  MakeWave(w, 8000, 16, 1, s);
  ASSERT_TRUE(w.ConvertFormat(44100, 16, 1, false));
  for (uint32_t i = 0; i < w.FrameCount(); ++i) {
    if (ref[i] > 32768.0) EXPECT_EQ(w.GetSample(i, kChannelLeft), 32767) << i;
    else if (ref[i] < -32769.0) EXPECT_EQ(w.GetSample(i, kChannelLeft), -32768) << i;
    else EXPECT_NEAR(w.GetSample(i, kChannelLeft), Stored(ref[i]), 1) << i;
  }
  // The constant stretches far from the step stay exactly at the ends of the scale.
  EXPECT_EQ(w.GetSample(0, kChannelLeft), -32768);
  EXPECT_EQ(w.GetSample(w.FrameCount() - 1, kChannelLeft), 32767);
}

TEST_F(ConvertFormat, WavesOfNineFramesOrFewerOnlyTakeTheFormat) {
  CWave w;
  MakeWave(w, 44100, 16, 2, Signal(9, 7));
  EXPECT_FALSE(w.ConvertFormat(22050, 8, 1, false));
  EXPECT_EQ(w.Rate(), 22050u);
  EXPECT_EQ(w.Bits(), 8);
  EXPECT_EQ(w.Channels(), 1);
  EXPECT_EQ(w.BlockAlign(), 1);
  EXPECT_EQ(w.FrameCount(), 0u);

  MakeWave(w, 44100, 16, 2, Signal(10, 7));
  EXPECT_TRUE(w.ConvertFormat(22050, 8, 1, false));
  EXPECT_EQ(w.FrameCount(), 5u);
}

TEST_F(ConvertFormat, RefusedArgumentsLeaveTheWaveAlone) {
  CWave w;
  MakeWave(w, 44100, 16, 2, Signal(100, 8));
  CWave copy;
  ASSERT_TRUE(copy.CopyFrom(w));
  EXPECT_FALSE(w.ConvertFormat(0, 16, 2, false));
  EXPECT_FALSE(w.ConvertFormat(44100, 12, 2, false));
  EXPECT_FALSE(w.ConvertFormat(44100, 16, 3, false));
  EXPECT_FALSE(w.ConvertFormat(1, 16, 2, false));  // no frame left
  EXPECT_EQ(std::memcmp(w.GetData(), copy.GetData(), w.DataSize()), 0);
  EXPECT_EQ(w.Rate(), 44100u);
}

TEST_F(ConvertFormat, StreamingThroughTheFileAndWorkingInMemoryGiveTheSameBytes) {
  const std::vector<int> l = Signal(50000, 9), r = Signal(50000, 10);
  CWave viaFile, inMemory;
  MakeWave(viaFile, 32000, 16, 2, l, r);
  MakeWave(inMemory, 32000, 16, 2, l, r);
  ASSERT_TRUE(viaFile.ConvertFormat(44100, 8, 2, false));
  UseTempFiles = false;
  ASSERT_TRUE(inMemory.ConvertFormat(44100, 8, 2, false));
  ASSERT_EQ(viaFile.DataSize(), inMemory.DataSize());
  EXPECT_EQ(std::memcmp(viaFile.GetData(), inMemory.GetData(), viaFile.DataSize()), 0);
  EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(ConvertFormat, WithoutATemporaryFileTheUserChoosesMemoryOrNothing) {
  setenv("TMPDIR", (dir_.Root() + "/missing").c_str(), 1);
  for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
    UseTempFiles = true;
    RecordingPrompt prompt(answer);
    CWave w;
    MakeWave(w, 44100, 16, 2, Signal(100, 11));
    EXPECT_EQ(w.ConvertFormat(22050, 16, 2, false), answer == PromptAnswer::Yes);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::YesNo);
    EXPECT_NE(prompt.boxes[0].text.find("メモリを使って処理を続行しますか？"), std::string::npos);
    EXPECT_FALSE(UseTempFiles);
    EXPECT_EQ(w.FrameCount(), answer == PromptAnswer::Yes ? 50u : 100u);
  }
}

TEST_F(ConvertFormat, AStopLeavesTheWaveAsItWasAndNoFileBehind) {
  struct Case {
    uint32_t to;
    uint32_t stopFrame;
  } cases[] = {{48000, 8192}, {22050, 16384}, {44100, 0}};
  for (const Case& c : cases) {
    CWave w, original;
    MakeWave(w, 22050, 16, 2, Signal(30000, 12), Signal(30000, 13));
    ASSERT_TRUE(original.CopyFrom(w));
    StopAt stop(c.stopFrame);
    EXPECT_FALSE(w.ConvertFormat(c.to, 16, 1, false, &stop));
    EXPECT_EQ(w.Rate(), 22050u);
    ASSERT_EQ(w.DataSize(), original.DataSize());
    EXPECT_EQ(std::memcmp(w.GetData(), original.GetData(), w.DataSize()), 0);
    EXPECT_EQ(stop.frames.back(), c.stopFrame);
  }
  EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(ConvertFormat, ReportsSourceFramesEvery8192) {
  CWave w;
  MakeWave(w, 44100, 16, 1, Signal(20000, 14));
  StopAt watch(UINT32_MAX);
  ASSERT_TRUE(w.ConvertFormat(11025, 16, 1, false, &watch));  // picking: 5000 output frames
  EXPECT_EQ(watch.frames, (std::vector<uint32_t>{0}));
  MakeWave(w, 44100, 16, 1, Signal(20000, 14));
  watch.frames.clear();
  ASSERT_TRUE(w.ConvertFormat(48000, 16, 1, false, &watch));
  EXPECT_EQ(watch.frames, (std::vector<uint32_t>{0, 8192, 16384}));
}
