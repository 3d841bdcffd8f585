#include "core/graph/fft_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "core/io/archive.h"
#include "core/dsp/decibel.h"
#include "graph_test_support.h"

namespace {

const Rect kBoxRect{0, -647, 1200, -247};
const Rect kPlotRect{120, -557, 1145, -317};

// A sine of half of full scale (16384 steps, 5000 on the level scale) exactly on bin 8 of
// N = 256 at 8000 Hz: 250 Hz.
int SineOnBin8(uint32_t f, int) { return static_cast<int>(std::lround(16384 * std::sin(2 * M_PI * 250 * f / 8000.0))); }

// Deterministic noise of about a tenth of full scale.
int Noise(uint32_t f, int) {
  uint32_t x = f * 2654435761u + 12345u;
  x ^= x >> 13;
  x *= 0x5bd1e995u;
  x ^= x >> 15;
  return static_cast<int>(x % 6554) - 3277;
}

struct FftSetup {
  std::unique_ptr<CWave> wave;
  TestContext ctx;
  CFFTBox box;

  FftSetup(uint32_t rate, uint32_t frames, const std::function<int(uint32_t, int)>& sample,
           uint32_t blockSize = 256)
      : wave(MakeWave(frames, 1, rate, sample)) {
    ctx.context.record.blockSize = blockSize;
    box.SetSource(wave.get(), &ctx.context, kChannelBoth);
    box.SetRect(kBoxRect, &kPlotRect);
    box.SetDefaultRanges();
  }
  // Calculates the block at frame position, starting afresh.
  void Analyse(uint32_t position = 0) {
    ctx.context.record.currentPosition = position;
    box.UpdateData(kRunStepping, 1, 0);
  }
  double Db(double level) const { return box.Y().ToDb(level, kSpectrumLevelFloor); }
};

int Zero(uint32_t, int) { return 0; }

}  // namespace

TEST(FftBoxRanges, DefaultsAndLimitsFor44100HzAndBlocksOf1024) {
  FftSetup s(44100, 2048, Zero, 1024);
  EXPECT_EQ(s.box.ResolutionHz(), 43.06640625);
  EXPECT_EQ(s.box.GetKind(), kBoxFftMono);
  EXPECT_EQ(s.box.IsLogFrequency(), 1);
  EXPECT_EQ(s.box.X().Mode(), CCordConv::kLogarithmic);
  EXPECT_DOUBLE_EQ(s.box.X().ValueStart(), 10.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 22006.93359375);
  EXPECT_EQ(s.box.X().Unit(), "Hz");
  EXPECT_EQ(s.box.X().LabelFlags(), 0x103);
  double a = 1.0, b = 1.0e6;  // far beyond both ends: the whole span 10 Hz .. 100 kHz
  ASSERT_EQ(s.box.LimitXRange(a, b), 1);
  EXPECT_NEAR(a, 10.0, 1e-9);
  EXPECT_NEAR(b, 100000.0, 1e-6);

  s.box.ToggleLogFrequency();
  EXPECT_EQ(s.box.X().Mode(), CCordConv::kLinear);
  EXPECT_EQ(s.box.X().ValueStart(), 0.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 22006.93359375);
  a = 100.0, b = 105.0;  // the smallest span is 20 Hz
  s.box.LimitXRange(a, b);
  EXPECT_EQ(b - a, 20.0);
  EXPECT_EQ(a + b, 205.0);
  // Without a wave and settings: 22050 Hz and blocks of 1024.
  CFFTBox bare;
  double start = 0, end = 0;
  bare.SetLogFrequency(0);
  bare.DefaultXRange(start, end);
  EXPECT_EQ(end, 11025.0 - 22050.0 / 1024);
}

TEST(FftBoxRanges, LevelAxisInPerCentOrInDecibelsOfFullScale) {
  FftSetup s(8000, 512, SineOnBin8);
  EXPECT_EQ(s.box.Y().Mode(), CCordConv::kLinear);
  EXPECT_EQ(s.box.Y().ValueEnd(), 2000.0);
  EXPECT_EQ(s.box.Y().DisplayMultiplier(), 0.01);
  EXPECT_EQ(s.box.Y().MinTickSpacing(), 50);
  s.box.ToggleLogLevel();
  EXPECT_EQ(s.box.Y().Mode(), CCordConv::kDecibel);
  EXPECT_EQ(s.box.Y().DisplayMultiplier(), 1.0);
  EXPECT_EQ(s.Db(kFullScaleLevel), 0.0);  // full scale reads 0 dB
  double lo = 0, hi = 0;
  ASSERT_EQ(s.box.Y().GetDbRange(lo, hi), 1);
  EXPECT_DOUBLE_EQ(lo, -80.0);
  EXPECT_DOUBLE_EQ(hi, 0.0);
}

TEST(FftBoxRanges, LevelReferenceFollowsTheAutomaticAdjustment) {
  FftSetup s(8000, 512, SineOnBin8);
  AnalysisSettings& r = s.ctx.context.record;
  s.Analyse();
  double ref = 0, offset = 0;
  s.box.LevelReference(ref, offset);
  EXPECT_EQ(ref, kFullScaleLevel);
  EXPECT_EQ(offset, 0.0);
  r.autoAdjust = 1;
  r.levelOffsetDb = -3.0;
  r.levelAdjustMode = 0;  // the peak of the spectrum
  s.box.LevelReference(ref, offset);
  EXPECT_NEAR(ref, 5000.0, 1.0);
  EXPECT_EQ(offset, -3.0);
  r.levelAdjustMode = 1;  // the level at 62.5 Hz: bin 2, a tiny leak only
  r.referenceFrequencyHz = 62.5;
  s.box.LevelReference(ref, offset);
  EXPECT_EQ(ref, std::max(double(s.box.Engine()->GetSpectrum()[2]), kSpectrumLevelFloor));
  r.levelAdjustMode = 2;
  r.referenceLevel = 0.0;  // a reference of 0 would put every level at infinity
  s.box.LevelReference(ref, offset);
  EXPECT_EQ(ref, kSpectrumLevelFloor);

  // The shown decibel range stays while the reference moves.
  r.levelAdjustMode = 0;
  s.box.SetLevelMode(1);
  EXPECT_NEAR(s.Db(s.box.Engine()->MaxLevel()), -3.0, 1e-9);  // the peak reads the offset
  double lo = 0, hi = 0, lo2 = 0, hi2 = 0;
  s.box.Y().GetDbRange(lo, hi);
  r.levelAdjustMode = 2;
  r.referenceLevel = 1000.0;
  s.box.ApplyLevelReference();
  s.box.Y().GetDbRange(lo2, hi2);
  EXPECT_NEAR(lo2, lo, 1e-9);
  EXPECT_NEAR(hi2, hi, 1e-9);
  EXPECT_NEAR(s.Db(1000.0), -3.0, 1e-9);
}

TEST(FftBoxRanges, AutoRangeShowsAtMostAHundredDecibels) {
  FftSetup s(8000, 512, SineOnBin8);
  s.Analyse();
  s.box.AutoRangeY();  // linear: 0 to the largest visible level
  EXPECT_EQ(s.box.Y().ValueStart(), 0.0);
  EXPECT_NEAR(s.box.Y().ValueEnd(), 5000.0, 1.0);
  s.box.SetLevelMode(1);
  s.box.AutoRangeY();
  double lo = 0, hi = 0;
  s.box.Y().GetDbRange(lo, hi);
  // The sine's neighbours hold little more than rounding noise, far more than 100 dB down.
  EXPECT_NEAR(hi, 20 * std::log10(5000.0 / 10000.0), 0.01);
  EXPECT_NEAR(hi - lo, 100.0, 1e-9);

  // A silent block gives no range: the axis stays.
  FftSetup silent(8000, 512, Zero);
  silent.Analyse(0);
  silent.box.AutoRangeY();
  EXPECT_EQ(silent.box.Y().ValueEnd(), 2000.0);
}

TEST(FftBoxZoom, SpansThatChangeByLessThanATenthAreIgnored) {
  FftSetup s(44100, 2048, Zero, 1024);
  s.box.SetLogFrequency(0);
  EXPECT_EQ(s.box.ZoomX(0), 0);  // already the whole range: limited back to it
  ASSERT_EQ(s.box.ZoomX(1), 1);  // about the range start
  EXPECT_EQ(s.box.X().ValueStart(), 0.0);
  EXPECT_DOUBLE_EQ(s.box.X().ValueEnd(), 22006.93359375 * 0.75);
  // 95 % of the whole span zoomed out is the whole span again: only 5 % more.
  s.box.SetXRange(0.0, 22006.93359375 * 0.95);
  EXPECT_EQ(s.box.ZoomX(0), 0);
  EXPECT_DOUBLE_EQ(s.box.X().ValueEnd(), 22006.93359375 * 0.95);

  // Zooming about the mark on a logarithmic axis keeps the mark where it is.
  s.box.SetLogFrequency(1);
  s.box.SetMarkValue(1000.0);
  const int markX = s.box.X().ValueToPixel(1000.0);
  ASSERT_EQ(s.box.ZoomX(1), 1);
  EXPECT_NEAR(s.box.X().ValueToPixel(1000.0), markX, 1);
  double a = 0, b = 0;
  s.box.X().GetDbRange(a, b);
  EXPECT_NEAR(b - a, 0.75 * (20 * std::log10(22006.93359375) - 20), 1e-9);

  // The level axis: in and out by a quarter about level 0, limits at -10 and full scale.
  ASSERT_EQ(s.box.ZoomY(1), 1);
  EXPECT_EQ(s.box.Y().ValueEnd(), 1500.0);
  s.box.SetYRange(0.0, 9600.0);
  EXPECT_EQ(s.box.ZoomY(0), 0);  // 12800 is limited to 10010: only 4 % more
}

TEST(FftBoxZoom, ShiftsStepByAQuarterAndStopAtTheEnds) {
  FftSetup s(44100, 2048, Zero, 1024);
  s.box.SetLogFrequency(0);
  s.box.SetXRange(1000.0, 5000.0);
  ASSERT_EQ(s.box.ShiftX(1), 1);
  EXPECT_EQ(s.box.X().ValueStart(), 2000.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 6000.0);
  s.box.SetXRange(0.0, 4000.0);
  EXPECT_EQ(s.box.ShiftX(0), 0);
  // Up by an eighth in dB, never above full scale.
  s.box.SetLevelMode(1);
  EXPECT_EQ(s.box.ShiftY(1), 0);
  ASSERT_EQ(s.box.ShiftY(0), 1);
  double lo = 0, hi = 0;
  s.box.Y().GetDbRange(lo, hi);
  EXPECT_NEAR(lo, -90.0, 1e-9);
  EXPECT_NEAR(hi, -10.0, 1e-9);
}

TEST(FftBoxData, EachDeviceColumnKeepsItsLowestAndHighestBin) {
  FftSetup s(44100, 4096, Noise, 1024);
  s.box.SetLogFrequency(0);
  s.Analyse();
  // 24 dpi: about ten bins per device column.
  RecordingDC dc(RecordingDC::Surface::kScreen, DeviceMapping::ForPage(1200, 1800, 24, 24));
  s.box.DrawData(dc, nullptr);
  const float* spectrum = s.box.Engine()->GetSpectrum();
  std::map<int, std::pair<int, int>> expected;  // device column -> lowest, highest y
  for (int32_t k = 0; k < 512; ++k) {
    const Point p{s.box.X().ValueToPixel(s.box.BinToFreq(k)), s.box.Y().ValueToPixel(spectrum[k])};
    auto [it, added] = expected.try_emplace(dc.LPtoDP(p).x, p.y, p.y);
    it->second = {std::min(it->second.first, p.y), std::max(it->second.second, p.y)};
  }
  const Point* points = s.box.GetPoints(0);
  std::map<int, std::vector<int>> kept;
  for (int i = 0; i < s.box.PointsInUse(); ++i) kept[dc.LPtoDP(points[i]).x].push_back(points[i].y);
  ASSERT_EQ(kept.size(), expected.size());
  for (const auto& [column, ys] : kept) {
    const auto [low, high] = expected.at(column);
    ASSERT_LE(ys.size(), 2u) << column;
    EXPECT_EQ(ys.front(), low) << column;  // the lower point first
    EXPECT_EQ(ys.back(), high) << column;
  }
  // The curve is drawn clipped to the plot.
  for (const DcCall& c : dc.CallsOf(DcCall::kLine)) {
    EXPECT_GE(std::min(c.from.y, c.to.y), kPlotRect.top);
    EXPECT_LE(std::max(c.from.y, c.to.y), kPlotRect.bottom);
  }
}

TEST(FftBoxMark, ReadOutEndsInDecibelsOrPerCentAndPeakSearchFindsTheBin) {
  FftSetup s(8000, 512, SineOnBin8);
  s.Analyse();
  s.box.SetLogFrequency(0);
  // A click three bins left of the peak snaps to it with peak search, not without.
  const int x = s.box.X().ValueToPixel(5 * 31.25);
  EXPECT_EQ(s.box.PixelToMarkValue(x - 40, x + 40, x, -1), s.box.X().PixelToValue(x));
  EXPECT_EQ(s.box.PixelToMarkValue(x - 40, x + 40, x, 0), 250.0);
  s.box.SetMarkValue(250.0);
  EXPECT_NEAR(s.box.GetLevelAtMark(1), 5000.0, 1.0);
  for (int mode : {0, 1}) {
    s.box.SetLevelMode(mode);
    s.box.SetValidFlags(0);
    RecordingDC dc;
    ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 0), 1);
    const std::vector<std::string> texts = dc.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], mode ? "Mark : 250.00Hz  -6.0206dB" : "Mark : 250.00Hz  50.000%");
  }
}

TEST(FftBoxMark, AMarkBeyondTheLastBinReadsTheLevelOfAnEmptyBin) {
  FftSetup s(8000, 512, SineOnBin8);
  s.Analyse();
  s.box.SetLogFrequency(0);
  s.box.SetMarkValue(3990.0);  // bin 128 of 0..127
  EXPECT_EQ(s.box.GetLevelAtMark(1), 0.0);
  s.box.SetLevelMode(1);
  EXPECT_EQ(s.box.GetLevelAtMark(0), s.Db(0.0));  // the floor, not 0 dB (full scale)
  EXPECT_LT(s.box.GetLevelAtMark(0), -100.0);
  s.box.SetLevelMode(0);
  EXPECT_EQ(s.box.GetLevelAtMark(0), 0.0);
}

TEST(FftBoxRecord, RoundTripWithTheEngineAndRepairedModes) {
  FftSetup s(8000, 512, SineOnBin8);
  s.Analyse();
  s.box.SetLevelMode(1);
  s.box.SetLogFrequency(0);
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    s.box.Serialize(ar);
  }
  // Base record, two modes, the engine: 3 values, the block of N = 256, A = 4, 4 values.
  const size_t engineBytes = 12 + 4 * (7 * 256 + 5 * 128) + 16;
  ASSERT_EQ(mem.Bytes().size(), 370 + 8 + engineBytes);
  mem.Seek(0);
  CFFTBox loaded;
  {
    CArchive in(mem, CArchive::Mode::Load);
    loaded.Serialize(in);
    EXPECT_FALSE(in.Failed());
  }
  EXPECT_EQ(loaded.IsLogLevel(), 1);
  EXPECT_EQ(loaded.IsLogFrequency(), 0);
  ASSERT_TRUE(loaded.Engine() && loaded.Engine()->IsCalculated());
  EXPECT_EQ(loaded.Engine()->GetSpectrum()[8], s.box.Engine()->GetSpectrum()[8]);
  EXPECT_EQ(loaded.BlockSize(), 256);

  // Any mode other than 0 is on.
  std::vector<uint8_t> odd = mem.Bytes();
  odd[370] = 0;
  odd[370 + 4] = 7;  // level mode 7
  MemoryStream oddStream(odd);
  CArchive oddIn(oddStream, CArchive::Mode::Load);
  CFFTBox repaired;
  repaired.Serialize(oddIn);
  EXPECT_FALSE(oddIn.Failed());
  EXPECT_EQ(repaired.IsLogLevel(), 1);
  EXPECT_EQ(repaired.IsLogFrequency(), 0);
}
