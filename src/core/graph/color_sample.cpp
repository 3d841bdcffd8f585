#include "core/graph/color_sample.h"

#include <cmath>
#include <optional>

namespace {

// The curve's angle step in degrees per unit of t, and degrees to radians as the sample
// has always computed them (the last digits matter for the truncated y values).
constexpr double kDegreesPerT = 1.8666666666666667;
constexpr double kRadiansPerDegree = 0.017453292222222222;

// A leader line anchor rises above this after the curve has been below the axis.
constexpr int32_t kAnchorAbove = 650;

// Fixed anchors of the parts that are not the curve, in sample units.
constexpr Point kScaleAnchor = {650, 800};
constexpr Point kFrameBackAnchor = {100, 80};
constexpr Point kGraphBackAnchor = {600, 160};

// The first point from `first` on (and, with `last`, not beyond it) that lies above
// kAnchorAbove after an earlier point of the scan lay below the axis.
std::optional<Point> RisingAnchor(const std::vector<SampleCurvePoint>& curve, int32_t first,
                                  std::optional<int32_t> last) {
  bool below = false;
  for (const SampleCurvePoint& p : curve) {
    if (p.t < first) continue;
    if (last && p.t > *last) break;
    if (p.at.y < kSampleBaseline) {
      below = true;
    } else if (below && p.at.y > kAnchorAbove) {
      return p.at;
    }
  }
  return std::nullopt;
}

Point Midpoint(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

}  // namespace

DeviceMapping ColorSampleMapping(int32_t widthPx, int32_t heightPx) {
  DeviceMapping m;
  m.windowExtX = kSampleExtent;
  m.windowExtY = kSampleExtent;
  m.viewportExtX = widthPx > 0 ? widthPx : 1;
  m.viewportExtY = -(heightPx > 0 ? heightPx : 1);
  m.viewportOrgY = heightPx > 0 ? heightPx : 1;
  return m;
}

std::vector<SampleCurvePoint> ColorSampleCurve() {
  std::vector<SampleCurvePoint> curve;
  for (int32_t t = 0; t < kSampleCurveEnd; t += kSampleCurveStep) {
    const double a = t * kDegreesPerT * kRadiansPerDegree;
    const double y = 220.0 * std::cos(2.2 * a) + 100.0 * std::sin(a) + kSampleBaseline;
    curve.push_back({t, {kSamplePlot.left + t, static_cast<int32_t>(std::trunc(y))}});
  }
  return curve;
}

void DrawColorSample(DeviceContext& dc, const ColorSet& colors) {
  dc.FillSolidRect({0, 0, kSampleExtent, kSampleExtent}, colors[kColorFrameBack]);
  dc.FillSolidRect(kSamplePlot, colors[kColorGraphBack]);

  const Pen previous = dc.SelectPen({PenStyle::kSolid, 1, colors[kColorScale]});
  const Rect& p = kSamplePlot;
  dc.MoveTo(p.left, p.top);
  dc.LineTo(p.right, p.top);
  dc.LineTo(p.right, p.bottom);
  dc.LineTo(p.left, p.bottom);
  dc.LineTo(p.left, p.top);
  for (int32_t x : {kSampleGridX1, kSampleGridX2}) {
    dc.MoveTo(x, p.top);
    dc.LineTo(x, p.bottom);
  }
  dc.MoveTo(p.left, kSampleBaseline);
  dc.LineTo(p.right, kSampleBaseline);

  // Each segment takes its colour from the t where it starts; the first starts on the axis.
  const Pen graphPen{PenStyle::kSolid, 1, colors[kColorGraph]};
  const Pen areaPen{PenStyle::kSolid, 1, colors[kColorArea]};
  dc.MoveTo(p.left, kSampleBaseline);
  int32_t segmentStart = 0;
  for (const SampleCurvePoint& point : ColorSampleCurve()) {
    dc.SelectPen(InSampleSelection(segmentStart) ? areaPen : graphPen);
    dc.LineTo(point.at.x, point.at.y);
    segmentStart = point.t;
  }
  dc.SelectPen(previous);
}

std::array<Point, kEditableColorCount> ColorSampleAnchors() {
  const std::vector<SampleCurvePoint> curve = ColorSampleCurve();
  // Should the curve ever change so that the rule finds nothing, the middle of the part
  // still gives the line somewhere sensible to start.
  const Point graphLine = RisingAnchor(curve, 0, kSampleSelectionFrom)
                              .value_or(Point{kSamplePlot.left + kSampleSelectionFrom / 2, kSampleBaseline});
  const Point selection =
      RisingAnchor(curve, kSampleSelectionFrom + 1, std::nullopt)
          .value_or(Point{kSamplePlot.left + (kSampleSelectionFrom + kSampleSelectionTo) / 2, kSampleBaseline});
  std::array<Point, kEditableColorCount> anchors{};
  for (int i = 0; i < kEditableColorCount; ++i) {
    switch (kEditableColors[i].color) {
      case kColorGraph: anchors[i] = graphLine; break;
      case kColorArea: anchors[i] = selection; break;
      case kColorScale: anchors[i] = kScaleAnchor; break;
      case kColorFrameBack: anchors[i] = kFrameBackAnchor; break;
      default: anchors[i] = kGraphBackAnchor; break;
    }
  }
  return anchors;
}

LeaderLine LeaderLineTo(Point anchor, const Rect& button, ButtonEdge edge) {
  LeaderLine line;
  line.square = {anchor.x - 1, anchor.y - 1, anchor.x + 1, anchor.y + 1};
  line.from = anchor;
  const Point lowerEdge = Midpoint({button.left, button.bottom}, {button.right, button.bottom});
  const Point upperEdge = Midpoint({button.left, button.top}, {button.right, button.top});
  line.to = edge == ButtonEdge::kLower ? Point{lowerEdge.x, lowerEdge.y + 1} : Point{upperEdge.x, upperEdge.y - 1};
  return line;
}

void DrawLeaderLine(DeviceContext& dc, const LeaderLine& line) {
  const Rect& s = line.square;
  const Point corners[4] = {{s.left, s.top}, {s.right, s.top}, {s.right, s.bottom}, {s.left, s.bottom}};
  dc.Polygon(corners, 4);
  dc.MoveTo(line.from.x, line.from.y);
  dc.LineTo(line.to.x, line.to.y);
}
