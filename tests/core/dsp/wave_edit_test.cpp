// The editing operations of CWave: the documented cases as tables, and every operation
// against a plain frame-by-frame rendering of its rule through GetSample and SetSample, on
// random 8- and 16-bit mono and stereo waves with every channel selector.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/dsp/edit_kernels.h"
#include "core/wave/wave.h"

namespace {

struct Layout {
  uint16_t bits;
  uint16_t channels;
};
constexpr Layout kLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

std::string Name(const Layout& l) {
  return std::to_string(l.bits) + "-bit " + (l.channels == 2 ? "stereo" : "mono");
}

// A wave whose every sample of every channel holds value (sample scale).
void Constant(CWave& w, Layout l, uint32_t rate, uint32_t frames, int value) {
  w.SetFormat(rate, l.bits, l.channels);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t f = 0; f < frames; ++f) w.SetSample(f, value, kChannelBoth);
}

void Random(CWave& w, Layout l, uint32_t rate, uint32_t frames, uint32_t seed) {
  w.SetFormat(rate, l.bits, l.channels);
  ASSERT_TRUE(w.Allocate(frames));
  std::mt19937 gen(seed);
  uint8_t* p = w.GetData(0);
  for (uint32_t i = 0; i < w.DataSize(); ++i) p[i] = static_cast<uint8_t>(gen());
}

std::vector<uint8_t> Bytes(CWave& w) {
  const uint8_t* p = w.GetData(0);
  return p ? std::vector<uint8_t>(p, p + w.DataSize()) : std::vector<uint8_t>{};
}

void Copy(const CWave& from, CWave& to) { ASSERT_TRUE(to.CopyFrom(from)); }

// --- the rules, frame by frame, as the operations are described ---
namespace plain {

template <class One>
void PerChannel(CWave& w, int selector, One one) {
  if (selector >= 3) {
    one(1);
    if (w.Channels() == 2) one(2);
  } else {
    one(selector);
  }
}

void ChangeLevel(CWave& w, uint32_t first, uint32_t last, int percent, bool soft, int selector) {
  last = std::min(last, w.FrameCount() - 1);
  if (first >= last) return;
  const uint32_t n = last - first + 1;
  uint32_t r = soft ? w.Rate() * 10 / 1000 : 0;
  if (2 * r > n) r = n / 2;
  PerChannel(w, selector, [&](int ch) {
    uint32_t f = first;
    auto apply = [&](int gain) {
      w.SetSample(f, w.GetSample(f, ch) * gain / 100, ch);
      ++f;
    };
    for (uint32_t i = 0; i < r; ++i) apply((percent - 100) * static_cast<int>(i) / static_cast<int>(r) + 100);
    for (uint32_t i = 0; i < n - 2 * r; ++i) apply(percent);
    for (uint32_t i = 0; i < r; ++i) {
      const int k = static_cast<int>(r - 1 - i);
      apply((percent - 100) * k / static_cast<int>(r) + 100);
    }
  });
}

void Fade(CWave& w, uint32_t first, uint32_t last, int start, int end, int selector) {
  last = std::min(last, w.FrameCount() - 1);
  if (first >= last) return;
  const int n = static_cast<int>(last - first + 1);
  PerChannel(w, selector, [&](int ch) {
    for (int k = 0; k < n; ++k) {
      const int gain = start + (k * (end - start)) / n;
      w.SetSample(first + k, w.GetSample(first + k, ch) * gain / 100, ch);
    }
  });
}

void Reverse(CWave& w, uint32_t first, uint32_t last, int selector) {
  last = std::min(last, w.FrameCount() - 1);
  if (first >= last) return;
  PerChannel(w, selector, [&](int ch) {
    for (uint32_t a = first, b = last; a < b; ++a, --b) {
      const int x = w.GetSample(a, ch), y = w.GetSample(b, ch);
      w.SetSample(a, y, ch);
      w.SetSample(b, x, ch);
    }
  });
}

void Delay(CWave& w, uint32_t first, uint32_t last, uint32_t ms, int percent, int selector) {
  last = std::min(last, w.FrameCount() - 1);
  if (first >= last) return;
  const uint32_t g = w.Rate() * ms / 1000;
  PerChannel(w, selector, [&](int ch) {
    for (uint32_t a = first; a <= last; ++a) {
      if (a >= g) w.SetSample(a, w.GetSample(a, ch) + percent * w.GetSample(a - g, ch) / 100, ch);
    }
  });
}

int GetPeak(const CWave& w, uint32_t first, uint32_t last, int selector) {
  if (last < first) return 0;
  int peak = 0;
  auto magnitude = [&](uint32_t f, int ch) {
    if (w.Bits() == 8) {
      const int d = w.GetData(f)[ch] - 128;
      return std::abs(d) << 8;
    }
    int16_t v;
    std::memcpy(&v, w.GetData(f) + 2 * ch, 2);
    return std::abs(static_cast<int>(v));
  };
  for (uint32_t f = first; f <= last && f < w.FrameCount(); ++f) {
    if (w.Channels() == 1) peak = std::max(peak, magnitude(f, 0));
    else if (selector == 1) peak = std::max(peak, magnitude(f, 0));
    else if (selector == 2) peak = std::max(peak, magnitude(f, 1));
    else peak = std::max({peak, magnitude(f, 0), magnitude(f, 1)});
  }
  return peak;
}

struct Out {
  int value, left, right;
};

Out Scaled(const CWave& w, uint32_t frame, double weight, int selector, bool destStereo) {
  Out o;
  o.value = static_cast<int>(w.GetSample(frame, selector) * weight);
  if (selector == 3 && destStereo) {
    o.left = static_cast<int>(w.GetSample(frame, 1) * weight);
    o.right = static_cast<int>(w.GetSample(frame, 2) * weight);
  } else {
    o.left = o.right = o.value;
  }
  return o;
}

void Write(CWave& d, uint32_t frame, Out s, Out t, int g, int selector) {
  if (selector >= 3 && d.Channels() == 2) {
    d.SetSample(frame, (s.left + t.left) / g, 1);
    d.SetSample(frame, (s.right + t.right) / g, 2);
  } else {
    d.SetSample(frame, (s.value + t.value) / g, selector);
  }
}

double W(int num, uint32_t den, double offset) { return static_cast<double>(num) / den + offset; }

void Mix(CWave& d, const CWave& s, uint32_t sf, uint32_t sl, uint32_t df, uint32_t dl, bool smooth,
         bool average, int ss, int ds) {
  if (sf == sl || df == dl) return;
  uint32_t m = std::min(sl - sf + 1, dl - df + 1);
  const uint32_t ramp = smooth ? RampLength(m, 10, d.Rate()) : 0;
  const int g = average ? 2 : 1;
  const bool st = d.Channels() == 2;
  const uint32_t off = sf - df;
  uint32_t f = df;
  for (uint32_t i = 0; i < ramp; ++i, ++f) {
    const int ii = static_cast<int>(i);
    Write(d, f, Scaled(s, f + off, W(ii, ramp, 0), ss, st),
          Scaled(d, f, average ? W(-ii, ramp, 2) : W(0, ramp, 1), ds, st), g, ds);
  }
  for (uint32_t i = 0; i < m; ++i, ++f) Write(d, f, Scaled(s, f + off, 1, ss, st), Scaled(d, f, 1, ds, st), g, ds);
  for (uint32_t k = 0; k < ramp; ++k, ++f) {
    const int kk = static_cast<int>(k);
    Write(d, f, Scaled(s, f + off, W(-kk, ramp, 1), ss, st),
          Scaled(d, f, average ? W(kk, ramp, 1) : W(0, ramp, 1), ds, st), g, ds);
  }
}

// Modes 0, and 1 and 2 where the head cross-fade starts after frame 0.
int Overlay(CWave& d, const CWave& s, uint32_t sf, uint32_t sl, uint32_t df, uint32_t dl, bool smooth,
            int mode, int ss, int ds) {
  if (sf == sl || (mode == 0 && df == dl)) return 0;
  uint32_t h = sl - sf + 1;
  if (mode == 0) h = std::min(h, dl - df + 1);
  uint32_t m = h;
  const uint32_t ramp = smooth ? RampLength(m, 10, d.Rate()) : 0;
  uint32_t t = ramp, c = df;
  if (mode != 0) {
    uint32_t p = mode == 1 ? df : dl;
    const uint32_t length = d.FrameCount();
    uint32_t gap = p + ramp;
    if (gap >= length) {
      m += ramp;
      gap = length;
      t = 0;
      p = length - ramp;
    }
    // The wave grows by m frames of silence at the gap.
    CWave grown;
    grown.SetFormat(d.Rate(), d.Bits(), d.Channels());
    EXPECT_TRUE(grown.Allocate(length + m));
    const size_t a = d.BlockAlign();
    if (gap > 0) std::memcpy(grown.GetData(0), d.GetData(0), gap * a);
    if (length > gap) std::memcpy(grown.GetData(gap + m), d.GetData(gap), (length - gap) * a);
    d.CopyFrom(grown);
    c = p;
  }
  const bool st = d.Channels() == 2;
  const Out none{0, 0, 0};
  uint32_t f = c;
  for (uint32_t i = 0; i < ramp; ++i, ++f) {
    const int ii = static_cast<int>(i);
    Write(d, f, Scaled(s, sf + i, W(ii, ramp, 0), ss, st), Scaled(d, f, W(-ii, ramp, 1), ds, st), 1, ds);
  }
  for (uint32_t i = 0; i < m; ++i, ++f) Write(d, f, Scaled(s, f + sf - c, 1, ss, st), none, 1, ds);
  for (uint32_t k = 0; k < t; ++k, ++f) {
    const int kk = static_cast<int>(k);
    Write(d, f, Scaled(s, f + sf - c, W(-kk, t, 1), ss, st), Scaled(d, f, W(kk, t, 0), ds, st), 1, ds);
  }
  return mode == 0 ? 0 : 1;
}

}  // namespace plain

// --- against the plain rules --------------------------------------------------------------

struct Range {
  uint32_t first, last;
};
// Short, long (longer than a chunk of the kernels and than two 10 ms ramps at 8000 Hz),
// one-frame, inverted, and running past the end.
constexpr Range kRanges[] = {{3, 9}, {17, 2900}, {40, 40}, {50, 20}, {2990, 9000}, {0, 2999}};
constexpr int kSelectors[] = {1, 2, 3};

template <class Fast, class Plain>
void CompareOnEveryLayout(Fast fast, Plain slow) {
  uint32_t seed = 1;
  for (const Layout& l : kLayouts) {
    for (int sel : kSelectors) {
      for (const Range& r : kRanges) {
        CWave a, b;
        Random(a, l, 8000, 3000, seed++);
        Copy(a, b);
        fast(a, r, sel);
        slow(b, r, sel);
        ASSERT_EQ(Bytes(a), Bytes(b)) << Name(l) << " selector " << sel << " range " << r.first << ".." << r.last;
      }
    }
  }
}

TEST(WaveEditAgainstRule, ChangeLevelWithAndWithoutSoftEdges) {
  for (int percent : {0, 37, 100, 250, 10000}) {
    for (bool soft : {false, true}) {
      CompareOnEveryLayout(
          [&](CWave& w, Range r, int sel) { w.ChangeLevel(r.first, r.last, percent, soft, sel); },
          [&](CWave& w, Range r, int sel) { plain::ChangeLevel(w, r.first, r.last, percent, soft, sel); });
    }
  }
}

TEST(WaveEditAgainstRule, FadeInOutAndBetweenAnyLevels) {
  const int pairs[][2] = {{0, 100}, {100, 0}, {30, 170}, {150, 149}, {-20, 20}, {0, 5000}};
  for (const auto& p : pairs) {
    CompareOnEveryLayout([&](CWave& w, Range r, int sel) { w.Fade(r.first, r.last, p[0], p[1], sel); },
                         [&](CWave& w, Range r, int sel) { plain::Fade(w, r.first, r.last, p[0], p[1], sel); });
  }
}

TEST(WaveEditAgainstRule, Reverse) {
  CompareOnEveryLayout([](CWave& w, Range r, int sel) { w.Reverse(r.first, r.last, sel); },
                       [](CWave& w, Range r, int sel) { plain::Reverse(w, r.first, r.last, sel); });
}

TEST(WaveEditAgainstRule, EchoWithDelaysShorterAndLongerThanAChunk) {
  // At 8000 Hz: 0, 1 and 8 frames, 1600 frames (longer than the kernels' chunk).
  for (uint32_t ms : {0u, 1u, 200u}) {
    for (int percent : {10, 100, -70}) {
      CompareOnEveryLayout(
          [&](CWave& w, Range r, int sel) { w.Delay(r.first, r.last, ms, percent, sel); },
          [&](CWave& w, Range r, int sel) { plain::Delay(w, r.first, r.last, ms, percent, sel); });
    }
  }
}

TEST(WaveEditAgainstRule, PeakOfEverySelector) {
  uint32_t seed = 100;
  for (const Layout& l : kLayouts) {
    CWave w;
    Random(w, l, 8000, 3000, seed++);
    for (int sel : kSelectors) {
      for (const Range& r : kRanges) {
        EXPECT_EQ(w.GetPeak(r.first, r.last, sel), plain::GetPeak(w, r.first, r.last, sel))
            << Name(l) << " selector " << sel << " range " << r.first << ".." << r.last;
      }
    }
  }
}

// Mixing and copying between every pair of layouts and selectors.
template <class Fast, class Plain>
void ComparePairs(Fast fast, Plain slow) {
  uint32_t seed = 500;
  for (const Layout& dl : kLayouts) {
    for (const Layout& sl : kLayouts) {
      for (int ss : kSelectors) {
        for (int ds : kSelectors) {
          CWave source, a, b;
          Random(source, sl, 8000, 2500, seed++);
          Random(a, dl, 8000, 3000, seed++);
          Copy(a, b);
          const int ra = fast(a, source, ss, ds);
          const int rb = slow(b, source, ss, ds);
          ASSERT_EQ(ra, rb);
          ASSERT_EQ(Bytes(a), Bytes(b)) << "into " << Name(dl) << " from " << Name(sl) << " selectors " << ss
                                        << " -> " << ds;
        }
      }
    }
  }
}

TEST(WaveEditAgainstRule, MixAddingAndAveragingWithAndWithoutRamps) {
  struct Case {
    uint32_t sf, sl, df, dl;
  };
  // Source longer than the destination, shorter, and ramps shrunk to half of a short range.
  const Case cases[] = {{100, 2400, 50, 1800}, {0, 1200, 400, 2999}, {7, 30, 2, 60}};
  for (const Case& c : cases) {
    for (bool smooth : {false, true}) {
      for (bool average : {false, true}) {
        ComparePairs(
            [&](CWave& d, const CWave& s, int ss, int ds) {
              return d.Mix(s, c.sf, c.sl, c.df, c.dl, smooth, average, ss, ds);
            },
            [&](CWave& d, const CWave& s, int ss, int ds) {
              plain::Mix(d, s, c.sf, c.sl, c.df, c.dl, smooth, average, ss, ds);
              return 0;
            });
      }
    }
  }
}

TEST(WaveEditAgainstRule, OverlayOverwritingAndInserting) {
  struct Case {
    uint32_t sf, sl, df, dl;
    int mode;
  };
  const Case cases[] = {
      {100, 2400, 50, 1800, 0},  // overwrite, destination range the shorter
      {10, 500, 700, 2999, 0},   // overwrite, source range the shorter
      {200, 1400, 900, 1000, 1}, // insert at the first frame of the destination range
      {200, 1400, 900, 1000, 2}, // insert at its last frame
      {0, 2499, 10, 2999, 2},    // insert at the end: appended
  };
  for (const Case& c : cases) {
    for (bool smooth : {false, true}) {
      ComparePairs(
          [&](CWave& d, const CWave& s, int ss, int ds) {
            return d.Overlay(s, c.sf, c.sl, c.df, c.dl, smooth, c.mode, ss, ds);
          },
          [&](CWave& d, const CWave& s, int ss, int ds) {
            return plain::Overlay(d, s, c.sf, c.sl, c.df, c.dl, smooth, c.mode, ss, ds);
          });
    }
  }
}

// --- the documented cases -----------------------------------------------------------------

// Sample values after an operation, in sample-scale values read through selector 1.
std::vector<int> Left(const CWave& w) {
  std::vector<int> v;
  for (uint32_t f = 0; f < w.FrameCount(); ++f) v.push_back(w.GetSample(f, kChannelLeft));
  return v;
}

TEST(WaveEdit, TwoHundredPercentClipsBothWays) {
  struct Case {
    Layout layout;
    int in;  // sample scale
    int out;
  };
  // 8-bit: byte 228 reads 25700 and byte 28 reads -25444; doubled they clip to bytes 255 and 0.
  const Case cases[] = {{{16, 1}, 20000, 32767}, {{16, 2}, -20000, -32768},  {{16, 1}, -20000, -32768},
                        {{8, 1}, 25700, 32639},  {{8, 2}, -25444, -32640}};
  for (const Case& c : cases) {
    CWave w;
    Constant(w, c.layout, 44100, 10, c.in);
    w.ChangeLevel(0, 9, 200, false, kChannelBoth);
    for (uint32_t f = 0; f < 10; ++f) {
      EXPECT_EQ(w.GetSample(f, kChannelLeft), c.out) << Name(c.layout);
      EXPECT_EQ(w.GetSample(f, kChannelRight), c.out) << Name(c.layout);
    }
  }
}

TEST(WaveEdit, OneFrameAndInvertedRangesChangeNothing) {
  for (const Layout& l : kLayouts) {
    CWave w;
    Random(w, l, 8000, 20, 7);
    const auto before = Bytes(w);
    w.ChangeLevel(5, 5, 300, false, kChannelBoth);
    w.ChangeLevel(9, 4, 300, true, kChannelBoth);
    w.Fade(5, 5, 0, 100, kChannelBoth);
    w.Fade(19, 19, 100, 0, kChannelLeft);
    w.Reverse(8, 8, kChannelBoth);
    w.Delay(0, 0, 0, 50, kChannelBoth);
    EXPECT_EQ(Bytes(w), before) << Name(l);
  }
}

TEST(WaveEdit, FadeGainsOverFourFrames) {
  struct Case {
    Layout layout;
    int start, end;
    std::vector<int> out;  // of 10000 (16-bit) or of byte 228 = 25700 (8-bit)
  };
  const Case cases[] = {
      {{16, 1}, 0, 100, {0, 2500, 5000, 7500}},
      {{16, 2}, 100, 0, {10000, 7500, 5000, 2500}},
      // 25700 x 25 / 100 = 6425 is stored as byte 128 + 25, which reads 6425 again.
      {{8, 1}, 0, 100, {0, 6425, 12850, 19275}},
      {{8, 2}, 100, 0, {25700, 19275, 12850, 6425}},
  };
  for (const Case& c : cases) {
    CWave w;
    Constant(w, c.layout, 8000, 4, c.layout.bits == 8 ? 25700 : 10000);
    w.Fade(0, 3, c.start, c.end, kChannelBoth);
    EXPECT_EQ(Left(w), c.out) << Name(c.layout);
    for (uint32_t f = 0; f < 4; ++f) EXPECT_EQ(w.GetSample(f, kChannelRight), c.out[f]);
  }
}

TEST(WaveEdit, SoftEdgesOf441FramesShrinkTo300OnA600FrameRange) {
  struct Case {
    uint32_t frames;
    std::vector<std::pair<uint32_t, int>> expect;  // frame, value (from 10000 at 50 %)
  };
  const Case cases[] = {
      // Ramps of 441: frame 440 has gain -50 x 440 / 441 + 100 = 51; the middle is at 50.
      {1000, {{0, 10000}, {10, 9900}, {440, 5100}, {441, 5000}, {558, 5000}, {559, 5100}, {999, 10000}}},
      // Ramps of 300 each and no middle: frames 299 and 300 both have gain 51.
      {600, {{0, 10000}, {150, 7500}, {299, 5100}, {300, 5100}, {449, 7500}, {599, 10000}}},
  };
  for (const Case& c : cases) {
    for (const Layout& l : {Layout{16, 1}, Layout{16, 2}}) {
      CWave w;
      Constant(w, l, 44100, c.frames, 10000);
      w.ChangeLevel(0, c.frames - 1, 50, true, kChannelBoth);
      for (auto [frame, value] : c.expect) {
        EXPECT_EQ(w.GetSample(frame, kChannelLeft), value) << c.frames << " frame " << frame;
        EXPECT_EQ(w.GetSample(frame, kChannelRight), value) << c.frames << " frame " << frame;
      }
    }
  }
}

TEST(WaveEdit, EightBitSample200At50PercentBecomes164) {
  for (uint16_t channels : {1, 2}) {
    CWave w;
    w.SetFormat(8000, 8, channels);
    ASSERT_TRUE(w.Allocate(3));
    std::memset(w.GetData(0), 200, w.DataSize());
    w.ChangeLevel(0, 2, 50, false, kChannelLeft);
    EXPECT_EQ(w.GetData(1)[0], 164);
    if (channels == 2) {
      EXPECT_EQ(w.GetData(1)[1], 200);  // the right channel is not selected
    }
  }
}

TEST(WaveEdit, MixAddsOrAverages) {
  struct Case {
    Layout layout;
    int value;
    bool average;
    int out;
  };
  // 8-bit byte 245 reads 30069: added it clips to 32639 (byte 255); averaged it stays.
  const Case cases[] = {{{16, 1}, 30000, false, 32767}, {{16, 2}, 30000, true, 30000},
                        {{16, 2}, 30000, false, 32767}, {{8, 1}, 30069, false, 32639},
                        {{8, 2}, 30069, true, 30069}};
  for (const Case& c : cases) {
    CWave a, b;
    Constant(a, c.layout, 44100, 50, c.value);
    Constant(b, c.layout, 44100, 50, c.value);
    EXPECT_EQ(b.Mix(a, 0, 49, 0, 49, false, c.average, kChannelBoth, kChannelBoth), 0);
    EXPECT_EQ(b.GetSample(20, kChannelLeft), c.out) << Name(c.layout);
    EXPECT_EQ(b.GetSample(20, kChannelRight), c.out) << Name(c.layout);
  }
}

TEST(WaveEdit, MixWithSmoothingFadesTheSourceInAndOut) {
  // 441-frame ramps at 44100 Hz; the source adds 1000 to a destination of 0.
  CWave a, b;
  Constant(a, {16, 1}, 44100, 2000, 1000);
  Constant(b, {16, 1}, 44100, 2000, 0);
  b.Mix(a, 0, 1999, 0, 1999, true, false, kChannelBoth, kChannelBoth);
  EXPECT_EQ(b.GetSample(0, kChannelLeft), 0);
  EXPECT_EQ(b.GetSample(220, kChannelLeft), 498);  // 1000 x 220 / 441, truncated
  EXPECT_EQ(b.GetSample(441, kChannelLeft), 1000);
  EXPECT_EQ(b.GetSample(1558, kChannelLeft), 1000);
  EXPECT_EQ(b.GetSample(1559, kChannelLeft), 1000);  // tail weight 1 - 0 / 441
  EXPECT_EQ(b.GetSample(1999, kChannelLeft), 2);     // 1000 x (1 - 440 / 441)
}

TEST(WaveEdit, InsertingGrowsTheWaveAndMovesTheFramesBehind) {
  for (const Layout& l : kLayouts) {
    CWave src, w;
    Constant(src, l, 44100, 1000, 1000);
    w.SetFormat(44100, l.bits, l.channels);
    ASSERT_TRUE(w.Allocate(2000));
    for (uint32_t f = 0; f < 2000; ++f) w.SetSample(f, static_cast<int>(f) * 16 - 16000, kChannelBoth);
    const std::vector<int> before = Left(w);
    EXPECT_EQ(w.Overlay(src, 0, 999, 500, 700, false, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth), 1);
    ASSERT_EQ(w.FrameCount(), 3000u) << Name(l);
    const std::vector<int> after = Left(w);
    for (uint32_t f = 0; f < 500; ++f) ASSERT_EQ(after[f], before[f]);
    for (uint32_t f = 500; f < 1500; ++f) ASSERT_EQ(after[f], src.GetSample(0, kChannelLeft));
    for (uint32_t f = 500; f < 2000; ++f) ASSERT_EQ(after[f + 1000], before[f]) << Name(l) << " frame " << f;
  }
}

TEST(WaveEdit, OverwriteIsLimitedToTheDestinationRange) {
  for (const Layout& l : kLayouts) {
    CWave src, w;
    Constant(src, l, 8000, 1000, 8000);
    Constant(w, l, 8000, 1000, 0);
    EXPECT_EQ(w.Overlay(src, 0, 999, 100, 199, false, kOverlayOverwrite, kChannelBoth, kChannelBoth), 0);
    const std::vector<int> v = Left(w);
    EXPECT_EQ(v[99], 0);
    EXPECT_NE(v[100], 0);
    EXPECT_NE(v[199], 0);
    EXPECT_EQ(v[200], 0) << Name(l);
    EXPECT_EQ(w.FrameCount(), 1000u);
  }
}

TEST(WaveEdit, ReverseSwapsPairsAndKeepsAnOddMiddle) {
  struct Case {
    uint32_t first, last;
    std::vector<int> out;
  };
  const Case cases[] = {{0, 5, {5, 4, 3, 2, 1, 0}}, {1, 5, {0, 5, 4, 3, 2, 1}}, {2, 2, {0, 1, 2, 3, 4, 5}}};
  for (const Layout& l : kLayouts) {
    for (const Case& c : cases) {
      CWave w;
      w.SetFormat(8000, l.bits, l.channels);
      ASSERT_TRUE(w.Allocate(6));
      for (uint32_t f = 0; f < 6; ++f) w.SetSample(f, static_cast<int>(f) * 1024, kChannelBoth);
      w.Reverse(c.first, c.last, kChannelLeft);
      std::vector<int> expect;
      for (int v : c.out) expect.push_back(v * 1024 + (l.bits == 8 ? v * 4 : 0));
      EXPECT_EQ(Left(w), expect) << Name(l);
      if (l.channels == 2) {
        EXPECT_EQ(w.GetSample(0, kChannelRight), 0);  // untouched
      }
    }
  }
}

TEST(WaveEdit, EchoAt8000HzRepeatsEvery100Ms) {
  for (const Layout& l : {Layout{16, 1}, Layout{16, 2}}) {
    CWave w;
    Constant(w, l, 8000, 2000, 0);
    w.SetSample(0, 10000, kChannelBoth);
    w.SetSample(800, 3000, kChannelBoth);
    w.SetSample(799, 555, kChannelBoth);
    w.Delay(0, 1999, 100, 10, kChannelBoth);
    for (int sel : {1, 2}) {
      EXPECT_EQ(w.GetSample(0, sel), 10000);
      EXPECT_EQ(w.GetSample(799, sel), 555);
      EXPECT_EQ(w.GetSample(800, sel), 3000 + 1000);        // 10 % of frame 0
      EXPECT_EQ(w.GetSample(1599, sel), 55);                // 10 % of frame 799
      EXPECT_EQ(w.GetSample(1600, sel), 400);               // 10 % of the new frame 800
    }
  }
}

TEST(WaveEdit, PeakOfMinusFullScaleOnEachSelector) {
  struct Case {
    uint16_t bits;
    int left, right;
    int peak1, peak2, peak3;
  };
  // An 8-bit byte 0 (reading -32640) measures 128 << 8 = 32768.
  const Case cases[] = {{16, -32768, 100, 32768, 100, 32768}, {8, -32640, 0, 32768, 0, 32768}};
  for (const Case& c : cases) {
    CWave w;
    w.SetFormat(44100, c.bits, 2);
    ASSERT_TRUE(w.Allocate(4));
    w.SetSample(2, c.left, kChannelLeft);
    w.SetSample(2, c.right, kChannelRight);
    EXPECT_EQ(w.GetPeak(0, 3, 1), c.peak1);
    EXPECT_EQ(w.GetPeak(0, 3, 2), c.peak2);
    EXPECT_EQ(w.GetPeak(0, 3, 3), c.peak3);
    EXPECT_EQ(w.GetPeak(3, 0, 3), 0);
  }
}

// --- insertion at the edges, and refused growth ------------------------------------------

TEST(WaveEdit, InsertingWithSmoothingIntoAWaveOfAtMostOneRampInsertsTheWholeRange) {
  // 44100 Hz: a ramp is 441 frames; the source of 2000 frames keeps full ramps.
  for (uint32_t length : {0u, 100u, 441u}) {
    CWave src, w;
    Constant(src, {16, 2}, 44100, 2000, 1234);
    w.SetFormat(44100, 16, 2);
    if (length) {
      ASSERT_TRUE(w.Allocate(length));
    }
    EXPECT_EQ(w.Overlay(src, 0, 1999, 0, 0, true, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth), 1);
    ASSERT_EQ(w.FrameCount(), length + 2000);
    for (uint32_t f = 0; f < 2000; ++f) ASSERT_EQ(w.GetSample(f, kChannelLeft), 1234) << length;
    if (length) {
      EXPECT_EQ(w.GetSample(2000, kChannelRight), 0);
    }
  }
}

TEST(WaveEdit, InsertingWithSmoothingAtFrameZeroKeepsTheWholeSourceAndFadesIntoTheOldStart) {
  CWave src, w;
  Constant(src, {16, 1}, 44100, 2000, 1000);
  Constant(w, {16, 1}, 44100, 3000, 0);
  EXPECT_EQ(w.Overlay(src, 0, 1999, 0, 10, true, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth), 1);
  // No head: 2000 - 441 frames of source, then 441 cross-faded with the old frames 0..440.
  ASSERT_EQ(w.FrameCount(), 3000u + 1559u);
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 1000);
  EXPECT_EQ(w.GetSample(1558, kChannelLeft), 1000);
  EXPECT_EQ(w.GetSample(1559, kChannelLeft), 1000);  // tail weight 1
  EXPECT_EQ(w.GetSample(1999, kChannelLeft), 2);     // 1000 x (1 - 440 / 441)
  EXPECT_EQ(w.GetSample(2000, kChannelLeft), 0);
}

TEST(WaveEdit, AppendingWithSmoothingFadesOverTheLastFrames) {
  CWave src, w;
  Constant(src, {16, 1}, 44100, 2000, 1000);
  Constant(w, {16, 1}, 44100, 3000, 0);
  EXPECT_EQ(w.Overlay(src, 0, 1999, 0, 3000, true, kOverlayInsertAtLast, kChannelBoth, kChannelBoth), 1);
  ASSERT_EQ(w.FrameCount(), 3000u + 2000u - 441u);
  EXPECT_EQ(w.GetSample(2558, kChannelLeft), 0);    // before the head
  EXPECT_EQ(w.GetSample(2559, kChannelLeft), 0);    // head weight 0
  EXPECT_EQ(w.GetSample(3000, kChannelLeft), 1000);
  EXPECT_EQ(w.GetSample(4558, kChannelLeft), 1000);
}

TEST(WaveEdit, InsertingCloseToTheEndPutsTheWholeSourceIn) {
  // The gap starts 100 frames before the end: the tail cross-fades those 100 frames.
  CWave src, w;
  Constant(src, {16, 1}, 44100, 2000, 1000);
  Constant(w, {16, 1}, 44100, 3000, 0);
  w.Overlay(src, 0, 1999, 2459, 2459, true, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth);
  // Head 441 at 2459, body 2000 - 882 + 341, tail 100: the wave grows by 2000 - 441 - 100.
  EXPECT_EQ(w.FrameCount(), 3000u + 1459u);
  EXPECT_EQ(w.GetSample(2900 + 1459 - 1, kChannelLeft), 1000);
  EXPECT_EQ(w.GetSample(2900 + 1459, kChannelLeft), 1000);  // tail weight 1 - 0 / 100
  EXPECT_EQ(w.GetSample(4458, kChannelLeft), 10);           // 1000 x (1 - 99 / 100)
}

TEST(WaveEdit, MixAndCopyWithinOneWaveReadTheRangeAsItWas) {
  CWave w, expect, src;
  Random(w, {16, 2}, 8000, 1000, 3);
  Copy(w, expect);
  Copy(w, src);
  w.Mix(w, 0, 599, 300, 899, false, false, kChannelBoth, kChannelBoth);
  expect.Mix(src, 0, 599, 300, 899, false, false, kChannelBoth, kChannelBoth);
  EXPECT_EQ(Bytes(w), Bytes(expect));
  w.Overlay(w, 100, 399, 200, 200, true, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth);
  Copy(expect, src);
  expect.Overlay(src, 100, 399, 200, 200, true, kOverlayInsertAtFirst, kChannelBoth, kChannelBoth);
  EXPECT_EQ(Bytes(w), Bytes(expect));
}

TEST(WaveEdit, RampLengthHalvesToFitAndTakesBothRampsOffTheLength) {
  struct Case {
    uint32_t length, rate, ramp, rest;
  };
  const Case cases[] = {{2000, 44100, 441, 1118}, {882, 44100, 441, 0}, {881, 44100, 440, 1}, {7, 44100, 3, 1},
                        {1, 8000, 0, 1}};
  for (const Case& c : cases) {
    uint32_t length = c.length;
    EXPECT_EQ(RampLength(length, 10, c.rate), c.ramp) << c.length;
    EXPECT_EQ(length, c.rest) << c.length;
  }
}

// Virtual memory of this process in bytes.
uint64_t VirtualBytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  uint64_t kb = 0;
  while (status >> key) {
    if (key == "VmSize:") {
      status >> kb;
      break;
    }
  }
  return kb * 1024;
}

TEST(WaveEdit, InsertionThatCannotGetItsMemoryLeavesTheWaveUnchanged) {
  // The grown block (64 MiB) is larger than anything the heap can hold free from earlier
  // tests in this process (the allocator maps blocks over 32 MiB of its own), so only the
  // limit decides.
  constexpr uint32_t kSourceFrames = 16u << 20;
  CWave src, w;
  Constant(src, {16, 2}, 44100, kSourceFrames, 100);  // 64 MiB of samples
  Random(w, {16, 2}, 44100, 1000, 9);
  const auto before = Bytes(w);
  malloc_trim(0);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
  rlimit tight = old;
  tight.rlim_cur = VirtualBytes() + (4 << 20);  // room for less than the grown block
  ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
  const int result = w.Overlay(src, 0, kSourceFrames - 1, 500, 500, false, kOverlayInsertAtFirst, 3, 3);
  setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(result, kOverlayNoMemory);
  EXPECT_EQ(w.FrameCount(), 1000u);
  EXPECT_EQ(Bytes(w), before);
}

}  // namespace
