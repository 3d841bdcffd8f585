#include "core/graph/fft3d_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "core/io/archive.h"
#include "graph_test_support.h"

namespace {

// A plot of 1000 x 1000 units inside its box.
const Rect kBoxRect{0, -1200, 1200, 0};
const Rect kPlotRect{100, -1100, 1100, -100};
constexpr uint32_t kFill = 0x00FFEE;

// A sine on bin 8 of N = 256 at 8000 Hz (250 Hz) whose amplitude grows by 200 steps with
// every block. The boxes average every block since the start ("all"), so that each Calc
// counts in the engine's frame count: slice b reads the mean amplitude of blocks 0 .. b,
// 4000 + 100 b steps.
int GrowingSine(uint32_t f, int) {
  const double amplitude = 4000.0 + 200.0 * (f / 256);
  return static_cast<int>(std::lround(amplitude * std::sin(2 * M_PI * 250 * f / 8000.0)));
}

struct WaterfallSetup {
  std::unique_ptr<CWave> wave;
  TestContext ctx;
  CFFT3DBox box;

  explicit WaterfallSetup(uint32_t frames = 256 * 80, Fft3DSettings settings = {30, 70, 10, kFill})
      : wave(MakeWave(frames, 1, 8000, GrowingSine)), box(settings) {
    ctx.context.record.blockSize = 256;
    ApplyAveragingCode(ctx.context.record, kAveragingCodeCumulative);  // every Calc counts
    box.SetSource(wave.get(), &ctx.context, kChannelBoth);
    box.SetRect(kBoxRect, &kPlotRect);
    box.SetDefaultRanges();
  }
  // The blocks 0, 1, ... as a stepping run analyses them.
  void Run(int blocks) {
    for (int b = 0; b < blocks; ++b) {
      ctx.context.record.currentPosition = static_cast<uint32_t>(b) * 256;
      box.UpdateData(kRunStepping, b == 0, b == 0);
    }
  }
};

std::vector<uint8_t> Stored(CFFT3DBox& box) {
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    box.Serialize(ar);
  }
  return mem.TakeBytes();
}

bool Loads(const std::vector<uint8_t>& bytes, CFFT3DBox& into) {
  MemoryStream mem(bytes);
  CArchive ar(mem, CArchive::Mode::Load);
  into.Serialize(ar);
  return !ar.Failed();
}

void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
void PutF64(std::vector<uint8_t>& b, size_t at, double v) { std::memcpy(b.data() + at, &v, 8); }

// Where the fields of a stored waterfall of N = 256 with averaging over every block lie.
struct RecordLayout {
  explicit RecordLayout(const std::vector<uint8_t>& bytes) {
    EXPECT_EQ(bytes.size(), counts + 20);
  }
  static constexpr size_t kEngineBytes = 12 + 4 * (7 * 256 + 2 * 128) + 16;  // N 256, A 1
  static constexpr size_t slantX = 370 + kEngineBytes + 8;
  static constexpr size_t pitch = 370 + kEngineBytes + 24;
  static constexpr size_t size = 370 + kEngineBytes + 48;
  static constexpr size_t counts = size + 4 + 70 * 128 * 4;
};

}  // namespace

TEST(Fft3dGeometry, SlicesFromTheSlantsAndTheDepthPitch) {
  WaterfallSetup s;
  EXPECT_EQ(s.box.GetKind(), kBoxFft3dMono);
  // 1000 units high at 70 %: each slice 300 high, room for 700 / 10 = 70 slices.
  EXPECT_EQ(s.box.FrontRect(), (Rect{100, -1100, 800, -800}));
  EXPECT_EQ(s.box.SliceLimit(), 70);
  EXPECT_EQ(s.box.SliceOffset(1), (Point{4, 10}));  // 300 / 70 per slice, truncated
  EXPECT_EQ(s.box.SliceOffset(70), (Point{300, 700}));
  EXPECT_EQ(s.box.SliceRect(35), (Rect{250, -750, 950, -450}));
  EXPECT_EQ(s.box.X().PixelEnd(), 800.0);  // the axes map onto the front rectangle
  EXPECT_EQ(s.box.Y().PixelEnd(), -800.0);

  // Slant X 0 stacks the slices straight up; a depth pitch of 0 keeps the previous one.
  s.box.ApplySettings3D({0, 50, 0, kFill});
  EXPECT_EQ(s.box.DepthPitch(), 10);
  EXPECT_EQ(s.box.FrontRect(), (Rect{100, -1100, 1100, -600}));
  EXPECT_EQ(s.box.SliceLimit(), 50);
  EXPECT_EQ(s.box.SliceOffset(20).x, 0);
  EXPECT_EQ(s.box.X().PixelEnd(), 1100.0);
  EXPECT_EQ(s.box.Y().PixelEnd(), -600.0);
}

TEST(Fft3dGeometry, TheWaterfallFollowsAPlotMovedByANewLabelCell) {
  WaterfallSetup s;
  s.Run(5);
  // A wider label cell moves the plot's left edge and lowers its upper edge.
  const Rect moved{160, -1100, 1100, -130};
  s.box.SetPlotRect(moved);
  // 970 units high at 70 %: slices 291 high, room for 679 / 10 = 67; 940 wide at 30 %.
  EXPECT_EQ(s.box.FrontRect(), (Rect{160, -1100, 818, -809}));
  EXPECT_EQ(s.box.SliceLimit(), 67);
  EXPECT_EQ(s.box.X().PixelStart(), 160.0);
  EXPECT_EQ(s.box.X().PixelEnd(), 818.0);
  EXPECT_EQ(s.box.Y().PixelEnd(), -809.0);
  EXPECT_EQ(s.box.SlicesStored(), 5);  // the slices stay
  // Every slice lies in the new plot.
  for (int32_t i = 0; i <= s.box.SliceLimit(); ++i) {
    const Rect r = s.box.SliceRect(i);
    EXPECT_TRUE(r.left >= moved.left && r.right <= moved.right && r.top >= moved.top && r.bottom <= moved.bottom) << i;
  }
}

TEST(Fft3dStore, OneSlicePerBlockUntilFullAndThenNoMoreCalculation) {
  WaterfallSetup s;
  s.Run(70);
  EXPECT_EQ(s.box.SlicesStored(), 70);
  EXPECT_EQ(s.box.Capacity(), 70);
  EXPECT_EQ(s.box.BinsPerSlice(), 128);
  EXPECT_EQ(s.box.StoreBytes(), 70 * 128 * 4);
  EXPECT_EQ(s.box.Engine()->FrameCount(), 70);
  ASSERT_NE(s.box.GetSlice(69), nullptr);
  EXPECT_EQ(s.box.GetSlice(70), nullptr);
  EXPECT_EQ(s.box.GetSlice(-1), nullptr);
  s.ctx.context.record.currentPosition = 70 * 256;
  s.box.UpdateData(kRunStepping, 0, 0);  // the 71st block
  EXPECT_EQ(s.box.SlicesStored(), 70);
  EXPECT_EQ(s.box.Engine()->FrameCount(), 70);
  EXPECT_EQ(s.box.PushSlice(s.box.Engine()->GetSpectrum()), -1);

  // The largest level is the last slice's peak; 16-bit rounding moves it by well under 1.
  double lo = 0, hi = 0;
  s.box.SliceMinMax(0, 1000, lo, hi);
  EXPECT_NEAR(hi, 10000.0 * (4000 + 100 * 69) / 32768, 1.0);
  EXPECT_GE(lo, 0.0);
  s.box.SliceMinMax(200, 300, lo, hi);  // beyond the spectrum
  EXPECT_EQ(hi, 0.0);

  // Emptied by a new run; nothing at all fits a store of 0 slices.
  ASSERT_EQ(s.box.AllocSlices(128, 100), 1);
  EXPECT_EQ(s.box.Capacity(), 70);
  EXPECT_EQ(s.box.SlicesStored(), 0);
  EXPECT_EQ(s.box.AllocSlices(128, 0), 0);
  EXPECT_EQ(s.box.GetSlice(0), nullptr);
}

TEST(Fft3dFocus, MovesWrapAndFollowThePointerUpward) {
  WaterfallSetup s;
  s.Run(10);
  RecordingDC dc;
  EXPECT_EQ(s.box.DataFocus(), -1);
  s.box.MoveFocus(dc, -1);
  EXPECT_EQ(s.box.DataFocus(), 9);  // no focus, backward: the last slice
  s.box.MoveFocus(dc, 1);
  EXPECT_EQ(s.box.DataFocus(), 0);  // beyond the last: the first
  Rect plot;
  s.box.GetPlotRect(plot);
  EXPECT_EQ(plot, s.box.SliceRect(0));

  // One slice per depth pitch upward from the plot's lower edge, at most the last stored.
  const int x = 500, bottom = kPlotRect.top;
  const std::pair<int, int> moves[] = {{0, 0}, {9, 0}, {10, 1}, {35, 3}, {95, 9}, {500, 9}};
  for (const auto& [up, slice] : moves) {
    s.box.FocusAt(dc, x, bottom + up, 0);
    EXPECT_EQ(s.box.DataFocus(), slice) << up;
  }
  s.box.FocusAt(dc, x, kPlotRect.top - 1, 0);  // outside the plot: no focus
  EXPECT_EQ(s.box.DataFocus(), -1);
  s.box.GetPlotRect(plot);
  EXPECT_EQ(plot, Rect{});
  s.box.SetMarkValue(250.0);
  s.box.FocusAt(dc, x, bottom, 1);  // released without a focus: the mark goes
  EXPECT_EQ(s.box.MarkValue(), -1.0);
}

TEST(Fft3dDrawing, BackToFrontWithFilledSlicesInsideTheirRectangles) {
  WaterfallSetup s;
  s.Run(12);
  s.box.SetDataFocus(3);
  s.box.SetMarkValue(250.0);
  RecordingDC dc;
  s.box.Draw(dc, nullptr);
  const std::vector<DcCall> polygons = dc.CallsOf(DcCall::kPolygon);
  ASSERT_EQ(polygons.size(), 12u);
  for (size_t j = 0; j < polygons.size(); ++j) {
    const Rect slice = s.box.SliceRect(static_cast<int32_t>(11 - j));  // the farthest first
    EXPECT_EQ(polygons[j].brush.color, kFill);
    for (const Point& p : polygons[j].points) {
      EXPECT_TRUE(p.x >= slice.left && p.x <= slice.right && p.y >= slice.top && p.y <= slice.bottom)
          << j << ": " << p.x << "," << p.y;
    }
  }
  // The focus slice's curve is in the area colour, the others in the graph colour.
  int areaLines = 0;
  for (const DcCall& c : dc.CallsOf(DcCall::kLine))
    if (c.pen.color == kBoxDefaultColors[kColorArea] && c.rop == kRopCopyPen) ++areaLines;
  EXPECT_GT(areaLines, 0);
  const std::vector<std::string> texts = dc.Texts();
  ASSERT_FALSE(texts.empty());
  const double level = 10000.0 * (4000 + 100 * 3) / 32768 * 0.01;  // slice 3's peak in per cent
  char expected[96];
  std::snprintf(expected, sizeof expected, "Mark : Block 3(Max11)  250.00Hz  %.3f%%", level);
  EXPECT_EQ(texts.back().substr(0, 33), std::string(expected).substr(0, 33));
  EXPECT_NEAR(std::stod(texts.back().substr(33)), level, 0.002);
}

TEST(ClipPolygon, TheAreaUnderACurveHeldInsideARectangle) {
  const Rect c{0, 0, 100, 50};
  std::vector<Point> outline;
  const Point above[] = {{-10, 80}, {110, 90}};
  ASSERT_EQ(CBox::ClipPolygon(above, 2, c, outline), 4);  // the rectangle itself
  EXPECT_EQ(outline, (std::vector<Point>{{0, 0}, {0, 50}, {100, 50}, {100, 0}}));
  const Point below[] = {{0, -5}, {50, -1}, {100, -9}};
  EXPECT_EQ(CBox::ClipPolygon(below, 3, c, outline), 0);
  const Point rising[] = {{0, 0}, {100, 100}};  // leaves through the upper edge at x 50
  ASSERT_EQ(CBox::ClipPolygon(rising, 2, c, outline), 4);
  EXPECT_EQ(outline, (std::vector<Point>{{0, 0}, {50, 50}, {100, 50}, {100, 0}}));
  const Point peak[] = {{20, 10}, {40, 90}, {60, 10}, {80, 20}};  // starts inside, ends inside
  ASSERT_EQ(CBox::ClipPolygon(peak, 4, c, outline), 8);
  EXPECT_EQ(outline, (std::vector<Point>{{20, 0}, {20, 10}, {30, 50}, {40, 50}, {50, 50}, {60, 10},
                                         {80, 20}, {80, 0}}));
}

TEST(Fft3dRecord, RoundTripWithTheStoreAndRefusedCorruptRecords) {
  WaterfallSetup s;
  s.Run(10);
  s.box.SetDataFocus(4);
  const std::vector<uint8_t> bytes = Stored(s.box);
  const RecordLayout at(bytes);

  WaterfallSetup other(1024);
  ASSERT_TRUE(Loads(bytes, other.box));
  EXPECT_EQ(other.box.SlicesStored(), 10);
  EXPECT_EQ(other.box.DataFocus(), 4);
  EXPECT_EQ(other.box.Capacity(), 70);
  EXPECT_EQ(std::memcmp(other.box.GetSlice(0), s.box.GetSlice(0), 10 * 128 * 4), 0);
  EXPECT_EQ(Stored(other.box), bytes);

  // Sizes that do not fit the file or each other, and numbers that are none.
  struct Corruption {
    const char* what;
    size_t at;
    int32_t value;
  };
  const Corruption cases[] = {
      {"a store larger than the file", at.size, 0x7FFFFFF0},
      {"a store size that is no whole float", at.size, 70 * 128 * 4 - 2},
      {"a negative store size", at.size, -4},
      {"capacity times bins not the store", at.counts, 71},
      {"a negative capacity", at.counts, -70},
  };
  for (const Corruption& c : cases) {
    std::vector<uint8_t> bad = bytes;
    PutI32(bad, c.at, c.value);
    WaterfallSetup target(1024);
    EXPECT_FALSE(Loads(bad, target.box)) << c.what;
    EXPECT_EQ(target.box.SlicesStored(), 0) << c.what;
    EXPECT_EQ(target.box.DataFocus(), -1) << c.what;
  }
  std::vector<uint8_t> bad = bytes;
  PutF64(bad, at.slantX, std::nan(""));
  WaterfallSetup target(1024);
  EXPECT_FALSE(Loads(bad, target.box));
  // Cut short inside the store.
  bad.assign(bytes.begin(), bytes.begin() + static_cast<long>(at.size + 100));
  EXPECT_FALSE(Loads(bad, target.box));
}

TEST(Fft3dRecord, ValuesThatCanBeRepairedAreRepairedOnLoading) {
  WaterfallSetup s;
  s.Run(10);
  const std::vector<uint8_t> bytes = Stored(s.box);
  const RecordLayout at(bytes);
  struct Repair {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> change;
    std::function<void(const CFFT3DBox&)> expect;
  };
  const Repair cases[] = {
      {"a focus beyond the slices", [&](auto& b) { PutI32(b, at.counts + 16, 10); },
       [](const CFFT3DBox& box) { EXPECT_EQ(box.DataFocus(), -1); }},
      {"more slices than the store holds", [&](auto& b) { PutI32(b, at.counts + 12, 71); },
       [](const CFFT3DBox& box) { EXPECT_EQ(box.SlicesStored(), 70); }},
      {"a depth pitch of 0 keeps the box's own", [&](auto& b) { PutI32(b, at.pitch, 0); },
       [](const CFFT3DBox& box) { EXPECT_EQ(box.DepthPitch(), 10); }},
      {"a slant X of 150 %", [&](auto& b) { PutF64(b, at.slantX, 1.5); },
       [](const CFFT3DBox& box) {
         EXPECT_EQ(box.SlantX(), 1.0);
         EXPECT_EQ(box.FrontRect().right, box.FrontRect().left);
       }},
      {"a slant Y of -20 %", [&](auto& b) { PutF64(b, at.slantX + 8, 1.2); },
       [](const CFFT3DBox& box) {
         EXPECT_EQ(box.FrontHeightShare(), 1.0);
         EXPECT_EQ(box.SliceLimit(), 0);
       }},
      {"a stored front rectangle off the plot", [&](auto& b) { PutI32(b, at.pitch + 4, -5000); },
       [](const CFFT3DBox& box) {
         EXPECT_EQ(box.FrontRect(), (Rect{100, -1100, 800, -800}));
         EXPECT_EQ(box.Y().PixelStart(), -1100.0);
       }},
      {"slices shorter than the spectrum (a block size raised after the run)",
       [&](auto& b) {
         PutI32(b, at.counts, 140);
         PutI32(b, at.counts + 4, 64);
       },
       [](const CFFT3DBox& box) {
         EXPECT_EQ(box.BinsPerSlice(), 64);
         RecordingDC dc;
         const_cast<CFFT3DBox&>(box).DrawData(dc, nullptr);  // stale slices are not drawn
         EXPECT_TRUE(dc.Calls().empty());
       }},
  };
  for (const Repair& c : cases) {
    std::vector<uint8_t> changed = bytes;
    c.change(changed);
    WaterfallSetup target(1024);
    ASSERT_TRUE(Loads(changed, target.box)) << c.what;
    c.expect(target.box);
    // Stored again and loaded, the repaired record stays as it is.
    const std::vector<uint8_t> once = Stored(target.box);
    WaterfallSetup again(1024);
    ASSERT_TRUE(Loads(once, again.box)) << c.what;
    EXPECT_EQ(Stored(again.box), once) << c.what;
  }
}

TEST(Fft3dRecord, StatesARunLeavesStoreAndLoadAsTheyAre) {
  // A focus chosen before a run that then stored fewer slices: no focus, as drawn.
  WaterfallSetup a;
  a.Run(30);
  a.box.SetDataFocus(20);
  a.Run(3);
  EXPECT_FALSE(a.box.HasFocus());
  const std::vector<uint8_t> focusBytes = Stored(a.box);
  WaterfallSetup back(1024);
  ASSERT_TRUE(Loads(focusBytes, back.box));
  EXPECT_EQ(back.box.DataFocus(), -1);
  EXPECT_EQ(back.box.SlicesStored(), 3);
  EXPECT_EQ(Stored(back.box), focusBytes);

  // The block size doubled after a run: the engine is new, the slices are half as long.
  WaterfallSetup b;
  b.Run(5);
  b.ctx.context.record.blockSize = 512;
  b.box.SetSource(nullptr, nullptr, 0);
  ASSERT_EQ(b.box.BinCount(), 256);
  const std::vector<uint8_t> blockBytes = Stored(b.box);
  WaterfallSetup loaded(1024);
  ASSERT_TRUE(Loads(blockBytes, loaded.box));
  EXPECT_EQ(loaded.box.SlicesStored(), 5);
  EXPECT_EQ(loaded.box.BinsPerSlice(), 128);
  EXPECT_EQ(Stored(loaded.box), blockBytes);
}

namespace {
bool Inside(const Rect& r, Point p) { return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom; }
}  // namespace

// Every accepted setting of the 3D dialog, on a large plot, a document's default 3D box,
// the smallest box the placement makes and a flat box made wide, with the slices of a run made under the setting and
// with those of a run under other settings kept through the change: the grid and the slices
// stay inside the plot, and the X labels and their tick marks (which lean along the depth
// into the label margin below the plot) inside the box.
TEST(Fft3dDrawing, EveryLineStaysInsideThePlotForEverySettingTheDialogAccepts) {
  struct Geometry {
    Rect box;
    Rect plot;
  };
  const Geometry geometries[] = {
      {kBoxRect, kPlotRect},
      {{0, -600, 1200, 0}, {120, -510, 1145, -70}},
      {{0, -340, 375, 0}, {120, -250, 320, -70}},
      {{0, -340, 2400, 0}, {120, -250, 2345, -70}},  // widened by the user
  };
  for (const Geometry& geometry : geometries) {
    for (int32_t slantX : {0, 30, 60}) {
      for (int32_t slantY : {30, 70, 90}) {
        for (int32_t pitch : {5, 20, 50}) {
          for (bool kept : {false, true}) {
            const Fft3DSettings setting{slantX, slantY, pitch, kFill};
            WaterfallSetup s(256 * 150, kept ? Fft3DSettings{30, 70, 5, kFill} : setting);
            s.box.SetRect(geometry.box, &geometry.plot);
            s.box.SetDefaultRanges();
            s.Run(150);
            if (kept) s.box.ApplySettings3D(setting);
            s.box.SetDataFocus(s.box.SlicesOnThePlot() - 1);
            s.box.SetMarkValue(250.0);
            s.box.SetCrossHair(1);
            RecordingDC dc;  // the read-out of the cursor is not looked at: it may be wider than a box
            s.box.DrawScale(dc, nullptr);
            s.box.DrawData(dc, nullptr);
            RecordingDC cursor;
            s.box.DrawCursor(cursor, nullptr, 0);
            for (const DcCall& c : cursor.CallsOf(DcCall::kLine)) {
              EXPECT_TRUE(Inside(geometry.plot, c.from) && Inside(geometry.plot, c.to)) << "the cursor";
            }
            const Rect& box = geometry.box;
            const Rect& plot = geometry.plot;
            const std::string what = std::to_string(box.right) + " wide, " + std::to_string(slantX) + "/" +
                                     std::to_string(slantY) + "/" + std::to_string(pitch) + (kept ? " kept" : "");
            for (const DcCall& c : dc.Calls()) {
              if (c.kind == DcCall::kLine) {
                const bool tickMark = c.from.y < plot.top || c.to.y < plot.top;
                const Rect& limit = tickMark ? box : plot;
                EXPECT_TRUE(Inside(limit, c.from) && Inside(limit, c.to))
                    << what << ": (" << c.from.x << "," << c.from.y << ")-(" << c.to.x << "," << c.to.y << ")";
              } else if (c.kind == DcCall::kPolygon) {
                for (Point p : c.points) EXPECT_TRUE(Inside(plot, p)) << what << ": (" << p.x << "," << p.y << ")";
              } else if (c.kind == DcCall::kText) {
                const int32_t width = RecordingDC::MeasureWithHeight(c.text, c.fontHeight).cx;
                const int32_t left = (c.textAlign & kAlignCenter) == kAlignCenter ? c.to.x - width / 2
                                     : (c.textAlign & kAlignRight) == kAlignRight ? c.to.x - width
                                                                                  : c.to.x;
                EXPECT_TRUE(Inside(box, c.to) && left >= box.left && left + width <= box.right)
                    << what << ": \"" << c.text << "\" from x " << left << " to " << left + width;
              }
            }
          }
        }
      }
    }
  }
}
