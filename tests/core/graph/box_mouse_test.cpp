// The mouse interaction of the boxes, driven by device points through the recording context
// (a 1200 x 1800 page at 96 dpi: about 2.65 logical units per pixel, y downward).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "core/graph/box.h"
#include "core/graph/fft3d_box.h"
#include "core/graph/info_box.h"
#include "graph_test_support.h"

namespace {

const Rect kBoxRect{200, -700, 700, -300};
const Rect kPlotRect{320, -610, 645, -370};

// Sets the application's mouse operation for one test.
class MouseOperation {
 public:
  explicit MouseOperation(int op) : previous_(CBox::GetMouseOperation()) { CBox::SetMouseOperation(op); }
  ~MouseOperation() { CBox::SetMouseOperation(previous_); }

 private:
  int previous_;
};

struct MouseSetup {
  RecordingDC dc;
  ProbeBox box;
  MouseSetup() {
    box.SetRect(kBoxRect, &kPlotRect);
    box.SetXRange(0.0, 1000.0);
    box.SetYRange(0.0, 100.0);
  }
  Point Device(Point logical) const { return dc.LPtoDP(logical); }
  Rect DeviceBox() const { return dc.LPtoDP(box.GetRect()); }
  // Press at a, move through the points, release at the last; the button-up result.
  int32_t Drag(Point a, std::initializer_list<Point> moves) {
    box.OnLButtonDown(dc, a.x, a.y);
    Point last = a;
    for (Point p : moves) {
      box.OnMouseMove(dc, p.x, p.y);
      last = p;
    }
    return box.OnLButtonUp(dc, last.x, last.y);
  }
  // Every XOR line on the surface drawn an even number of times: nothing left behind.
  bool BandsErased() const {
    std::map<std::tuple<int, int, int, int>, int> count;
    for (const DcCall& c : dc.CallsOf(DcCall::kLine))
      if (c.rop == kRopXorPen) ++count[{c.from.x, c.from.y, c.to.x, c.to.y}];
    for (const auto& [line, n] : count)
      if (n % 2) return false;
    return !count.empty();
  }
};

}  // namespace

TEST(BoxHitTest, EveryEdgeCornerAndInside) {
  const Rect b{100, 100, 300, 200};
  const Rect p{150, 120, 280, 170};
  struct Case {
    Point at;
    int32_t code;
  };
  const Case cases[] = {
      {{101, 150}, CBox::kHitLeftEdge},    {{100, 112}, CBox::kHitLeftEdge},
      {{300, 188}, CBox::kHitRightEdge},   {{296, 150}, CBox::kHitRightEdge},
      {{200, 100}, CBox::kHitTopEdge},     {{112, 104}, CBox::kHitTopEdge},
      {{200, 200}, CBox::kHitBottomEdge},  {{288, 196}, CBox::kHitBottomEdge},
      {{100, 111}, CBox::kHitTopLeft},     {{111, 100}, CBox::kHitTopLeft},
      {{104, 189}, CBox::kHitBottomLeft},  {{111, 200}, CBox::kHitBottomLeft},
      {{300, 111}, CBox::kHitTopRight},    {{289, 104}, CBox::kHitTopRight},
      {{296, 200}, CBox::kHitBottomRight}, {{289, 196}, CBox::kHitBottomRight},
      {{150, 120}, CBox::kHitPlot},        {{279, 169}, CBox::kHitPlot},
      {{280, 150}, CBox::kHitMove},        {{200, 170}, CBox::kHitMove},  // plot's far edges excluded
      {{105, 150}, CBox::kHitMove},        {{301, 150}, 0},
      {{200, 201}, 0},                     {{99, 99}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CBox::HitTest(b, p, c.at), c.code) << c.at.x << "," << c.at.y;
  // A box shorter and narrower than two corners: the edges shrink to the midpoints.
  const Rect small{0, 0, 20, 20};
  EXPECT_EQ(CBox::HitTest(small, Rect{}, {0, 10}), CBox::kHitLeftEdge);
  EXPECT_EQ(CBox::HitTest(small, Rect{}, {0, 9}), CBox::kHitTopLeft);
  EXPECT_EQ(CBox::HitTest(small, Rect{}, {2, 11}), CBox::kHitBottomLeft);
  EXPECT_EQ(CBox::HitTest(small, Rect{}, {10, 20}), CBox::kHitBottomEdge);
  EXPECT_EQ(CBox::HitTest(small, Rect{}, {9, 0}), CBox::kHitTopLeft);
}

TEST(BoxDrag, MovesStartBeyondThreePixelsAndAClickChangesNothing) {
  MouseSetup s;
  const Rect d = s.DeviceBox();
  const Point inMargin{d.left + 10, d.top + 20};  // inside the box, above the plot
  ASSERT_EQ(s.box.OnMouseMove(s.dc, inMargin.x, inMargin.y), CBox::kHitMove);
  EXPECT_EQ(s.Drag(inMargin, {{inMargin.x + 3, inMargin.y - 3}}) & 0xFFFF, 0);
  EXPECT_EQ(s.box.GetRect(), kBoxRect);
  Rect invalid;
  EXPECT_EQ(s.box.TakeInvalidRect(invalid), 0);

  // A click on the right edge, and a press there released where it began: no change.
  const Point edge{d.right - 1, (d.top + d.bottom) / 2};
  EXPECT_EQ(s.box.OnLButtonDown(s.dc, edge.x, edge.y), CBox::kHitRightEdge);
  s.box.OnLButtonUp(s.dc, edge.x, edge.y);
  s.Drag(edge, {{edge.x + 20, edge.y}, {edge.x, edge.y}});
  EXPECT_EQ(s.box.GetRect(), kBoxRect);
  EXPECT_EQ(s.box.PlacedByUser(), 0);

  // Four pixels move the box; its logical size stays and the plot keeps its margins.
  s.Drag(inMargin, {{inMargin.x + 4, inMargin.y}, {inMargin.x + 40, inMargin.y + 40}});
  const Rect moved = s.box.GetRect();
  EXPECT_EQ(s.Device({moved.left, moved.bottom}), (Point{d.left + 40, d.top + 40}));
  EXPECT_EQ(moved.Width(), kBoxRect.Width());
  EXPECT_EQ(moved.Height(), kBoxRect.Height());
  EXPECT_EQ(s.box.PlotRect().left - moved.left, kPlotRect.left - kBoxRect.left);
  EXPECT_EQ(moved.bottom - s.box.PlotRect().bottom, kBoxRect.bottom - kPlotRect.bottom);
  EXPECT_EQ(s.box.PlacedByUser(), 1);
  EXPECT_EQ(s.box.X().PixelStart(), double(s.box.PlotRect().left));  // the axes follow
  ASSERT_EQ(s.box.TakeInvalidRect(invalid), 1);
  EXPECT_EQ(invalid, (Rect{kBoxRect.left, moved.top - 10, moved.right + 10, kBoxRect.bottom}));
  EXPECT_TRUE(s.BandsErased());
}

TEST(BoxDrag, NeverPastThePageOriginNorBelowTheMarginsOfThePlot) {
  MouseSetup s;
  const Rect d = s.DeviceBox();
  const Point inMargin{d.left + 10, d.top + 20};
  s.Drag(inMargin, {{inMargin.x - 1000, inMargin.y - 1000}});
  EXPECT_EQ(s.box.GetRect(), (Rect{0, -400, 500, 0}));  // the top left corner of the page

  MouseSetup t;
  const Rect e = t.DeviceBox();
  const Rect ep = t.dc.LPtoDP(kPlotRect);
  // The right edge dragged far left: the box keeps its margins, the plot shrinks to nothing.
  EXPECT_EQ(t.box.DragRect(t.dc, CBox::kHitRightEdge, -1000, 0).Width(), e.Width() - ep.Width());
  const Point right{e.right - 1, (e.top + e.bottom) / 2};
  t.Drag(right, {{right.x - 1000, right.y}});
  EXPECT_GE(t.box.PlotRect().Width(), 0);
  EXPECT_LE(t.box.PlotRect().Width(), 3);  // one device pixel at most
  // The top edge dragged far down: likewise the height; the bottom edge past the origin.
  EXPECT_EQ(t.box.DragRect(t.dc, CBox::kHitTopEdge, 0, 1000).Height(), e.Height() - ep.Height());
  EXPECT_EQ(t.box.DragRect(t.dc, CBox::kHitTopLeft, -1000, -1000).top, 0);
  EXPECT_EQ(t.box.DragRect(t.dc, CBox::kHitTopLeft, -1000, -1000).left, 0);

  CInfoBox info;
  info.SetRect(kBoxRect, nullptr);
  EXPECT_EQ(info.DragRect(t.dc, CBox::kHitBottomRight, -1000, -1000).Width(), 10);
  EXPECT_EQ(info.DragRect(t.dc, CBox::kHitBottomRight, -1000, -1000).Height(), 10);
}

TEST(BoxBand, ZoomsInToTheBandAndOutByPlotOverBand) {
  MouseOperation zoom(CBox::kMouseZoomBand);
  MouseSetup s;
  const Point a = s.Device({400, -420});
  const Point b = s.Device({560, -560});  // right and visually down
  s.box.OnLButtonDown(s.dc, a.x, a.y);
  EXPECT_EQ(s.box.OnMouseMove(s.dc, a.x + 2, a.y + 2) & CBox::kHitCursorMask, 1);  // not yet
  EXPECT_EQ(s.box.OnMouseMove(s.dc, b.x, b.y) & CBox::kHitCursorMask, 7);
  EXPECT_EQ(s.box.OnMouseMove(s.dc, a.x - 10, a.y - 10) & CBox::kHitCursorMask, 10);
  s.box.OnMouseMove(s.dc, b.x, b.y);
  s.box.OnLButtonUp(s.dc, b.x, b.y);
  EXPECT_TRUE(s.BandsErased());
  const Point la = s.dc.DPtoLP(a), lb = s.dc.DPtoLP(b);
  MouseSetup fresh;
  EXPECT_DOUBLE_EQ(s.box.X().ValueStart(), fresh.box.X().PixelToValue(la.x));
  EXPECT_DOUBLE_EQ(s.box.X().ValueEnd(), fresh.box.X().PixelToValue(lb.x));
  EXPECT_DOUBLE_EQ(s.box.Y().ValueStart(), fresh.box.Y().PixelToValue(lb.y));
  EXPECT_DOUBLE_EQ(s.box.Y().ValueEnd(), fresh.box.Y().PixelToValue(la.y));
  Rect invalid;
  ASSERT_EQ(s.box.TakeInvalidRect(invalid), 1);
  EXPECT_EQ(invalid, kBoxRect);

  // Right to left and visually upward: both spans grow by plot size over band size.
  MouseSetup out;
  out.Drag(b, {a});
  const double bandWidth = lb.x - la.x, bandHeight = la.y - lb.y;
  EXPECT_NEAR((out.box.X().ValueEnd() - out.box.X().ValueStart()) / 1000.0,
              kPlotRect.Width() / bandWidth, 0.02);
  EXPECT_NEAR((out.box.Y().ValueEnd() - out.box.Y().ValueStart()) / 100.0,
              kPlotRect.Height() / bandHeight, 0.02);

  // A band of no height (only X passed the threshold) leaves Y alone.
  MouseSetup flat;
  flat.Drag(a, {{b.x, a.y}});
  EXPECT_EQ(flat.box.Y().ValueStart(), 0.0);
  EXPECT_EQ(flat.box.Y().ValueEnd(), 100.0);
  EXPECT_LT(flat.box.X().ValueEnd() - flat.box.X().ValueStart(), 1000.0);
}

TEST(BoxMark, SetByClickAndDragRemovedOutsideThePlot) {
  MouseOperation mark(CBox::kMouseMark);
  MouseSetup s;
  s.box.SetPeakSearch(0);
  const Point p = s.Device({400, -500});
  EXPECT_EQ(s.box.OnLButtonDown(s.dc, p.x, p.y), CBox::kHitInPlot | 11);
  EXPECT_DOUBLE_EQ(s.box.MarkValue(), s.box.X().PixelToValue(s.dc.DPtoLP(p).x));
  const int32_t up = s.box.OnLButtonUp(s.dc, p.x + 5, p.y);
  EXPECT_EQ(up, CBox::kMarkChanged | CBox::kHitPlot);
  EXPECT_DOUBLE_EQ(s.box.MarkValue(), s.box.X().PixelToValue(s.dc.DPtoLP(Point{p.x + 5, p.y}).x));
  const Point outside = s.Device({250, -500});  // in the box's left margin
  s.Drag(p, {{outside.x, outside.y}});
  EXPECT_EQ(s.box.MarkValue(), -1.0);
}

TEST(BoxSlice, MovingUpThroughA3dPlotMovesTheFocusOneSlicePerPitch) {
  MouseOperation slice(CBox::kMouseSlice);
  TestContext ctx;
  ctx.context.record.blockSize = 256;
  auto wave = MakeWave(256 * 20, 1, 8000, [](uint32_t f, int) { return int(f % 64) * 100; });
  CFFT3DBox box;
  box.SetSource(wave.get(), &ctx.context, kChannelBoth);
  box.SetRect(kBoxRect, &kPlotRect);
  box.SetDefaultRanges();
  for (uint32_t b = 0; b < 20; ++b) {
    ctx.context.record.currentPosition = b * 256;
    box.UpdateData(kRunStepping, b == 0, b == 0);
  }
  ASSERT_EQ(box.SlicesStored(), 16);  // 240 units high: 72 for the front, 168 / 10 slices
  RecordingDC dc;
  const Point start = dc.LPtoDP(Point{400, kPlotRect.top + 3});  // just inside the plot
  box.OnLButtonDown(dc, start.x, start.y);
  EXPECT_EQ(box.DataFocus(), 0);
  int previous = 0;
  for (int up = 4; up <= 60; up += 4) {  // about 10.6 logical units per step
    box.OnMouseMove(dc, start.x, start.y - up);
    const int expected = std::min(15, (dc.DPtoLP(Point{start.x, start.y - up}).y - kPlotRect.top) / 10);
    EXPECT_EQ(box.DataFocus(), expected) << up;
    EXPECT_GE(box.DataFocus(), previous);
    previous = box.DataFocus();
  }
  EXPECT_EQ(previous, 15);
  box.OnLButtonUp(dc, start.x, start.y - 60);
  EXPECT_EQ(box.DataFocus(), 15);
}
