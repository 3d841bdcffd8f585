// The wave generator: amplitudes, the three waveforms against independent references, the
// rules of the signal dialog, and the component list's texts.
#include "core/dsp/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/wave/wave.h"

namespace {

constexpr long double kTwoPi = 6.2831852L;  // the generator's own value of 2 pi

SignalComponent Sine(int32_t startHz, int32_t endHz, int32_t level = 10) {
  SignalComponent c;
  c.name = std::string(1, 's');
  c.startHz = startHz;
  c.endHz = endHz;
  c.levelRatio = level;
  return c;
}

GeneratorSettings Settings(std::vector<SignalComponent> components, int32_t durationMs, int32_t repetitions,
                           uint32_t rateHz, uint16_t channels = 1, int32_t peak = 50) {
  GeneratorSettings s;
  s.components = std::move(components);
  s.durationMs = durationMs;
  s.repetitions = repetitions;
  s.rateHz = rateHz;
  s.bits = 16;
  s.channels = channels;
  s.peakPercent = peak;
  return s;
}

// A wave of the settings' format and frames, generated.
void Make(const GeneratorSettings& s, CWave& w) { ASSERT_EQ(GenerateWave(s, w), GenerateResult::kDone); }

// One sine component written from closed forms: the frequency of frame i is the start
// frequency swept by (i mod P) / P of the way (geometrically for a log sweep), the phase is
// the running sum of the instantaneous frequencies (never reset), the envelope and the AM
// follow their formulas from the start of each repetition. The FM floor is applied.
std::vector<int> ReferenceSine(const SignalComponent& c, double amplitude, uint32_t rate, uint32_t period,
                               uint32_t fadeIn, uint32_t fadeOut, uint32_t frames) {
  std::vector<int> out(frames);
  long double phi = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    const uint32_t b = i % period;
    const long double x = static_cast<long double>(b) / period;
    const long double f = c.logSweep ? c.startHz * std::pow(static_cast<long double>(c.endHz) / c.startHz, x)
                                     : c.startHz + (c.endHz - c.startHz) * x;
    long double g = 1;
    if (b != 0 && b < fadeIn) g = static_cast<long double>(b) / fadeIn;
    else if (b != 0 && period - b < fadeOut) g = static_cast<long double>(period - b) / fadeOut;
    long double s = amplitude * std::sin(phi);
    if (c.amOn) {
      const long double amPhase = 3.1415926L + kTwoPi * c.amHz * b / rate;
      const long double m = std::clamp((std::sin(amPhase) + 1) * c.amDepthPercent * 0.5L, 0.0L, 100.0L);
      s *= (100 - m) * 0.01L;
    }
    out[i] = static_cast<int>(g * s);
    long double now = f;
    if (c.fmOn) now += std::sin(kTwoPi * c.fmHz * b / rate) * (c.fmBandHz >> 1);
    if (now <= 0) now = 0.1L;
    phi += now * kTwoPi / rate;
  }
  return out;
}

// Frames where the generated wave and the reference differ by more than one step of the
// truncation.
int Mismatches(const CWave& w, const std::vector<int>& expected) {
  int bad = 0;
  for (uint32_t i = 0; i < expected.size(); ++i) {
    if (std::abs(w.GetSample(i, kChannelLeft) - expected[i]) > 1) ++bad;
  }
  return bad;
}

}  // namespace

TEST(GeneratorAmplitude, FollowsTheLevelRatiosAndThePeakLevel) {
  struct Case {
    int32_t ratio, peak;
    int64_t sum;
    int32_t amplitude;
  } cases[] = {
      {10, 50, 40, 4096},   // trunc(10 x 50 / 40 x 327.68)
      {30, 50, 40, 12288},  // trunc(30 x 50 / 40 x 327.68)
      {10, 100, 10, 32768},  // limited to 32767 only by the synthesis
      {1, 100, 3, 10922},    // 10922.67 truncated
      {0, 50, 40, 0},
      {10, 50, 0, 0},  // no level at all: nothing is generated
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComponentAmplitude(c.ratio, c.peak, c.sum), c.amplitude) << c.ratio << " " << c.peak << " " << c.sum;
  }
}

TEST(GeneratorAmplitude, TwoComponentsAddUpAndFullScaleIsLimitedTo32767) {
  // Two squares of 10 and 30 at 50 %: 4096 + 12288 where both are positive.
  SignalComponent a = Sine(0, 0, 10), b = Sine(0, 0, 30);
  a.type = b.type = SignalType::kSquare;
  a.baseHz = b.baseHz = 100;
  a.dutyPercent = b.dutyPercent = 50;
  CWave w;
  Make(Settings({a, b}, 1000, 1, 8000), w);
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 4096 + 12288);
  EXPECT_EQ(w.GetSample(60, kChannelLeft), -4096 - 12288);

  // One component at 100 %: amplitude 32768, synthesised at 32767 on both sides.
  CWave full;
  Make(Settings({a}, 1000, 1, 8000, 2, 100), full);
  EXPECT_EQ(full.GetSample(0, kChannelLeft), 32767);
  EXPECT_EQ(full.GetSample(0, kChannelRight), 32767);
  EXPECT_EQ(full.GetSample(60, kChannelLeft), -32767);
  CWave sine;
  Make(Settings({Sine(1000, 1000)}, 1000, 1, 8000, 1, 100), sine);
  int peak = 0;
  for (uint32_t i = 0; i < sine.FrameCount(); ++i) peak = std::max(peak, std::abs(sine.GetSample(i, kChannelLeft)));
  EXPECT_GE(peak, 32760);  // the crests fall on frames, a hair below 1
  EXPECT_LE(peak, 32767);
}

TEST(GeneratorSine, SweepsAndEnvelopesRestartEachRepetitionWhileThePhaseRunsOn) {
  // 1000 ms three times at 8000 Hz: 24000 frames, P = 8000.
  SignalComponent c = Sine(100, 1000);
  c.fadeInMs = 100;
  c.fadeOutMs = 250;
  GeneratorSettings s = Settings({c}, 1000, 3, 8000);
  EXPECT_EQ(GeneratedFrameCount(s), 24000u);
  EXPECT_EQ(FramesForMs(1000, 8000), 8000u);
  for (bool log : {false, true}) {
    s.components[0].logSweep = log;
    CWave w;
    Make(s, w);
    ASSERT_EQ(w.FrameCount(), 24000u);
    const std::vector<int> expected = ReferenceSine(s.components[0], 16384, 8000, 8000, 800, 2000, 24000);
    EXPECT_EQ(Mismatches(w, expected), 0) << (log ? "log" : "linear");
    // The envelope restarts at 8000 and 16000: the first fade-in frames are small again.
    for (uint32_t start : {8000u, 16000u}) {
      for (uint32_t k = 1; k < 40; ++k) {
        EXPECT_LE(std::abs(w.GetSample(start + k, kChannelLeft)), 16384 * k / 800 + 1) << start + k;
      }
    }
  }
  // The phase runs on: at frame 8000 a sine restarted at phase 0 would give 0; this one
  // does not, and the reference (which never resets the phase) agrees with it.
  s.components[0] = Sine(1001, 1001);
  CWave w;
  Make(s, w);
  EXPECT_NE(w.GetSample(8000, kChannelLeft), 0);
  EXPECT_EQ(Mismatches(w, ReferenceSine(s.components[0], 16384, 8000, 8000, 0, 0, 24000)), 0);
}

TEST(GeneratorSine, AmplitudeModulationStartsAtHalfTheDepth) {
  SignalComponent c = Sine(1000, 1000);
  c.amOn = true;
  c.amHz = 5;
  c.amDepthPercent = 80;
  GeneratorSettings s = Settings({c}, 500, 2, 8000);
  CWave w;
  Make(s, w);
  EXPECT_EQ(Mismatches(w, ReferenceSine(c, 16384, 8000, 4000, 0, 0, 8000)), 0);
  // At the first peak of the carrier (frame 2 = 90 degrees at 1000 Hz) the gain is
  // 1 - 40 % (half the depth), not the full or the deepest cut.
  EXPECT_NEAR(w.GetSample(2, kChannelLeft), 16384 * 0.6, 80);  // the AM has moved on 2 frames
  EXPECT_NEAR(w.GetSample(4002, kChannelLeft) / 16384.0, w.GetSample(2, kChannelLeft) / 16384.0, 0.02);
}

TEST(GeneratorSine, FrequencyModulationBelowZeroRunsAtTheFloor) {
  // 100 Hz swung by +-500 Hz at 1 Hz: below 0 Hz while sin < -0.2, i.e. from about
  // 0.532 s to 0.968 s (frames 4256 to 7744), where the phase may only creep on at 0.1 Hz.
  SignalComponent c = Sine(100, 100);
  c.fmOn = true;
  c.fmHz = 1;
  c.fmBandHz = 1000;
  GeneratorSettings s = Settings({c}, 1000, 1, 8000);
  CWave w;
  Make(s, w);
  EXPECT_EQ(Mismatches(w, ReferenceSine(c, 16384, 8000, 8000, 0, 0, 8000)), 0);
  // At 0.1 Hz one frame moves the phase by 7.9e-5 rad: neighbours differ by at most 2.
  for (uint32_t i = 4600; i < 7400; ++i) {
    ASSERT_LE(std::abs(w.GetSample(i + 1, kChannelLeft) - w.GetSample(i, kChannelLeft)), 2) << i;
  }
  // Elsewhere the sine moves at 100 Hz or more.
  int largest = 0;
  for (uint32_t i = 0; i < 400; ++i) {
    largest = std::max(largest, std::abs(w.GetSample(i + 1, kChannelLeft) - w.GetSample(i, kChannelLeft)));
  }
  EXPECT_GT(largest, 1000);
}

TEST(GeneratorSquare, HundredHertzAtHalfDutyHas41PositiveFrames) {
  SignalComponent c = Sine(0, 0);
  c.type = SignalType::kSquare;
  c.baseHz = 100;
  c.dutyPercent = 50;
  CWave w;
  Make(Settings({c}, 1000, 1, 8000), w);
  // p = 80, H = 40: frames 0..40 of each period positive, 41..79 negative.
  for (uint32_t period = 0; period < 100; ++period) {
    for (uint32_t q = 0; q < 80; ++q) {
      ASSERT_EQ(w.GetSample(period * 80 + q, kChannelLeft), q <= 40 ? 16384 : -16384) << period << " " << q;
    }
  }
  // A period that is not whole (8000 / 300 = 26.67 frames) keeps its place over time. A
  // period that begins between two frames is first seen at q = 1, so it has 7 positive
  // frames instead of 8: every third period begins on a frame, 100 x 8 + 200 x 7.
  c.baseHz = 300;
  c.dutyPercent = 25;  // H = trunc(6.67 + 0.5) = 7
  CWave odd;
  Make(Settings({c}, 1000, 1, 8000), odd);
  int positive = 0;
  for (uint32_t i = 0; i < 8000; ++i) positive += odd.GetSample(i, kChannelLeft) > 0;
  EXPECT_EQ(positive, 2200);
}

TEST(GeneratorNoise, StartsNegativeAndEveryNoiseComponentIsTheSameSequence) {
  SignalComponent n = Sine(0, 0);
  n.type = SignalType::kNoise;
  CWave one;
  Make(Settings({n}, 1000, 1, 44100), one);
  // a = 9 x 16384 / 10 = 14745. The start pattern 0xAAAA reaches bit 27 after 12 shifts.
  for (uint32_t i = 0; i < 12; ++i) EXPECT_EQ(one.GetSample(i, kChannelLeft), -14745) << i;
  EXPECT_EQ(one.GetSample(12, kChannelLeft), 14745);
  long long sum = 0;
  int changes = 0;
  for (uint32_t i = 0; i < one.FrameCount(); ++i) {
    const int v = one.GetSample(i, kChannelLeft);
    ASSERT_TRUE(v == 14745 || v == -14745) << i;
    sum += v;
    if (i > 0 && v != one.GetSample(i - 1, kChannelLeft)) ++changes;
  }
  EXPECT_LT(std::llabs(sum / 14745), 2000);  // as many highs as lows, roughly
  EXPECT_GT(changes, 15000);                  // and they alternate like noise

  // Two noise components of equal level are the same sequence: the sum is twice each.
  CWave two;
  Make(Settings({n, n}, 1000, 1, 44100), two);
  // Each 8192, a = 7372: twice that everywhere, never 0.
  for (uint32_t i = 0; i < two.FrameCount(); ++i) {
    ASSERT_EQ(std::abs(two.GetSample(i, kChannelLeft)), 2 * 7372) << i;
    ASSERT_EQ(two.GetSample(i, kChannelLeft) > 0, one.GetSample(i, kChannelLeft) > 0) << i;
  }
}

TEST(GeneratorWave, NothingIsWrittenWithoutComponentsLevelsOrFrames) {
  CWave w;
  GeneratorSettings s = Settings({}, 100, 1, 8000);
  Make(s, w);
  EXPECT_EQ(w.FrameCount(), 800u);
  for (uint32_t i = 0; i < w.FrameCount(); ++i) ASSERT_EQ(w.GetSample(i, kChannelLeft), 0);
  s.components = {Sine(1000, 1000, 0), Sine(500, 500, 0)};
  Make(s, w);
  EXPECT_FALSE(w.Generate(s));
  for (uint32_t i = 0; i < w.FrameCount(); ++i) ASSERT_EQ(w.GetSample(i, kChannelLeft), 0);
  // A repetition shorter than a frame has nothing to sweep over: the wave stays silent.
  CWave second;
  second.SetFormat(8000, 16, 1);
  ASSERT_TRUE(second.Allocate(8000));
  s.components = {Sine(1000, 1000)};
  s.durationMs = 0;
  EXPECT_FALSE(second.Generate(s));
  EXPECT_EQ(second.GetSample(3, kChannelLeft), 0);
}

TEST(GeneratorWave, EightBitStereoWavesTakeEveryValueOnBothChannels) {
  SignalComponent sq = Sine(0, 0);
  sq.type = SignalType::kSquare;
  sq.baseHz = 1000;
  sq.dutyPercent = 50;
  GeneratorSettings s = Settings({sq, Sine(440, 440)}, 200, 2, 11025, 2);
  s.bits = 8;
  CWave w;
  Make(s, w);
  ASSERT_EQ(w.FrameCount(), 4410u);
  for (uint32_t i = 0; i < w.FrameCount(); ++i) {
    ASSERT_EQ(w.GetSample(i, kChannelLeft), w.GetSample(i, kChannelRight)) << i;
  }
  EXPECT_NE(w.GetSample(5, kChannelLeft), w.GetSample(7, kChannelLeft));
}

TEST(GeneratorWave, RefusedSettingsAndTooLongWavesLeaveTheWaveAlone) {
  CWave w;
  w.SetFormat(44100, 16, 2);
  ASSERT_TRUE(w.Allocate(10));
  w.SetSample(3, 1234, kChannelBoth);
  struct Case {
    GeneratorSettings settings;
    std::string message;
  };
  GeneratorSettings base = Settings({Sine(1000, 1000)}, 1000, 1, 44100, 2);
  auto with = [&](auto change) {
    GeneratorSettings s = base;
    change(s);
    return s;
  };
  const Case cases[] = {
      {with([](GeneratorSettings& s) { s.peakPercent = 101; }), "0 から 100 までの整数を入力してください。"},
      {with([](GeneratorSettings& s) { s.peakPercent = -1; }), "0 から 100 までの整数を入力してください。"},
      {with([](GeneratorSettings& s) { s.durationMs = 0; }), "1 から 3600000 までの整数を入力してください。"},
      {with([](GeneratorSettings& s) { s.repetitions = -2; }), "1 から 100000 までの整数を入力してください。"},
      {with([](GeneratorSettings& s) { s.rateHz = 96000; }), kRateRangeMessage},
      {with([](GeneratorSettings& s) { s.bits = 24; }), "ビット数は 8 か 16、チャンネル数は 1 か 2 で指定してください。"},
      {with([](GeneratorSettings& s) { s.components.resize(31, Sine(10, 10)); }), "合成できる信号は 30 個までです。"},
      {with([](GeneratorSettings& s) { s.components[0].levelRatio = -1; }),
       "0 から 2147483647 までの整数を入力してください。"},
      // 3600 s x 100 x 48000 Hz x 4 bytes is far beyond what a WAVE file holds.
      {with([](GeneratorSettings& s) {
         s.durationMs = 3600000;
         s.repetitions = 100;
         s.rateHz = 48000;
       }),
       kTooLongMessage},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GeneratorSettingsProblem(c.settings), c.message);
    EXPECT_EQ(GenerateWave(c.settings, w), GenerateResult::kRefused);
    EXPECT_EQ(w.FrameCount(), 10u);
    EXPECT_EQ(w.GetSample(3, kChannelRight), 1234);
  }
  EXPECT_EQ(GeneratorSettingsProblem(base), "");
  // 30 components are fine; the longest wave that fits is too.
  EXPECT_EQ(GeneratorSettingsProblem(with([](GeneratorSettings& s) { s.components.resize(30, Sine(10, 10)); })), "");
  EXPECT_EQ(GeneratorSettingsProblem(with([](GeneratorSettings& s) {
              s.durationMs = 3600000;
              s.repetitions = 5;
              s.rateHz = 48000;
            })),
            "");
}

TEST(SignalRules, SweepEndsStayBetweenOneHertzAndBelowNyquist) {
  struct Case {
    int32_t typed, limited;
  } cases[] = {{0, 1}, {-50, 1}, {1, 1}, {1000, 1000}, {22049, 22049}, {22050, 22049}, {90000, 22049}};
  for (const Case& c : cases) EXPECT_EQ(LimitSweepHz(c.typed, 22050), c.limited) << c.typed;
}

TEST(SignalRules, FadesNeverAddUpToMoreThanTheDuration) {
  struct Case {
    FadeField left;
    int32_t in, out, expectIn, expectOut;
  } cases[] = {
      {FadeField::kIn, 300, 500, 300, 500},    // fits
      {FadeField::kIn, 700, 500, 700, 300},    // the other one gives way
      {FadeField::kIn, 1500, 500, 1000, 0},    // alone too long: the duration, the other 0
      {FadeField::kOut, 700, 500, 500, 500},   // roles exchanged
      {FadeField::kOut, 200, 1200, 0, 1000},
      {FadeField::kIn, -20, 100, 0, 100},      // negative times count as 0
      {FadeField::kOut, 1000, 0, 1000, 0},     // exactly the duration
  };
  for (const Case& c : cases) {
    int32_t in = c.in, out = c.out;
    ApplyFadeRule(c.left, 1000, in, out);
    EXPECT_EQ(in, c.expectIn) << c.in << " " << c.out;
    EXPECT_EQ(out, c.expectOut) << c.in << " " << c.out;
  }
}

TEST(SignalRules, ConstantFrequencyCopiesTheBaseAndEndsFmOnlyForASine) {
  SignalComponent c = Sine(100, 5000);
  c.baseHz = 440;
  c.fmOn = true;
  SetConstantFrequency(c);
  EXPECT_EQ(c.startHz, 440);
  EXPECT_EQ(c.endHz, 440);
  EXPECT_FALSE(c.fmOn);
  SignalComponent square = Sine(100, 5000);
  square.type = SignalType::kSquare;
  square.fmOn = true;
  SetConstantFrequency(square);
  EXPECT_EQ(square.startHz, 100);
  EXPECT_TRUE(square.fmOn);
}

TEST(ComponentList, SummariesShowWhatMattersForEachType) {
  SignalComponent sine = Sine(100, 2000, 12);
  sine.name = "信号 1";
  sine.fadeInMs = 10;
  sine.fadeOutMs = 20;
  SignalComponent am = sine;
  am.endHz = 100;
  am.amOn = true;
  am.fmOn = true;
  am.fmHz = 3;
  am.fmBandHz = 200;
  SignalComponent square = sine;
  square.type = SignalType::kSquare;
  square.baseHz = 440;
  square.dutyPercent = 30;
  SignalComponent noise = sine;
  noise.type = SignalType::kNoise;
  noise.name = "雑音";
  struct Case {
    SignalComponent c;
    const char* text;
  } cases[] = {
      {sine, "信号 1 (ｻｲﾝ波:100Hz～2000Hz L12 , FADE in:10 out:20 )"},
      {am, "信号 1 (ｻｲﾝ波:100Hz L12 , FADE in:10 out:20 , 振幅変調：20Hz-50 , 周波数変調：3Hz-200 )"},
      {square, "信号 1 (方形波:440Hz Lv12 Du30 )"},
      {noise, "雑音 (ﾎﾜｲﾄﾉｲｽﾞ Lv12 )"},
  };
  for (const Case& c : cases) EXPECT_EQ(ComponentSummary(c.c), c.text);
}

TEST(ComponentList, NewComponentsTakeTheNextFreeNumber) {
  auto named = [](std::vector<std::string> names) {
    std::vector<SignalComponent> list;
    for (auto& n : names) {
      SignalComponent c;
      c.name = n;
      list.push_back(c);
    }
    return list;
  };
  struct Case {
    std::vector<std::string> names;
    const char* next;
  } cases[] = {
      {{}, "信号 1"},
      {{"ベース", "信号"}, "信号 1"},
      {{"信号 1", "信号 2"}, "信号 3"},
      {{"信号 7", "信号 2"}, "信号 8"},  // one more than the largest, not the count
      {{"試験信号 4 kHz"}, "信号 5"},    // the number after the text, wherever it stands
  };
  for (const Case& c : cases) EXPECT_EQ(NextComponentName(named(c.names)), c.next);
  const SignalComponent fresh = NewComponent(named({"信号 3"}));
  EXPECT_EQ(fresh.name, "信号 4");
  EXPECT_EQ(fresh.type, SignalType::kSine);
  EXPECT_EQ(fresh.baseHz, 1000);
  EXPECT_EQ(fresh.levelRatio, 10);
  EXPECT_EQ(fresh.amHz, 20);
  EXPECT_EQ(fresh.amDepthPercent, 50);
  EXPECT_EQ(fresh.startHz, 1000);
  EXPECT_EQ(fresh.endHz, 1000);
}

TEST(NoiseFilter, LowPassJustBelowNyquistWithTheHalvingInWholeNumbers) {
  struct Case {
    uint32_t rate;
    double f1KHz;
  } cases[] = {{44100, 22.049}, {11025, 5.511}, {8000, 3.999}};
  for (const Case& c : cases) {
    const NoiseLowPass f = NoiseLowPassFor(c.rate);
    EXPECT_EQ(f.type, FilterType::kLowPass);
    EXPECT_EQ(f.order, 200);
    EXPECT_DOUBLE_EQ(f.f1KHz, c.f1KHz);
    EXPECT_EQ(f.attenuationDb, 50.0);
  }
}
