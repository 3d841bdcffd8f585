#include "core/graph/box.h"

#include <gtest/gtest.h>

#include <cmath>

#include <cstring>

#include "core/io/archive.h"
#include "core/graph/label_memory.h"
#include "graph_test_support.h"

namespace {

constexpr uint32_t kGraphBack = kBoxDefaultColors[kColorGraphBack];
constexpr uint32_t kFrameBack = kBoxDefaultColors[kColorFrameBack];
constexpr uint32_t kGraph = kBoxDefaultColors[kColorGraph];
constexpr uint32_t kScale = kBoxDefaultColors[kColorScale];
constexpr uint32_t kMark = kBoxDefaultColors[kColorMark];
constexpr uint32_t kArea = kBoxDefaultColors[kColorArea];

// A box of 1200 x 400 units with its plot inset, both axes 0..1000 and 0..100.
struct ScaledBox {
  TestContext ctx;
  ProbeBox box;
  ScaledBox(const Rect& boxRect = {0, 0, 1200, 400}, const Rect& plot = {100, 100, 1100, 300}) {
    box.SetRect(boxRect, &plot);
    box.SetXRange(0.0, 1000.0);
    box.SetYRange(0.0, 100.0);
    box.SetGridShown(1);
  }
};

}  // namespace

TEST(ClipSegment, CohenSutherlandKeepsThePartInsideWithEdgesIncluded) {
  const Rect clip{0, 0, 100, 50};
  struct Case {
    Point a, b;
    bool visible;
    Point ca, cb;
  };
  const Case cases[] = {
      {{10, 10}, {90, 40}, true, {10, 10}, {90, 40}},    // inside
      {{-10, 10}, {110, 10}, true, {0, 10}, {100, 10}},  // horizontal: clamped
      {{50, -20}, {50, 80}, true, {50, 0}, {50, 50}},    // vertical: clamped
      {{100, 0}, {100, 50}, true, {100, 0}, {100, 50}},  // on the right edge: included
      {{101, 0}, {101, 50}, false, {}, {}},              // just outside
      {{200, 0}, {300, 50}, false, {}, {}},              // both right
      {{-10, -10}, {110, 60}, true, {8, 0}, {93, 50}},   // in through the top, out the bottom
      {{-50, 0}, {50, 50}, true, {0, 25}, {50, 50}},     // enters through the left edge
      {{-20, 40}, {120, -30}, true, {0, 30}, {60, 0}},  // crosses the left and top edges
      {{-30, 40}, {10, 80}, false, {}, {}},              // misses the upper left corner
  };
  for (const Case& c : cases) {
    Point a = c.a, b = c.b;
    const bool visible = ClipSegment(a, b, clip);
    EXPECT_EQ(visible, c.visible) << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y;
    if (!visible || !c.visible) continue;
    EXPECT_EQ(a, c.ca) << c.a.x << "," << c.a.y;
    EXPECT_EQ(b, c.cb) << c.b.x << "," << c.b.y;
  }
}

TEST(BoxPolyline, SelectionColoursChangeAtTheBoundaryIndices) {
  ScaledBox s({0, 0, 1000, 1000}, {0, 0, 1000, 1000});
  ASSERT_EQ(s.box.AllocPoints(1, 30), 1);
  Point* p = s.box.GetPoints(0);
  for (int i = 0; i < 30; ++i) p[i] = {10 * i, 10 * i + 5};
  s.box.SetSelection(10, 20);
  RecordingDC dc;
  s.box.DrawPolyline(dc, 0, nullptr, CBox::kPolylineSelection);
  std::vector<LineCall> lines = LinesOf(dc);
  ASSERT_EQ(lines.size(), 29u);
  for (int i = 1; i < 30; ++i) {
    const LineCall& l = lines[i - 1];
    EXPECT_EQ(l.from, (Point{10 * (i - 1), 10 * (i - 1) + 5}));
    EXPECT_EQ(l.to, (Point{10 * i, 10 * i + 5}));
    EXPECT_EQ(l.color, (i >= 11 && i <= 20) ? kArea : kGraph) << "line to point " << i;
  }
  // No selection: everything in the graph colour; the other styles use one colour each.
  const std::pair<int, uint32_t> styles[] = {{CBox::kPolylineErase, kGraphBack},
                                             {CBox::kPolylineArea, kArea},
                                             {CBox::kPolylineGraph, kGraph}};
  s.box.SetSelection(0, 0);
  dc.Clear();
  s.box.DrawPolyline(dc, 0, nullptr, CBox::kPolylineSelection);
  for (const LineCall& l : LinesOf(dc)) EXPECT_EQ(l.color, kGraph);
  for (auto [style, color] : styles) {
    dc.Clear();
    s.box.DrawPolyline(dc, 0, nullptr, style);
    ASSERT_EQ(LinesOf(dc).size(), 29u);
    for (const LineCall& l : LinesOf(dc)) EXPECT_EQ(l.color, color);
  }
}

TEST(BoxPolyline, RepeatedPointsAreSkippedAndLinesClippedToThePlot) {
  ScaledBox s({0, 0, 1000, 1000}, {100, 100, 900, 900});
  ASSERT_EQ(s.box.AllocPoints(1, 5), 1);
  Point* p = s.box.GetPoints(0);
  p[0] = {0, 500};
  p[1] = {500, 500};
  p[2] = {500, 500};
  p[3] = {500, 2000};
  p[4] = {600, 2000};  // wholly above the plot
  RecordingDC dc;
  s.box.DrawPolyline(dc, 0, nullptr, CBox::kPolylineGraph);
  std::vector<LineCall> lines = LinesOf(dc);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].from, (Point{100, 500}));
  EXPECT_EQ(lines[0].to, (Point{500, 500}));
  EXPECT_EQ(lines[1].from, (Point{500, 500}));
  EXPECT_EQ(lines[1].to, (Point{500, 900}));
  // A clip that misses the plot draws nothing; so does a box without points.
  dc.Clear();
  Rect away{2000, 2000, 3000, 3000};
  s.box.DrawPolyline(dc, 0, &away, CBox::kPolylineGraph);
  EXPECT_TRUE(dc.Calls().empty());
  ProbeBox empty;
  empty.DrawPolyline(dc, 0, nullptr, CBox::kPolylineGraph);
  EXPECT_TRUE(dc.Calls().empty());
}

TEST(BoxPoints, BufferGrowsOnlyAndRowsFollowTheColumnCount) {
  ProbeBox box;
  EXPECT_EQ(box.GetPoints(0), nullptr);
  ASSERT_EQ(box.AllocPoints(3, 10), 1);
  EXPECT_EQ(box.PointsInUse(), 10);
  Point* row0 = box.GetPoints(0);
  Point* row2 = box.GetPoints(2);
  EXPECT_EQ(row2 - row0, 20);
  EXPECT_EQ(box.GetPoints(3), nullptr);
  ASSERT_EQ(box.AllocPoints(1, 5), 1);  // smaller: the block stays
  EXPECT_EQ(box.GetPoints(0), row0);
  EXPECT_EQ(box.PointsInUse(), 5);
  EXPECT_EQ(box.AllocPoints(1, 0), 0);
  EXPECT_EQ(box.PointsInUse(), 0);
}

TEST(BoxScale, NeedsAPlotWiderAndTallerThanNineUnits) {
  ScaledBox thin({0, 0, 300, 300}, {100, 100, 109, 200});
  RecordingDC dc;
  thin.box.DrawScale(dc, nullptr);
  EXPECT_TRUE(dc.Calls().empty());
  ScaledBox small({0, 0, 300, 300}, {100, 100, 110, 110});
  small.box.SetXRange(0.0, 1.0);
  small.box.SetYRange(0.0, 1.0);
  small.box.DrawScale(dc, nullptr);
  EXPECT_FALSE(LinesOf(dc).empty());
}

TEST(BoxScale, GridAndLabelsWithTheCollisionTest) {
  ScaledBox s;  // X ticks every 100 units, labels 130 units wide: every other one fits
  RecordingDC dc;
  s.box.DrawScale(dc, nullptr);
  std::vector<DcCall> texts = dc.CallsOf(DcCall::kText);
  std::vector<int> xLabels, yLabels;
  for (const DcCall& t : texts) {
    if (t.textAlign == (kAlignCenter | kAlignTop)) {
      EXPECT_EQ(t.to.y, 100 - 20);
      xLabels.push_back(t.to.x);
    } else {
      EXPECT_EQ(t.textAlign, kAlignRight | kAlignTop);
      EXPECT_EQ(t.to.x, 100);
      yLabels.push_back(t.to.y);
    }
    EXPECT_EQ(t.bkColor, kFrameBack);
  }
  EXPECT_EQ(xLabels, (std::vector<int>{100, 300, 500, 700, 900, 1100}));
  EXPECT_EQ(yLabels, (std::vector<int>{100 + 17, 200 + 17, 300 + 17}));
  EXPECT_EQ(texts.front().text, " 0 ");  // the first label, with the unit
  // 11 vertical grid lines, 6 tick marks, 3 horizontal grid lines, all in the scale colour.
  std::vector<LineCall> lines = LinesOf(dc);
  EXPECT_EQ(lines.size(), 11u + 6u + 3u);
  for (const LineCall& l : lines) EXPECT_EQ(l.color, kScale);
  EXPECT_EQ(lines[0], (LineCall{{100, 100}, {100, 300}, kScale}));
  EXPECT_EQ(lines[1], (LineCall{{100, 90}, {100, 80}, kScale}));  // tick mark

  // Labels drawn already (valid bit 0) or a plot filling the box: grid only.
  dc.Clear();
  s.box.SetValidFlags(CBox::kValidLabels);
  s.box.DrawScale(dc, nullptr);
  EXPECT_TRUE(dc.Texts().empty());
  EXPECT_EQ(LinesOf(dc).size(), 14u);
  ScaledBox full({100, 100, 1100, 300}, {100, 100, 1100, 300});
  dc.Clear();
  full.box.DrawScale(dc, nullptr);
  EXPECT_TRUE(dc.Texts().empty());
  EXPECT_EQ(LinesOf(dc).size(), 14u);
  // Without the grid only labels and tick marks remain.
  ScaledBox noGrid;
  noGrid.box.SetGridShown(0);
  dc.Clear();
  noGrid.box.DrawScale(dc, nullptr);
  EXPECT_EQ(LinesOf(dc).size(), 6u);
  EXPECT_EQ(dc.Texts().size(), 9u);
}

TEST(LabelMemory, RemembersThirtyAndTestsLaterLabelsAgainstThem) {
  LabelMemory memory;
  for (int i = 0; i < 31; ++i) {
    Rect r{i * 100, 0, i * 100 + 50, 10};
    ASSERT_TRUE(memory.IsFree(r));
    memory.Remember(r);
  }
  EXPECT_EQ(memory.Count(), 30);
  EXPECT_FALSE(memory.IsFree({2910, 0, 2920, 10}));  // inside the 30th
  EXPECT_TRUE(memory.IsFree({3010, 0, 3020, 10}));   // inside the 31st, which was not kept
  EXPECT_TRUE(memory.IsFree({50, 0, 100, 10}));      // touching is not overlapping
}

TEST(BoxCursor, XorMarkLineTogglesItsStateBit) {
  ScaledBox s;
  s.box.SetMarkValue(500.0);
  RecordingDC dc;
  EXPECT_EQ(s.box.DrawCursor(dc, nullptr, 1), 0);  // nothing shown to erase
  ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 0), 1);
  EXPECT_TRUE(s.box.ValidFlags() & CBox::kMarkLineShown);
  std::vector<DcCall> lines = dc.CallsOf(DcCall::kLine);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].from, (Point{600, 100}));
  EXPECT_EQ(lines[0].to, (Point{600, 300}));
  EXPECT_EQ(lines[0].rop, kRopXorPen);
  EXPECT_EQ(lines[0].pen.color, kMark);
  EXPECT_EQ(dc.GetROP2(), kRopCopyPen);  // restored
  EXPECT_EQ(s.box.DrawCursor(dc, nullptr, 0), 0);  // already shown
  ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 1), 1);
  EXPECT_FALSE(s.box.ValidFlags() & CBox::kMarkLineShown);
  EXPECT_EQ(dc.CallsOf(DcCall::kLine).back().from, lines[0].from);

  // The cross-hair adds the level line.
  dc.Clear();
  s.box.SetCrossHair(1);
  ASSERT_EQ(s.box.DrawCursor(dc, nullptr, 0), 1);
  ASSERT_EQ(dc.CallsOf(DcCall::kLine).size(), 2u);
  EXPECT_EQ(dc.CallsOf(DcCall::kLine)[1].from, (Point{100, 100}));  // mark level 0
  EXPECT_EQ(dc.CallsOf(DcCall::kLine)[1].to, (Point{1100, 100}));

  // No mark, or one outside the X range: nothing, and the bit is cleared.
  for (double mark : {-1.0, 1000.5}) {
    s.box.SetMarkValue(mark);
    EXPECT_EQ(s.box.IsMarkVisible(), 0);
    dc.Clear();
    EXPECT_EQ(s.box.DrawCursor(dc, nullptr, 0), 0);
    EXPECT_FALSE(s.box.ValidFlags() & CBox::kMarkLineShown);
    EXPECT_TRUE(dc.Calls().empty());
  }
  s.box.SetMarkValue(1000.0);
  EXPECT_EQ(s.box.IsMarkVisible(), 1);  // the range is inclusive
  s.box.SetMarkShown(0);
  EXPECT_EQ(s.box.IsMarkVisible(), 0);
}

TEST(BoxDraw, FrameThenLayersOnceAndTheBorderOnScreenOnly) {
  ScaledBox s;
  RecordingDC dc;
  s.box.Draw(dc, nullptr);
  std::vector<DcCall> fills = dc.CallsOf(DcCall::kFill);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 1200, 400}));
  EXPECT_EQ(fills[0].color, kFrameBack);
  EXPECT_EQ(fills[1].rect, (Rect{100, 100, 1100, 300}));
  EXPECT_EQ(fills[1].color, kGraphBack);
  // The border of an inactive box is traced last, 3 units wide, in the frame background.
  std::vector<DcCall> lines = dc.CallsOf(DcCall::kLine);
  ASSERT_GE(lines.size(), 4u);
  for (size_t i = lines.size() - 4; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].pen.width, 3);
    EXPECT_EQ(lines[i].pen.color, kFrameBack);
  }
  EXPECT_EQ(s.box.ValidFlags() & 7, 7);
  dc.Clear();
  s.box.Draw(dc, nullptr);
  EXPECT_TRUE(dc.Calls().empty());  // nothing became invalid

  s.box.SetActive(1);
  s.box.SetValidFlags(0);
  dc.Clear();
  s.box.Draw(dc, nullptr);
  EXPECT_EQ(dc.CallsOf(DcCall::kLine).back().pen.color, CBox::kActiveBorderColor);

  for (auto surface : {RecordingDC::Surface::kPrinter, RecordingDC::Surface::kVectorRecording}) {
    RecordingDC paper(surface);
    s.box.SetValidFlags(0);
    s.box.Draw(paper, nullptr);
    for (const DcCall& l : paper.CallsOf(DcCall::kLine)) EXPECT_NE(l.pen.width, 3);
  }
}

TEST(BoxDraw, FrameOfAPlotFillingTheBoxShowsTheOuterBorder) {
  ScaledBox s({0, 0, 500, 500}, {0, 0, 500, 500});
  RecordingDC dc;
  s.box.DrawFrame(dc, nullptr);
  std::vector<LineCall> lines = LinesOf(dc);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], (LineCall{{0, 0}, {0, 500}, kBoxDefaultColors[kColorFrame]}));
  EXPECT_EQ(lines[4], (LineCall{{0, 0}, {0, 500}, kScale}));
  // Inset plots keep the outer border invisible: it lies outside the plot.
  ScaledBox inset;
  dc.Clear();
  inset.box.DrawFrame(dc, nullptr);
  for (const LineCall& l : LinesOf(dc)) EXPECT_EQ(l.color, kScale);
}

TEST(BoxActive, ChangeLeavesAnInvalidAreaAroundTheBorder) {
  ProbeBox box;
  box.SetRect({0, 0, 100, 50}, nullptr);
  Rect r;
  EXPECT_EQ(box.TakeInvalidRect(r), 0);
  box.SetActive(1);
  box.SetActive(1);
  EXPECT_EQ(box.IsActive(), 1);
  ASSERT_EQ(box.TakeInvalidRect(r), 1);
  EXPECT_EQ(r, (Rect{-2, -2, 102, 52}));
  EXPECT_EQ(box.TakeInvalidRect(r), 0);
}

TEST(BoxSource, ChannelDefaultsByTheWave) {
  auto mono = MakeWave(10, 1, 8000, [](uint32_t, int) { return 0; });
  auto stereo = MakeWave(10, 2, 8000, [](uint32_t, int) { return 0; });
  TestContext ctx;
  ProbeBox box;
  box.SetSource(mono.get(), &ctx.context, 0);
  EXPECT_EQ(box.Channel(), kChannelBoth);
  box.SetSource(stereo.get(), &ctx.context, 0x10000);  // only the low 16 bits count
  EXPECT_EQ(box.Channel(), kChannelLeft);
  box.SetSource(stereo.get(), &ctx.context, 2);
  EXPECT_EQ(box.Channel(), kChannelRight);
  box.SetSource(nullptr, nullptr, 1);  // keeps the current source
  EXPECT_EQ(box.Wave(), stereo.get());
  EXPECT_EQ(box.Settings(), &ctx.context);
  EXPECT_EQ(box.Channel(), kChannelRight);
}

TEST(BoxMark, SetMarkConvertsTheDevicePointAndPicksThePeakSide) {
  ScaledBox s;
  RecordingDC dc;  // 96 dpi page mapping
  const Point lower = dc.LPtoDP(Point{600, 150});
  const Point upper = dc.LPtoDP(Point{600, 250});
  EXPECT_EQ(s.box.SetMark(dc, lower.x, lower.y), 1);
  EXPECT_NEAR(s.box.MarkValue(), s.box.X().PixelToValue(dc.DPtoLP(lower).x), 1e-9);
  EXPECT_EQ(s.box.MarkLevel(), 0.0);  // the base takes the Y start
  EXPECT_EQ(s.box.SetMark(dc, upper.x, upper.y), 0);
  s.box.SetPeakSearch(0);
  EXPECT_EQ(s.box.SetMark(dc, upper.x, upper.y), -1);
  EXPECT_EQ(s.box.IsNearTop(0, 200), 1);  // the middle counts as the lower half
}

TEST(BoxPlotRect, FollowingTheLayoutKeepsTheBoxAndTheValueRanges) {
  ScaledBox s;
  Rect box = s.box.SetPlotRect({200, 150, 1000, 350});
  EXPECT_EQ(box, (Rect{0, 0, 1200, 400}));
  EXPECT_EQ(s.box.PlotRect(), (Rect{200, 150, 1000, 350}));
  EXPECT_EQ(s.box.X().ValueToPixel(0.0), 200);
  EXPECT_EQ(s.box.X().ValueToPixel(1000.0), 1000);
  EXPECT_EQ(s.box.Y().ValueToPixel(100.0), 350);
}

TEST(BoxSerialize, BaseRecordLayoutAndRoundTrip) {
  ScaledBox s;
  auto wave = MakeWave(10, 2, 8000, [](uint32_t, int) { return 0; });
  s.box.SetSource(wave.get(), nullptr, 2);
  s.box.SetMarkValue(123.5);
  s.box.SetCrossHair(1);
  s.box.SetPeakSearch(0);
  ColorSet colors = kApplicationDefaultColors;
  colors[kColorArea] = 0x123456;
  s.box.SetColors(colors);
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    s.box.Serialize(ar);
  }
  const std::vector<uint8_t>& b = mem.Bytes();
  // channel 2 + 2 rectangles 32 + colours 28 + 2 axes 240 + reserved 32 + 4 + 4 + 16 + 12
  ASSERT_EQ(b.size(), 2u + 32 + 28 + 240 + 32 + 8 + 16 + 12);
  auto i32 = [&](size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  EXPECT_EQ(b[0] | (b[1] << 8), 2);
  EXPECT_EQ(i32(2), 0);      // box top
  EXPECT_EQ(i32(6), 400);    // box bottom
  EXPECT_EQ(i32(10), 0);     // box left
  EXPECT_EQ(i32(14), 1200);  // box right
  EXPECT_EQ(i32(18), 100);   // plot top
  EXPECT_EQ(i32(30), 1100);  // plot right
  EXPECT_EQ(static_cast<uint32_t>(i32(34 + 6 * 4)), 0x123456u);

  mem.Seek(0);
  ProbeBox loaded;
  loaded.SetValidFlags(7);
  CArchive in(mem, CArchive::Mode::Load);
  loaded.Serialize(in);
  EXPECT_FALSE(in.Failed());
  EXPECT_EQ(loaded.GetRect(), s.box.GetRect());
  EXPECT_EQ(loaded.PlotRect(), s.box.PlotRect());
  EXPECT_EQ(loaded.Colors(), colors);
  EXPECT_EQ(loaded.MarkValue(), 123.5);
  EXPECT_EQ(loaded.CrossHair(), 1);
  EXPECT_EQ(loaded.PeakSearch(), 0);
  EXPECT_EQ(loaded.Channel(), 2);
  EXPECT_EQ(loaded.ValidFlags(), 0);
  EXPECT_EQ(loaded.X().ValueToPixel(500.0), 600);

  // A channel selector no box can have gives way to the box's own; a mark that is no
  // number marks the record as corrupt.
  std::vector<uint8_t> odd = b;
  odd[0] = 9;
  MemoryStream oddStream(odd);
  CArchive oddIn(oddStream, CArchive::Mode::Load);
  ProbeBox repaired;
  const int ownChannel = repaired.Channel();
  repaired.Serialize(oddIn);
  EXPECT_FALSE(oddIn.Failed());
  EXPECT_EQ(repaired.Channel(), ownChannel);

  std::vector<uint8_t> bad = b;
  const double nan = std::nan("");
  const size_t markAt = b.size() - 12 - 16;  // the mark value, before its level and three flags
  ASSERT_EQ(bad.size(), markAt + 28);
  std::memcpy(&bad.at(markAt), &nan, sizeof nan);
  MemoryStream badStream(bad);
  CArchive badIn(badStream, CArchive::Mode::Load);
  ProbeBox refused;
  refused.Serialize(badIn);
  EXPECT_TRUE(badIn.Failed());
}
