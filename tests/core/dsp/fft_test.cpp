// CFFT: closed-form spectra, the averaging modes over several frames, the edges of the wave,
// and the stored record.
#include "core/dsp/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "core/io/archive.h"
#include "core/realtime/analysis_settings.h"
#include "core/wave/wave.h"

namespace {

constexpr double kPi = 3.14159265359;           // the tables' pi
constexpr double kLevelPerStep = 0.30517578125;  // 16-bit step on the level scale

// A 16-bit mono wave whose sample i is sample(i), rounded and limited to 16 bits.
void MakeWave(CWave& w, uint32_t frames, const std::function<double(uint32_t)>& sample) {
  w.SetFormat(44100, 16, 1);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(std::lround(sample(i))), kChannelLeft);
}

// Rounding samples to 16 bits moves each by at most half a step (0.153 on the level
// scale); a bin is (2/N) times a sum of N such errors with weights of at most 1, so it moves
// by at most twice that.
constexpr double kQuantisation = 2 * 0.5 * kLevelPerStep;

std::vector<float> Spectrum(CFFT& fft) {
  const float* s = fft.GetSpectrum();
  std::vector<float> copy(s, s + fft.BlockSize() / 2);
  fft.ReleaseSpectrum();
  return copy;
}

}  // namespace

TEST(Fft, NewEngineIsNotSetUpAndDoesNothing) {
  CFFT fft;
  EXPECT_EQ(fft.BlockSize(), 256);
  EXPECT_EQ(fft.AveragingCount(), 0);
  EXPECT_EQ(fft.Channel(), 3u);
  EXPECT_FALSE(fft.IsSetUp());
  EXPECT_EQ(fft.GetSpectrum(), nullptr);
  CWave w;
  MakeWave(w, 1024, [](uint32_t) { return 1000.0; });
  fft.Calc(&w, 0, 0);
  EXPECT_FALSE(fft.IsCalculated());
  double lo = 1, hi = 1;
  fft.GetMinMaxInBins(0, 100, lo, hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 0.0);
}

TEST(Fft, InitBuildsTheBlockWithTheTablesPiAndThePeriodicHannWindow) {
  CFFT fft;
  ASSERT_TRUE(fft.Init(1024, 8, kChannelLeft));
  EXPECT_EQ(CFFT::WorkingBlockBytes(1024, 8), 4u * (7 * 1024 + 9 * 512));
  const double* sine = fft.SineTable();
  const double* cosine = fft.CosineTable();
  // The tables sit right after the two work arrays, each part right after the previous.
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(sine), fft.WorkingBlock() + 16 * 1024);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(fft.Window()), fft.WorkingBlock() + 24 * 1024);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(fft.HistorySlot(0)), fft.WorkingBlock() + 30 * 1024);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(fft.HistorySlot(7) + 512),
            fft.WorkingBlock() + CFFT::WorkingBlockBytes(1024, 8));
  for (int i : {0, 1, 100, 256, 511}) {
    EXPECT_EQ(sine[i], std::sin(-2.0 * kPi * i / 1024)) << i;
    EXPECT_EQ(cosine[i], std::cos(2.0 * kPi * i / 1024)) << i;
  }
  // With the true pi the quarter-turn cosine would be 6e-17; the tables' pi, 2.07e-13 above
  // it, turns the quarter by half that much: cos(pi/2 + d) = -d.
  EXPECT_NEAR(cosine[256], -(kPi - M_PI) / 2, 1e-16);
  const float* window = fft.Window();
  EXPECT_EQ(window[0], 0.0f);  // periodic: zero at the start only
  EXPECT_EQ(window[512], 1.0f);
  EXPECT_EQ(window[256], 0.5f);
  EXPECT_EQ(window[1023], window[1]);
  EXPECT_EQ(window[1], static_cast<float>((1.0 - std::cos(2.0 * kPi / 1024)) * 0.5));
  const float* spectrum = fft.GetSpectrum();
  for (int k = 0; k < 512; ++k) ASSERT_EQ(spectrum[k], 0.0f);
}

TEST(Fft, InitRefusesImpossibleShapesAndKeepsTheBlockForTheSamePair) {
  CFFT fft;
  for (auto [n, a] : std::vector<std::pair<int32_t, int32_t>>{
           {1000, 4}, {2, 4}, {0, 4}, {-1024, 4}, {1024, 0}, {1024, -1}, {1024, 100000}, {1 << 24, 1}}) {
    EXPECT_FALSE(fft.Init(n, a, 1)) << n << " " << a;
    EXPECT_FALSE(fft.IsSetUp());
    EXPECT_EQ(fft.BlockSize(), 256);
    EXPECT_EQ(fft.AveragingCount(), 0);
  }
  ASSERT_TRUE(fft.Init(256, 2, kChannelLeft));
  CWave w;
  MakeWave(w, 256, [](uint32_t) { return 100.0; });
  fft.Calc(&w, 0, 0);
  ASSERT_TRUE(fft.IsCalculated());
  const uint8_t* block = fft.WorkingBlock();
  EXPECT_TRUE(fft.Init(256, 2, kChannelRight));  // same pair: counters and channel only
  EXPECT_EQ(fft.WorkingBlock(), block);
  EXPECT_EQ(fft.Channel(), 2u);
  EXPECT_FALSE(fft.IsCalculated());
  EXPECT_EQ(fft.RingIndex(), 0);
}

TEST(Fft, ConstantBlockGivesTwiceItsLevelInBinZeroOnly) {
  const double c = 4000 * kLevelPerStep;  // 1220.703125, exact
  CWave w;
  MakeWave(w, 256, [](uint32_t) { return 4000.0; });
  CFFT fft;
  ASSERT_TRUE(fft.Init(256, 1, kChannelLeft));
  fft.Calc(&w, 0, kFftSingle);
  std::vector<float> s = Spectrum(fft);
  EXPECT_EQ(s[0], static_cast<float>(2 * c));
  for (int k = 1; k < 128; ++k) ASSERT_EQ(s[k], 0.0f) << k;
  EXPECT_EQ(fft.MaxLevel(), s[0]);
  EXPECT_EQ(fft.MinLevel(), 0.0f);

  fft.Calc(&w, 0, kFftSingle | kFftMeanRemoval);
  s = Spectrum(fft);
  for (int k = 0; k < 128; ++k) ASSERT_EQ(s[k], 0.0f) << k;
}

// A sine of amplitude 10000 (full scale; its positive peaks are limited to 32767) exactly on
// bin 8 of N = 256: 10000 in bin 8; with the Hann window 5000 there and 2500 either side.
TEST(Fft, SineOnABinReadsItsAmplitudeAndHalfOfItWithTheWindow) {
  CWave w;
  MakeWave(w, 256, [](uint32_t i) { return 32768.0 * std::sin(2 * M_PI * 8 * i / 256); });
  CFFT fft;
  ASSERT_TRUE(fft.Init(256, 1, kChannelLeft));
  // One step lost at each of the 8 positive peaks moves bin 8 by 8 * 0.305 * 2/256 = 0.019.
  const double tolerance = kQuantisation + 0.02;

  fft.Calc(&w, 0, kFftSingle);
  std::vector<float> s = Spectrum(fft);
  EXPECT_NEAR(s[8], 10000.0, tolerance);
  for (int k = 0; k < 128; ++k) {
    if (k != 8) {
      EXPECT_NEAR(s[k], 0.0, tolerance) << k;
    }
  }
  EXPECT_EQ(fft.MaxLevel(), s[8]);

  fft.Calc(&w, 0, kFftSingle | kFftWindow);
  s = Spectrum(fft);
  EXPECT_NEAR(s[8], 5000.0, tolerance);
  EXPECT_NEAR(s[7], 2500.0, tolerance);
  EXPECT_NEAR(s[9], 2500.0, tolerance);
  for (int k = 0; k < 128; ++k) {
    if (k < 7 || k > 9) {
      EXPECT_NEAR(s[k], 0.0, tolerance) << k;
    }
  }

  // The fast magnitude, 2 (L + S/3), is exact where one part vanishes: a sine on a bin
  // gives a purely imaginary bin.
  fft.Calc(&w, 0, kFftSingle | kFftFastMagnitude);
  EXPECT_NEAR(Spectrum(fft)[8], 10000.0, tolerance);
}

namespace {

// Six blocks of 64 frames: block j (1-based) holds the constant 625 j on the level scale
// (2048 j steps, exact), so bin 0 of frame j is exactly 1250 j, plus a sine of amplitude
// 1000 j on bin 2 + j whose rounded samples are odd about the block's middle, so that they
// add nothing to bin 0. Every mean below is exact in floats.
constexpr uint32_t kN = 64;
void MakeSteps(CWave& w) {
  MakeWave(w, 6 * kN, [](uint32_t i) {
    const uint32_t j = i / kN + 1;
    const uint32_t n = i % kN;
    auto sine = [j](uint32_t m) {
      return std::round((1000.0 * j / kLevelPerStep) * std::sin(2 * M_PI * (2 + j) * m / kN));
    };
    return 2048.0 * j + (n <= kN / 2 ? sine(n) : -sine(kN - n));
  });
}
float Bin0OfFrame(int j) { return 1250.0f * static_cast<float>(j); }

}  // namespace

TEST(Fft, AveragingShowsTheMeanOfTheLastAFramesInARing) {
  CWave w;
  MakeSteps(w);
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 4, kChannelLeft));
  const float expected[] = {1250, 1875, 2500, 3125, 4375, 5625};  // frame 5 replaced frame 1
  const int32_t ring[] = {1, 2, 3, 0, 1, 2};
  for (int j = 1; j <= 6; ++j) {
    fft.Calc(&w, (j - 1) * kN, static_cast<uint16_t>(j == 1 ? kFftRestart : 0));
    EXPECT_EQ(Spectrum(fft)[0], expected[j - 1]) << j;
    EXPECT_EQ(fft.FrameCount(), std::min(j, 4)) << j;
    EXPECT_EQ(fft.RingIndex(), ring[j - 1]) << j;
  }
  // After frame 6 the ring holds frames 3 to 6: each sine shows a quarter of its amplitude.
  std::vector<float> s = Spectrum(fft);
  EXPECT_NEAR(s[2 + 2], 0.0, kQuantisation);
  for (int j = 3; j <= 6; ++j) EXPECT_NEAR(s[2 + j], 1000.0 * j / 4, kQuantisation) << j;

  fft.Calc(&w, 0, kFftRestart);  // a restart starts the ring again
  EXPECT_EQ(Spectrum(fft)[0], Bin0OfFrame(1));
  EXPECT_EQ(fft.FrameCount(), 1);
}

TEST(Fft, CumulativeModeShowsTheMeanOfEveryFrameSinceTheRestart) {
  CWave w;
  MakeSteps(w);
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 1, kChannelLeft));  // the panel sets averaging 1 for "全体"
  for (int j = 1; j <= 6; ++j) {
    fft.Calc(&w, (j - 1) * kN, static_cast<uint16_t>(kFftCumulative | (j == 1 ? kFftRestart : 0)));
    EXPECT_EQ(Spectrum(fft)[0], 1250.0f * (j + 1) / 2) << j;
    EXPECT_EQ(fft.FrameCount(), j);  // not limited to the averaging count
  }
  EXPECT_NEAR(Spectrum(fft)[2 + 4], 4000.0 / 6, kQuantisation);
}

TEST(Fft, PeakHoldNeverLowersABinExceptBinZero) {
  CWave w;
  MakeSteps(w);
  // Frames in the order 6, 1, 2, ...: frame 6 has the largest constant, so bin 0 falls
  // afterwards while every other bin keeps its peak.
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 1, kChannelLeft));
  std::vector<float> previous;
  const int order[] = {6, 1, 2, 3, 4, 5};
  for (int step = 0; step < 6; ++step) {
    const int j = order[step];
    fft.Calc(&w, (j - 1) * kN, static_cast<uint16_t>(kFftPeakHold | (step == 0 ? kFftRestart : 0)));
    std::vector<float> s = Spectrum(fft);
    EXPECT_EQ(s[0], Bin0OfFrame(j)) << j;  // bin 0 always shows the current frame
    if (step > 0) {
      for (uint32_t k = 1; k < kN / 2; ++k) ASSERT_GE(s[k], previous[k]) << j << " bin " << k;
    }
    EXPECT_EQ(fft.FrameCount(), 1);
    previous = s;
  }
  for (int j = 1; j <= 6; ++j) EXPECT_NEAR(previous[2 + j], 1000.0 * j, kQuantisation) << j;
}

TEST(Fft, DecayingPeakHoldShrinksTheHeldValuesByNineTenthsPerFrame) {
  CWave w;
  MakeSteps(w);
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 1, kChannelLeft));
  const uint16_t decay = kFftDecayingPeakHold;
  fft.Calc(&w, 5 * kN, decay | kFftRestart);  // frame 6: bin 8 at 6000
  const float first = Spectrum(fft)[8];
  EXPECT_NEAR(first, 6000.0, kQuantisation);
  fft.Calc(&w, 0, decay);  // frame 1 has nothing in bin 8
  EXPECT_EQ(Spectrum(fft)[8], first * 0.9f);
  fft.Calc(&w, 0, decay);
  EXPECT_EQ(Spectrum(fft)[8], first * 0.9f * 0.9f);
  EXPECT_EQ(Spectrum(fft)[0], Bin0OfFrame(1));
}

TEST(Fft, ShortWavesAndStartsBeyondTheEndChangeNothing) {
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 2, kChannelLeft));
  CWave ok;
  MakeWave(ok, kN, [](uint32_t) { return 2048.0; });
  fft.Calc(&ok, 0, 0);
  const std::vector<float> before = Spectrum(fft);
  const float maxBefore = fft.MaxLevel();

  CWave shortWave;
  MakeWave(shortWave, kN - 1, [](uint32_t) { return 9000.0; });
  fft.Calc(&shortWave, 0, 0);
  fft.Calc(&ok, kN + 1, 0);  // beyond the last frame
  fft.Calc(nullptr, 0, 0);
  EXPECT_EQ(Spectrum(fft), before);
  EXPECT_EQ(fft.MaxLevel(), maxBefore);
  EXPECT_EQ(fft.FrameCount(), 1);

  fft.Calc(&shortWave, 0, kFftRestart);  // the restart still happens
  EXPECT_FALSE(fft.IsCalculated());
}

TEST(Fft, BlocksReachingPastTheEndRepeatTheLastFrame) {
  // 100 frames: a sine, then the constant 2048 steps in the last 10.
  CWave w;
  MakeWave(w, 100, [](uint32_t i) { return i < 90 ? 9000.0 * std::sin(i * 0.3) : 2048.0; });
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 1, kChannelLeft));
  for (uint32_t start : {90u, 100u}) {  // 10 frames and 0 frames inside the wave
    fft.Calc(&w, start, kFftSingle);
    std::vector<float> s = Spectrum(fft);
    EXPECT_EQ(s[0], 1250.0f) << start;
    for (uint32_t k = 1; k < kN / 2; ++k) ASSERT_EQ(s[k], 0.0f) << start << " bin " << k;
  }
}

TEST(Fft, ChannelSelectorPicksLeftRightOrTheirMean) {
  CWave w;
  w.SetFormat(44100, 16, 2);
  ASSERT_TRUE(w.Allocate(kN));
  for (uint32_t i = 0; i < kN; ++i) {
    w.SetSample(i, 2048, kChannelLeft);
    w.SetSample(i, 6144, kChannelRight);
  }
  const float expected[] = {0.0f, 1250.0f, 3750.0f, 2500.0f};  // bin 0 = twice the level
  for (uint32_t selector = 1; selector <= 3; ++selector) {
    CFFT fft;
    ASSERT_TRUE(fft.Init(kN, 1, selector));
    fft.Calc(&w, 0, kFftSingle);
    EXPECT_EQ(Spectrum(fft)[0], expected[selector]) << selector;
  }
}

TEST(Fft, MinMaxInBinsClipsTheLastBinAndIsZeroForAnEmptyRange) {
  CWave w;
  MakeSteps(w);
  CFFT fft;
  ASSERT_TRUE(fft.Init(kN, 1, kChannelLeft));
  double lo = -1, hi = -1;
  fft.GetMinMaxInBins(0, 10, lo, hi);
  EXPECT_EQ(lo, 0.0);  // nothing calculated yet
  EXPECT_EQ(hi, 0.0);
  fft.Calc(&w, 5 * kN, kFftSingle);  // frame 6: 7500 in bin 0, 6000 in bin 8
  const std::vector<float> s = Spectrum(fft);
  fft.GetMinMaxInBins(1, 1000, lo, hi);
  EXPECT_EQ(hi, s[8]);
  EXPECT_EQ(lo, *std::min_element(s.begin() + 1, s.end()));
  fft.GetMinMaxInBins(-5, 0, lo, hi);
  EXPECT_EQ(lo, 7500.0);
  EXPECT_EQ(hi, 7500.0);
  fft.GetMinMaxInBins(40, 1000, lo, hi);  // first above the clipped last (31)
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 0.0);
  EXPECT_EQ(fft.MaxLevel(), 7500.0f);
  EXPECT_EQ(fft.MinLevel(), *std::min_element(s.begin(), s.end()));
}

// --- the stored record ---

namespace {

std::vector<uint8_t> Store(CFFT& fft) {
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    EXPECT_TRUE(fft.Serialize(ar));
    ar.WriteU32(0xC0FFEE);  // whatever the document stores next
  }
  return mem.TakeBytes();
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

}  // namespace

TEST(FftRecord, LayoutOfAnEngineWithBlockSize1024AndAveraging8) {
  CWave w;
  MakeWave(w, 2048, [](uint32_t i) { return 9000.0 * std::sin(i * 0.01); });
  CFFT fft;
  ASSERT_TRUE(fft.Init(1024, 8, kChannelRight));
  fft.Calc(&w, 0, kFftWindow);
  fft.Calc(&w, 512, kFftWindow);
  const std::vector<uint8_t> bytes = Store(fft);
  ASSERT_EQ(bytes.size(), 47132u + 4);
  EXPECT_EQ(U32At(bytes, 0), 8u);
  EXPECT_EQ(U32At(bytes, 4), 1024u);
  EXPECT_EQ(U32At(bytes, 8), 2u);
  EXPECT_EQ(std::memcmp(bytes.data() + 12, fft.WorkingBlock(), 47104), 0);
  float level;
  std::memcpy(&level, bytes.data() + 12 + 47104, 4);
  EXPECT_EQ(level, fft.MaxLevel());
  std::memcpy(&level, bytes.data() + 12 + 47108, 4);
  EXPECT_EQ(level, fft.MinLevel());
  EXPECT_EQ(U32At(bytes, 12 + 47112), 2u);  // frame count
  EXPECT_EQ(U32At(bytes, 12 + 47116), 2u);  // ring index
  EXPECT_EQ(U32At(bytes, 47132), 0xC0FFEEu);
}

TEST(FftRecord, RoundTripContinuesTheAveragingWhereItStopped) {
  CWave w;
  MakeSteps(w);
  CFFT original;
  ASSERT_TRUE(original.Init(kN, 4, kChannelLeft));
  for (int j = 0; j < 5; ++j) original.Calc(&w, j * kN, kFftWindow);
  MemoryStream mem(Store(original));
  CFFT loaded;
  ASSERT_TRUE(loaded.Init(1024, 2, kChannelRight));  // a different shape is replaced
  {
    CArchive ar(mem, CArchive::Mode::Load);
    ASSERT_TRUE(loaded.Serialize(ar));
    EXPECT_EQ(ar.ReadU32(), 0xC0FFEEu);
    EXPECT_FALSE(ar.Failed());
  }
  EXPECT_EQ(loaded.BlockSize(), kN);
  EXPECT_EQ(loaded.AveragingCount(), 4);
  EXPECT_EQ(loaded.Channel(), 1u);
  EXPECT_EQ(loaded.FrameCount(), 4);
  EXPECT_EQ(loaded.RingIndex(), 1);
  EXPECT_EQ(loaded.MaxLevel(), original.MaxLevel());
  EXPECT_EQ(std::memcmp(loaded.WorkingBlock(), original.WorkingBlock(), CFFT::WorkingBlockBytes(kN, 4)), 0);
  original.Calc(&w, 5 * kN, kFftWindow);
  loaded.Calc(&w, 5 * kN, kFftWindow);
  EXPECT_EQ(Spectrum(loaded), Spectrum(original));
}

TEST(FftRecord, AnEngineWithoutABlockTakesTwelveBytesAndLoadsNotSetUp) {
  CFFT never;
  CFFT refused;
  EXPECT_FALSE(refused.Init(1000, 4, kChannelLeft));
  for (CFFT* fft : {&never, &refused}) {
    const std::vector<uint8_t> bytes = Store(*fft);
    ASSERT_EQ(bytes.size(), 12u + 4);
    EXPECT_EQ(U32At(bytes, 0), 0u);
    EXPECT_EQ(U32At(bytes, 4), 256u);
  }
  // A set-up engine loading such a record gives up its block; what follows still reads.
  std::vector<uint8_t> bytes = {0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0xEE, 0xFF, 0xC0, 0};
  MemoryStream mem(bytes);
  CArchive ar(mem, CArchive::Mode::Load);
  CFFT fft;
  ASSERT_TRUE(fft.Init(512, 4, kChannelLeft));
  EXPECT_TRUE(fft.Serialize(ar));
  EXPECT_FALSE(fft.IsSetUp());
  EXPECT_EQ(fft.Channel(), 2u);
  EXPECT_EQ(ar.ReadU32(), 0xC0FFEEu);
}

TEST(FftRecord, RefusedRecordsFailTheArchiveAndLeaveTheEngineNotSetUp) {
  // Block size 512: averaging 0 with block size 256 is the record of an engine without block.
  CFFT good;
  ASSERT_TRUE(good.Init(512, 2, kChannelLeft));
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    good.Serialize(ar);
  }
  const std::vector<uint8_t> valid = mem.Bytes();
  auto with = [&](size_t at, int32_t value) {
    std::vector<uint8_t> b = valid;
    std::memcpy(b.data() + at, &value, 4);
    return b;
  };
  const size_t trailer = 12 + CFFT::WorkingBlockBytes(512, 2);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"averaging 0 with a block", with(0, 0)},
      {"negative averaging", with(0, -3)},
      {"absurd averaging", with(0, 1 << 30)},
      {"block size not a power of two", with(4, 300)},
      {"block size 0", with(4, 0)},
      {"huge block claimed", with(4, 1 << 20)},
      {"more averaging than the archive holds", with(0, 3)},
      {"block cut short", std::vector<uint8_t>(valid.begin(), valid.end() - 20)},
      {"only the three values", std::vector<uint8_t>(valid.begin(), valid.begin() + 12)},
      {"negative frame count", with(trailer + 8, -1)},
      {"ring index at the averaging count", with(trailer + 12, 2)},
      {"negative ring index", with(trailer + 12, -1)},
  };
  for (const auto& c : cases) {
    MemoryStream in(c.bytes);
    CArchive ar(in, CArchive::Mode::Load);
    CFFT fft;
    ASSERT_TRUE(fft.Init(1024, 4, kChannelLeft));
    EXPECT_FALSE(fft.Serialize(ar)) << c.what;
    EXPECT_TRUE(ar.Failed()) << c.what;
    EXPECT_FALSE(fft.IsSetUp()) << c.what;
    EXPECT_EQ(fft.AveragingCount(), 0) << c.what;
  }
}

TEST(FftRecord, ALoadedEngineTransformsWithTheLoadedTables) {
  CFFT original;
  ASSERT_TRUE(original.Init(kN, 1, kChannelLeft));
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    original.Serialize(ar);
  }
  std::vector<uint8_t> bytes = mem.TakeBytes();
  // Zero the stored window: a windowed frame of the loaded engine must then be all zero.
  std::memset(bytes.data() + 12 + 24 * kN, 0, 4 * kN);
  MemoryStream in(bytes);
  CArchive ar(in, CArchive::Mode::Load);
  CFFT loaded;
  ASSERT_TRUE(loaded.Serialize(ar));
  CWave w;
  MakeSteps(w);
  loaded.Calc(&w, 0, kFftSingle | kFftWindow);
  EXPECT_EQ(loaded.MaxLevel(), 0.0f);
  original.Calc(&w, 0, kFftSingle | kFftWindow);
  EXPECT_GT(original.MaxLevel(), 100.0f);
}
