// Filtering: the many-outputs-at-once kernel against the plain direct-form loop, bit for bit;
// a wave's channel filtered in place with progress and stop; closed-form signals.
#include "core/dsp/fir_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/dsp/fir_design.h"
#include "core/platform/work_progress.h"
#include "core/wave/wave.h"
#include "support/noise_wave.h"

namespace {

// The filter as written down: a delay line that shifts by one per frame, one sum per frame
// over k = 0 .. N in that order, truncated, limited, written through SetSample.
void PlainFilter(CWave& w, const std::vector<double>& taps, int selector) {
  std::vector<double> delay(taps.size(), 0.0);
  for (uint32_t i = 0; i < w.FrameCount(); ++i) {
    for (size_t k = delay.size() - 1; k > 0; --k) delay[k] = delay[k - 1];
    delay[0] = w.GetSample(i, selector);
    double y = 0;
    for (size_t k = 0; k < taps.size(); ++k) y += taps[k] * delay[k];
    y = std::trunc(y);
    w.SetSample(i, static_cast<int>(std::clamp(y, -32768.0, 32767.0)), selector);
  }
}

std::vector<double> RandomTaps(size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-0.2, 0.2);
  std::vector<double> t(count);
  for (double& v : t) v = u(rng);
  return t;
}

void FillNoise(CWave& w, uint32_t rate, uint16_t bits, uint16_t channels, uint32_t frames, unsigned seed) {
  MakeNoise(w, rate, bits, channels, frames, seed, 32767);
}

// Remembers the frames it was told about and asks to stop at a chosen one.
class StopAt : public WorkProgress {
 public:
  explicit StopAt(uint32_t frame) : stopFrame_(frame) {}
  bool Checkpoint(uint32_t frame) override {
    frames.push_back(frame);
    return frame >= stopFrame_;
  }
  std::vector<uint32_t> frames;

 private:
  uint32_t stopFrame_;
};

}  // namespace

TEST(FirDirectForm, EqualsThePlainLoopBitForBitForAnyLengthAndCutting) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  for (size_t tapCount : {1u, 2u, 3u, 7u, 96u, 201u, 301u}) {
    const std::vector<double> taps = RandomTaps(tapCount, static_cast<unsigned>(tapCount));
    const size_t count = 1000 + tapCount;  // not a multiple of any block size
    std::vector<double> signal(tapCount - 1 + count, 0.0);
    for (size_t i = tapCount - 1; i < signal.size(); ++i) signal[i] = sample(rng);
    const double* in = signal.data() + tapCount - 1;

    std::vector<double> plain(count);
    for (size_t i = 0; i < count; ++i) {
      double y = 0;
      for (size_t k = 0; k < tapCount; ++k) y += taps[k] * in[static_cast<ptrdiff_t>(i - k)];
      plain[i] = y;
    }
    // Whole, one output per call, and in uneven pieces.
    for (size_t piece : {count, size_t{1}, size_t{7}, size_t{97}, size_t{500}}) {
      std::vector<double> fast(count, -1.0);
      for (size_t at = 0; at < count; at += piece) {
        FirDirectForm(taps, in + at, fast.data() + at, std::min(piece, count - at));
      }
      EXPECT_EQ(std::memcmp(fast.data(), plain.data(), count * sizeof(double)), 0)
          << tapCount << " taps in pieces of " << piece;
    }
  }
}

TEST(ApplyFilter, EqualsThePlainFilterOnEveryFormatAndChannel) {
  // Long enough for several rounds of work and for the helper thread.
  struct Case {
    uint16_t bits, channels;
    int selector;
    uint32_t frames;
    size_t taps;
  } cases[] = {
      {16, 2, kChannelLeft, 100003, 301}, {16, 2, kChannelRight, 40000, 150},
      {16, 1, kChannelLeft, 70001, 201},  {8, 2, kChannelRight, 20000, 31},
      {8, 1, kChannelLeft, 9000, 3},      {16, 2, kChannelBoth, 12345, 64},
  };
  for (const Case& c : cases) {
    CWave fast, plain;
    FillNoise(fast, 44100, c.bits, c.channels, c.frames, c.frames);
    ASSERT_TRUE(plain.CopyFrom(fast));
    const std::vector<double> taps = RandomTaps(c.taps, 3);
    EXPECT_TRUE(ApplyFilter(fast, taps, c.selector));
    PlainFilter(plain, taps, c.selector);
    EXPECT_TRUE(SameWave(fast, plain)) << c.bits << " bits, " << c.channels << " ch, selector " << c.selector;
  }
}

TEST(ApplyFilter, AConstantKeepsItsValueThroughALowPassAndVanishesThroughAHighPass) {
  FirDesign d;
  d.order = 200;
  d.attenuationDb = 60;
  d.fsKHz = 44.1;
  d.f1KHz = 3.0;
  for (FilterType type : {FilterType::kLowPass, FilterType::kHighPass}) {
    d.type = type;
    CWave w;
    w.SetFormat(44100, 16, 1);
    ASSERT_TRUE(w.Allocate(2000));
    for (uint32_t i = 0; i < 2000; ++i) w.SetSample(i, 10000, kChannelLeft);
    ASSERT_TRUE(ApplyFilter(w, DesignFir(d), kChannelLeft));
    for (uint32_t i = 200; i < 2000; ++i) {
      if (type == FilterType::kLowPass) {
        // Unit gain at 0 Hz up to rounding; truncation can take one step off.
        EXPECT_NEAR(w.GetSample(i, kChannelLeft), 10000, 1) << i;
      } else {
        // 60 dB below 10000 is 10.
        EXPECT_LE(std::abs(w.GetSample(i, kChannelLeft)), 10) << i;
      }
    }
  }
}

TEST(ApplyFilter, AnImpulseComesOutAsTheTaps) {
  FirDesign d;
  d.type = FilterType::kBandPass;
  d.order = 40;
  d.fsKHz = 8.0;
  std::vector<double> taps = DesignFir(d);
  CWave w;
  w.SetFormat(8000, 16, 2);
  ASSERT_TRUE(w.Allocate(100));
  w.SetSample(0, 32767, kChannelRight);
  ASSERT_TRUE(ApplyFilter(w, taps, kChannelRight));
  for (uint32_t i = 0; i < 100; ++i) {
    const int expected = i <= 40 ? static_cast<int>(32767 * taps[i]) : 0;
    EXPECT_EQ(w.GetSample(i, kChannelRight), expected) << i;
    EXPECT_EQ(w.GetSample(i, kChannelLeft), 0) << i;
  }
}

TEST(ApplyFilter, OutputsBeyondTheSampleScaleAreLimited) {
  CWave w;
  w.SetFormat(44100, 16, 1);
  ASSERT_TRUE(w.Allocate(4));
  for (uint32_t i = 0; i < 4; ++i) w.SetSample(i, i % 2 ? -30000 : 30000, kChannelLeft);
  ASSERT_TRUE(ApplyFilter(w, std::vector<double>{2.0}, kChannelLeft));
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 32767);
  EXPECT_EQ(w.GetSample(1, kChannelLeft), -32768);
}

TEST(ApplyFilter, ReportsEvery8192FramesAndStopsWhereItIsAsked) {
  CWave w, original;
  FillNoise(w, 44100, 16, 1, 40000, 11);
  ASSERT_TRUE(original.CopyFrom(w));
  const std::vector<double> taps = RandomTaps(21, 5);

  StopAt all(UINT32_MAX);
  EXPECT_TRUE(ApplyFilter(w, taps, kChannelLeft, &all));
  EXPECT_EQ(all.frames, (std::vector<uint32_t>{0, 8192, 16384, 24576, 32768}));

  ASSERT_TRUE(w.CopyFrom(original));
  StopAt stop(16384);
  EXPECT_FALSE(ApplyFilter(w, taps, kChannelLeft, &stop));
  CWave plain;
  ASSERT_TRUE(plain.CopyFrom(original));
  PlainFilter(plain, taps, kChannelLeft);
  for (uint32_t i = 0; i < 40000; ++i) {
    const CWave& expected = i < 16384 ? plain : original;
    ASSERT_EQ(w.GetSample(i, kChannelLeft), expected.GetSample(i, kChannelLeft)) << i;
  }
}
