#include "core/graph/wave_box.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graph_test_support.h"

namespace {

constexpr uint32_t kGraph = kBoxDefaultColors[kColorGraph];
constexpr uint32_t kArea = kBoxDefaultColors[kColorArea];

// A wave box where a new document puts the first wave box under the information box.
const Rect kBoxRect{0, -647, 1200, -247};
const Rect kPlotRect{120, -557, 1145, -317};

struct WaveBoxSetup {
  std::unique_ptr<CWave> wave;
  TestContext ctx;
  CWaveBox box;

  WaveBoxSetup(uint32_t frames, uint32_t rate, const std::function<int(uint32_t, int)>& sample,
               uint16_t channels = 1, int channel = kChannelBoth)
      : wave(MakeWave(frames, channels, rate, sample)) {
    box.SetSource(wave.get(), &ctx.context, channel);
    box.SetRect(kBoxRect, &kPlotRect);
    box.SetDefaultRanges();
  }
  const Point* Points() { return box.GetPoints(0); }
  double Level(uint32_t f) const { return wave->GetValue(f, box.Channel()); }
};

int Zero(uint32_t, int) { return 0; }

}  // namespace

TEST(WaveBoxTitle, NamesTheChannel) {
  struct Case {
    uint16_t channels;
    int channel;
    const char* title;
  };
  for (const Case& c : {Case{2, 1, "Wave L-ch"}, Case{2, 2, "Wave R-ch"}, Case{1, 3, "Wave Mono"},
                        Case{2, 3, "Wave L+R"}}) {
    WaveBoxSetup s(100, 1000, Zero, c.channels, c.channel);
    RecordingDC dc;
    s.box.DrawFrame(dc, nullptr);
    std::vector<DcCall> texts = dc.CallsOf(DcCall::kText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, c.title);
    EXPECT_EQ(texts[0].to, (Point{kPlotRect.left + 20, kPlotRect.bottom}));
    EXPECT_EQ(texts[0].textAlign, kAlignLeft | kAlignBottom);
    EXPECT_EQ(s.box.GetKind(), c.channel - 1);
  }
  WaveBoxSetup plain(100, 1000, Zero);
  plain.box.SetRect(kBoxRect, nullptr);
  RecordingDC dc;
  plain.box.DrawFrame(dc, nullptr);
  EXPECT_TRUE(dc.Texts().empty());
}

TEST(WaveBoxRanges, DefaultsFollowTheWave) {
  WaveBoxSetup s(1000, 1000, Zero);
  EXPECT_EQ(s.box.X().ValueStart(), 0.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  EXPECT_EQ(s.box.Y().ValueStart(), -10500.0);
  EXPECT_EQ(s.box.Y().ValueEnd(), 10500.0);
  EXPECT_EQ(s.box.X().LabelFlags(), 0x303);
  EXPECT_EQ(s.box.X().DisplayMultiplier(), 0.001);
  EXPECT_EQ(s.box.Y().DisplayMultiplier(), 0.01);
  EXPECT_EQ(s.box.Y().MinTickSpacing(), 30);
  WaveBoxSetup empty(0, 1000, Zero);
  EXPECT_EQ(empty.box.X().ValueEnd(), 2000.0);
  ScrollInfo info;
  empty.box.GetXScrollInfo(info);
  EXPECT_EQ(info, (ScrollInfo{0, 100, 100, 0}));
}

TEST(WaveBoxRanges, XRangeSnapsToFramesAndStaysInsideTheWave) {
  WaveBoxSetup s(1000, 1000, Zero);
  s.box.SetXRange(100.4, 200.4);
  EXPECT_EQ(s.box.X().ValueStart(), 100.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 200.0);
  s.box.SetXRange(950.0, 1050.0);  // past the end: moved back by the excess
  EXPECT_EQ(s.box.X().ValueStart(), 900.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  s.box.SetXFrames(950, 1100);  // keeps its width and ends at the last frame
  EXPECT_EQ(s.box.X().ValueStart(), 849.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  ScrollInfo info;
  s.box.SetXRange(100.0, 400.0);
  s.box.GetXScrollInfo(info);
  EXPECT_EQ(info, (ScrollInfo{0, 999, 300, 100}));
  s.box.SetXRange(100.0, 110.0);
  s.box.GetXScrollInfo(info);
  EXPECT_EQ(info.page, 50);
  s.box.GetYScrollInfo(info);
  EXPECT_EQ(info, (ScrollInfo{-10000, 10000, 21000, -10500}));
}

TEST(WaveBoxRanges, ClampToANewWave) {
  WaveBoxSetup mono(1000, 1000, Zero, 1, kChannelLeft);
  EXPECT_EQ(mono.box.ClampXToWave(), 0);
  WaveBoxSetup s(1000, 1000, Zero, 2, kChannelLeft);
  s.box.X().SetRange(120, 1145, 500.0, 5000.0);
  ASSERT_EQ(s.box.ClampXToWave(), 1);
  EXPECT_EQ(s.box.X().ValueStart(), 0.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 1000.0);
  EXPECT_EQ(s.box.X().PixelStart(), 120.0);
  EXPECT_EQ(s.box.X().PixelEnd(), 1145.0);
}

TEST(WaveBoxLimits, XNeedsThirtyFramesAndKeepsTheSpanInsideTheWave) {
  WaveBoxSetup small(29, 1000, Zero);
  double a = 3, b = 10;
  EXPECT_EQ(small.box.LimitXRange(a, b), 0);
  EXPECT_EQ(a, 3.0);
  EXPECT_EQ(small.box.ZoomX(1), 0);
  EXPECT_EQ(small.box.ZoomX(0), 0);

  WaveBoxSetup s(1000, 1000, Zero);  // full 999 ms, least span 29 ms
  a = 100;
  b = 110;
  ASSERT_EQ(s.box.LimitXRange(a, b), 1);
  EXPECT_DOUBLE_EQ(a, 90.5);
  EXPECT_DOUBLE_EQ(b, 119.5);
  a = -100;
  b = 2000;
  s.box.LimitXRange(a, b);
  EXPECT_DOUBLE_EQ(a, 0.0);
  EXPECT_DOUBLE_EQ(b, 999.0);
  a = -50;
  b = 50;
  s.box.LimitXRange(a, b);
  EXPECT_DOUBLE_EQ(a, 0.0);
  EXPECT_DOUBLE_EQ(b, 100.0);
  a = 950;
  b = 1050;
  s.box.LimitXRange(a, b);
  EXPECT_DOUBLE_EQ(a, 899.0);
  EXPECT_DOUBLE_EQ(b, 999.0);
}

TEST(WaveBoxLimits, YStaysWithinFullScaleWithAtLeastTwentyLevels) {
  CWaveBox box;
  struct Case {
    double a, b, ea, eb;
  };
  for (const Case& c : {Case{0, 10, -5, 15}, Case{-30000, 30000, -10000, 10000},
                        Case{-15000, -5000, -10000, 0}, Case{5000, 12000, 3000, 10000},
                        Case{-10000, -9990, -10000, -9980}, Case{-100, 100, -100, 100}}) {
    double a = c.a, b = c.b;
    EXPECT_EQ(box.LimitYRange(a, b), 1);
    EXPECT_DOUBLE_EQ(a, c.ea) << c.a << " " << c.b;
    EXPECT_DOUBLE_EQ(b, c.eb) << c.a << " " << c.b;
  }
}

TEST(WaveBoxZoom, ZoomsAboutTheMarkRoundedOutToFramesAndIgnoresSmallChanges) {
  WaveBoxSetup s(1000, 1000, Zero);
  EXPECT_EQ(s.box.ZoomX(0), 0);  // already the whole wave
  s.box.SetMarkValue(500.0);
  ASSERT_EQ(s.box.ZoomX(1), 1);
  EXPECT_EQ(s.box.X().ValueStart(), 125.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 875.0);  // 874.25 rounded out
  EXPECT_EQ(s.box.ValidFlags(), 0);
  // Near the least span a zoom in changes the span by less than 10 %: ignored.
  s.box.SetMarkValue(-1.0);
  s.box.SetXRange(0.0, 30.0);
  EXPECT_EQ(s.box.ZoomX(1), 0);
  EXPECT_EQ(s.box.X().ValueEnd(), 30.0);
  // During a run the zoom changes the width in blocks instead of the range.
  s.ctx.context.record.fftRangeEnd = 5000;
  s.box.UpdateData(0, 0, 0);  // follows the position: frames 0 to the end, no full redraw
  EXPECT_EQ(s.box.FullRedraw(), 0);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  s.ctx.runPhase = kRunStepping;
  ASSERT_EQ(s.box.ZoomX(1), 1);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  EXPECT_NEAR(s.box.WidthInBlocks(), 750.0 / 1024.0, 1e-12);
  EXPECT_EQ(s.box.FullRedraw(), 1);
}

TEST(WaveBoxZoom, LevelZoomAndShiftKeepFullScale) {
  WaveBoxSetup s(1000, 1000, Zero);
  ASSERT_EQ(s.box.ZoomY(1), 1);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueStart(), -7875.0);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueEnd(), 7875.0);
  s.box.SetYRange(-10000.0, 10000.0);
  EXPECT_EQ(s.box.ZoomY(0), 0);  // cannot grow beyond full scale
  s.box.SetYRange(-5000.0, 5000.0);
  ASSERT_EQ(s.box.ShiftY(1), 1);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueStart(), -3750.0);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueEnd(), 6250.0);
  s.box.SetYRange(0.0, 10000.0);
  EXPECT_EQ(s.box.ShiftY(1), 0);  // already at the top
  ASSERT_EQ(s.box.ShiftY(0), 1);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueStart(), -1250.0);
}

TEST(WaveBoxZoom, ShiftByAQuarterStopsAtTheEnds) {
  WaveBoxSetup s(1000, 1000, Zero);
  s.box.SetXRange(0.0, 100.0);
  ASSERT_EQ(s.box.ShiftX(1), 1);
  EXPECT_EQ(s.box.X().ValueStart(), 25.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 125.0);
  ASSERT_EQ(s.box.ShiftX(0), 1);
  ASSERT_EQ(s.box.ShiftX(0), 1);
  EXPECT_EQ(s.box.X().ValueStart(), 0.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 100.0);
  s.box.SetXRange(899.0, 999.0);
  ASSERT_EQ(s.box.ShiftX(1), 1);  // at the end: the same width, ending at the last frame
  EXPECT_EQ(s.box.X().ValueStart(), 899.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 999.0);
  WaveBoxSetup empty(0, 1000, Zero);
  EXPECT_EQ(empty.box.ShiftX(1), 0);
}

TEST(WaveBoxAutoRange, FollowsTheLargestVisibleMagnitudeAndSilenceDrawsNoLevelTicks) {
  WaveBoxSetup s(1000, 1000, [](uint32_t f, int) { return f == 700 ? -16384 : (f == 100 ? 8192 : 0); });
  s.box.SetXRange(0.0, 500.0);
  s.box.AutoRangeY();
  EXPECT_DOUBLE_EQ(s.box.Y().ValueEnd(), 2500.0);
  EXPECT_DOUBLE_EQ(s.box.Y().ValueStart(), -2500.0);
  s.box.FullRangeY();
  EXPECT_EQ(s.box.Y().ValueEnd(), 10000.0);

  WaveBoxSetup silence(1000, 1000, Zero);
  silence.box.AutoRangeY();
  EXPECT_EQ(silence.box.Y().ValueStart(), 0.0);
  EXPECT_EQ(silence.box.Y().ValueEnd(), 0.0);
  RecordingDC dc;
  silence.box.DrawScale(dc, nullptr);
  for (const DcCall& t : dc.CallsOf(DcCall::kText)) EXPECT_NE(t.textAlign, kAlignRight | kAlignTop);
  for (const DcCall& l : dc.CallsOf(DcCall::kLine)) EXPECT_EQ(l.from.x, l.to.x);  // no level lines
}

TEST(WaveBoxData, FewFramesPerPixelDrawEveryFrameWithTheFftRangeSelected) {
  WaveBoxSetup s(200, 1000, [](uint32_t f, int) { return static_cast<int>(f * 100) - 10000; });
  s.ctx.context.record.fftRangeStart = 50;
  s.ctx.context.record.fftRangeEnd = 150;
  RecordingDC dc;
  s.box.DrawData(dc, nullptr);
  ASSERT_EQ(s.box.PointsInUse(), 200);
  const Point* p = s.Points();
  for (uint32_t f = 0; f < 200; ++f) {
    EXPECT_EQ(p[f].x, s.box.X().ValueToPixel(s.box.FrameToTime(f)));
    EXPECT_EQ(p[f].y, s.box.Y().ValueToPixel(s.Level(f)));
  }
  EXPECT_EQ(s.box.SelectionFirst(), 50);
  EXPECT_EQ(s.box.SelectionLast(), 150);
  std::vector<LineCall> lines = LinesOf(dc);
  ASSERT_EQ(lines.size(), 199u);
  EXPECT_EQ(lines[49].color, kGraph);   // to point 50
  EXPECT_EQ(lines[50].color, kArea);    // to point 51
  EXPECT_EQ(lines[149].color, kArea);   // to point 150
  EXPECT_EQ(lines[150].color, kGraph);  // to point 151

  // A range that starts beyond the screen selects nothing; one that ends beyond it runs
  // to the last point.
  s.ctx.context.record.fftRangeStart = 500;
  s.ctx.context.record.fftRangeEnd = 600;
  s.box.SetValidFlags(0);
  s.box.DrawData(dc, nullptr);
  EXPECT_EQ(s.box.SelectionFirst(), s.box.SelectionLast());
  s.ctx.context.record.fftRangeStart = 0;
  s.ctx.context.record.fftRangeEnd = 200;
  s.box.DrawData(dc, nullptr);
  EXPECT_EQ(s.box.SelectionFirst(), 0);
  EXPECT_EQ(s.box.SelectionLast(), 199);

  // With the data drawn, the same points are drawn again.
  s.box.SetValidFlags(CBox::kValidData);
  s.box.SetSelection(0, 0);
  dc.Clear();
  s.box.DrawData(dc, nullptr);
  EXPECT_EQ(LinesOf(dc).size(), 199u);
  EXPECT_EQ(s.box.SelectionLast(), 0);  // not walked again
}

TEST(WaveBoxData, RecordedPicturesStepThroughLongWavesInAboutThreeThousandPoints) {
  WaveBoxSetup s(100000, 44100, [](uint32_t f, int) { return static_cast<int>(f % 1000) * 30; });
  RecordingDC dc(RecordingDC::Surface::kVectorRecording);
  s.box.DrawData(dc, nullptr);
  const int step = 99999 / 3000;
  ASSERT_EQ(s.box.PointsInUse(), 99999 / step + 1);
  const Point* p = s.Points();
  EXPECT_EQ(p[10].x, s.box.X().ValueToPixel(s.box.FrameToTime(10 * step)));
  EXPECT_EQ(p[10].y, s.box.Y().ValueToPixel(s.Level(10 * step)));
}

TEST(WaveBoxData, ManyFramesPerPixelDrawEachDeviceColumnAsItsExtremes) {
  // A square wave of period 20 frames: every column holds both extremes.
  WaveBoxSetup s(441000, 44100, [](uint32_t f, int) { return (f / 10) % 2 ? -16384 : 16384; });
  s.ctx.context.record.fftRangeEnd = 441000;
  RecordingDC dc;
  s.box.DrawData(dc, nullptr);
  int x0 = 0, x1 = 0;
  double vs = 0, ve = 0;
  s.box.X().GetRange(x0, x1, vs, ve);
  const int d0 = dc.LPtoDP(Point{x0, 0}).x;
  const int d1 = dc.LPtoDP(Point{x1, 0}).x;
  const int count = s.box.PointsInUse();
  ASSERT_EQ(count, 2 * d1 - 2 * d0 - 1);
  const Point* p = s.Points();
  const int high = s.box.Y().ValueToPixel(5000.0);
  const int low = s.box.Y().ValueToPixel(-5000.0);
  EXPECT_EQ(p[0].x, x0);
  for (int i = 0; i + 1 < count - 1; i += 2) {
    ASSERT_EQ(p[i].x, p[i + 1].x) << i;
    if (i > 0) {
      ASSERT_EQ(p[i].x, dc.DPtoLP(Point{d0 + i / 2, 0}).x) << i;
    }
    // The extreme nearer the previous column's second point comes first.
    ASSERT_EQ(p[i].y, i % 4 == 0 ? high : low) << i;
    ASSERT_EQ(p[i + 1].y, i % 4 == 0 ? low : high) << i;
  }
  EXPECT_EQ(p[count - 1].x, x1 - 1);
  EXPECT_EQ(s.box.SelectionFirst(), 0);
  EXPECT_EQ(s.box.SelectionLast(), count - 1);
  // The number of points depends on the device columns, not on the frames.
  WaveBoxSetup hour(441000 * 4, 44100, [](uint32_t f, int) { return (f / 10) % 2 ? -16384 : 16384; });
  hour.box.DrawData(dc, nullptr);
  EXPECT_EQ(hour.box.PointsInUse(), count);
}

TEST(WaveBoxData, ContinuousRecordingSelectsTheWholeCurve) {
  WaveBoxSetup s(441000, 44100, [](uint32_t f, int) { return static_cast<int>(f % 2000); });
  s.ctx.runPhase = kRunRecording;
  s.ctx.context.record.continuousRecording = 1;
  RecordingDC dc;
  s.box.DrawData(dc, nullptr);
  EXPECT_EQ(s.box.SelectionFirst(), 0);
  EXPECT_EQ(s.box.SelectionLast(), s.box.PointsInUse() - 1);
}

TEST(WaveBoxMark, PeakSearchClimbsAnEdgeToItsTop) {
  // Silence, a rise from frame 1000 to 3000, a fall back to 0 at 5000.
  auto ramp = [](uint32_t f, int) {
    if (f < 1000) return 0;
    if (f <= 3000) return static_cast<int>(f - 1000) * 10;
    return static_cast<int>(5000 - std::min<uint32_t>(f, 5000)) * 10;
  };
  WaveBoxSetup s(6000, 1000, ramp);
  const int x = s.box.X().ValueToPixel(1200.0);
  const double peak = s.box.PixelToMarkValue(x - 8, x + 8, x, 0);
  EXPECT_EQ(peak, 3000.0);
  const double plain = s.box.PixelToMarkValue(x - 8, x + 8, x, -1);
  EXPECT_EQ(plain, s.box.X().PixelToValue(x));
  // Searching a minimum on a rising edge climbs down it and over the silence before it,
  // stopping at frame 1.
  EXPECT_EQ(s.box.PixelToMarkValue(x - 8, x + 8, x, 1), 1.0);
  // A click at the very start does not climb.
  const int x0 = s.box.X().ValueToPixel(0.0);
  EXPECT_EQ(s.box.PixelToMarkValue(x0 - 8, x0 + 8, x0, 1), 0.0);
  // On the falling edge the maximum lies at the left end of the frames under the click.
  const int xf = s.box.X().ValueToPixel(4000.0);
  EXPECT_EQ(s.box.PixelToMarkValue(xf - 8, xf + 8, xf, 0), 3000.0);
}

TEST(WaveBoxMark, ReadOutAndLevels) {
  WaveBoxSetup s(1000, 1000, [](uint32_t f, int) { return f == 500 ? 16384 : 0; });
  EXPECT_EQ(s.box.GetLevelAtMark(0), 0.0);  // no mark
  s.box.SetMarkValue(500.0);
  EXPECT_EQ(s.box.GetLevelAtMark(0), 5000.0);
  EXPECT_EQ(s.box.GetValueAtMark(500.2), 5000.0);
  EXPECT_EQ(s.box.GetValueAtMark(2000.0), -10500.0);  // outside: the Y start
  RecordingDC dc;
  ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 0), 1);
  std::vector<DcCall> texts = dc.CallsOf(DcCall::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Mark : 0.50000sec  50.000%");
  EXPECT_EQ(texts[0].to, (Point{kPlotRect.right, kPlotRect.bottom}));
  EXPECT_EQ(texts[0].textAlign, kAlignRight | kAlignBottom);
  dc.SetTextColor(0x112233);
  ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 1), 1);
  EXPECT_EQ(dc.CallsOf(DcCall::kText).back().textColor, kBoxDefaultColors[kColorFrameBack]);
  EXPECT_EQ(dc.GetTextColor(), 0x112233u);
}

TEST(WaveBoxTrigger, DottedLineAtTheTriggerPointErasedBeforeTheNext) {
  WaveBoxSetup s(1000, 1000, Zero);
  s.ctx.context.record.triggerOn = 1;
  s.ctx.context.record.triggerHitFrame = 250;
  RecordingDC dc;
  s.box.DrawScale(dc, nullptr);
  const int x = s.box.X().ValueToPixel(250.0);
  EXPECT_EQ(s.box.TriggerLineX(), x);
  std::vector<DcCall> lines = dc.CallsOf(DcCall::kLine);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().pen.style, PenStyle::kDot);
  EXPECT_EQ(lines.back().pen.color, kBoxDefaultColors[kColorScale]);
  EXPECT_EQ(lines.back().from, (Point{x, kPlotRect.bottom}));
  EXPECT_EQ(lines.back().to, (Point{x, kPlotRect.top}));
  const DcCall trig = dc.CallsOf(DcCall::kText).back();
  EXPECT_EQ(trig.text, "Trig");
  EXPECT_EQ(trig.fontHeight, -34 - (-34 >> 2));  // a quarter smaller: -25
  EXPECT_EQ(trig.textAlign, kAlignLeft | kAlignTop);  // left of the middle
  dc.Clear();
  s.ctx.context.record.triggerHitFrame = 900;
  s.box.DrawScale(dc, nullptr);
  lines = dc.CallsOf(DcCall::kLine);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front().pen.style, PenStyle::kSolid);  // the old line erased first
  EXPECT_EQ(lines.front().pen.color, kBoxDefaultColors[kColorGraphBack]);
  EXPECT_EQ(lines.front().from.x, x);
  EXPECT_EQ(dc.CallsOf(DcCall::kText).back().textAlign, kAlignRight | kAlignTop);
  // A trigger point off the screen draws no line.
  s.box.SetXRange(0.0, 100.0);
  dc.Clear();
  s.box.DrawScale(dc, nullptr);
  EXPECT_EQ(s.box.TriggerLineX(), -1);
}

TEST(WaveBoxRun, UpdateFollowsTheAnalysisPositionAndResetsTheMark) {
  WaveBoxSetup s(10000, 1000, Zero);
  s.ctx.context.record.currentPosition = 2000;
  s.ctx.context.record.fftRangeEnd = 10000;
  s.box.SetMarkValue(100.0);
  s.box.Recalc(0, 0);
  EXPECT_EQ(s.box.X().ValueStart(), 2000.0);
  EXPECT_EQ(s.box.X().ValueEnd(), 3024.0);
  EXPECT_EQ(s.box.MarkValue(), -1.0);
  EXPECT_EQ(s.box.ValidFlags(), 0);
  // Two blocks wide about the position; the recording length caps the window.
  s.box.SetWidthInBlocks(2.0);
  s.box.SetXFromBlocks(2000);
  EXPECT_EQ(s.box.X().ValueEnd() - s.box.X().ValueStart(), 2000.0);
}

TEST(WaveBoxRun, NewSamplesAreDrawnColumnByColumn) {
  WaveBoxSetup s(44100, 44100, [](uint32_t f, int) { return (f % 100) * 100; });
  RecordingDC dc;
  EXPECT_EQ(s.box.DrawNewSamples(dc, 1000, 500), 500u);  // backwards, not wrapped
  EXPECT_TRUE(dc.Calls().empty());
  EXPECT_EQ(s.box.DrawNewSamples(dc, 1000, 1001), 1000u);  // the same device column
  EXPECT_TRUE(dc.Calls().empty());
  EXPECT_EQ(s.box.DrawNewSamples(dc, 1000, 5000), 5000u);
  std::vector<DcCall> fills = dc.CallsOf(DcCall::kFill);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0].rect.left, s.box.X().ValueToPixel(s.box.FrameToTime(1000)));
  size_t area = 0;
  for (const DcCall& l : dc.CallsOf(DcCall::kLine)) area += l.pen.color == kArea;
  EXPECT_GT(area, 0u);
}
