#pragma once
// The small sample graph of the colour dialog and the leader lines that tie its parts to
// the colour buttons.
//
// The sample has its own coordinates, sample units: 1000 x 1000 over the control's client
// area, origin at the lower left, y upward. It shows a box fill, a plot fill with a frame
// and three grid lines, and a curve whose middle part is drawn as a selection. The leader
// lines are drawn in the dialog's own pixels (y downward): each starts at an anchor on the
// part it explains and ends just outside the middle of the button's lower or upper edge.
#include <array>
#include <cstdint>
#include <vector>

#include "core/graph/color_scheme.h"
#include "core/graph/device_context.h"

inline constexpr int32_t kSampleExtent = 1000;  // sample units across and up the control

// The plot inside the sample and its grid, in sample units.
inline constexpr Rect kSamplePlot = {150, 100, 900, 880};
inline constexpr int32_t kSampleGridX1 = 400;
inline constexpr int32_t kSampleGridX2 = 650;
inline constexpr int32_t kSampleBaseline = 490;  // the horizontal grid line and the curve's axis

// The curve: t runs 0, 8, 16, ... below 750; its part with 400 < t < 650 is the selection.
inline constexpr int32_t kSampleCurveStep = 8;
inline constexpr int32_t kSampleCurveEnd = 750;
inline constexpr int32_t kSampleSelectionFrom = 400;
inline constexpr int32_t kSampleSelectionTo = 650;

// The mapping of the sample onto a control of the given client size in pixels.
DeviceMapping ColorSampleMapping(int32_t widthPx, int32_t heightPx);

struct SampleCurvePoint {
  int32_t t = 0;
  Point at;  // (150 + t, 220 cos(2.2 a) + 100 sin(a) + 490 truncated), a = t x 1.8666... degrees
};
// The curve's points after its start at (150, 490), in order.
std::vector<SampleCurvePoint> ColorSampleCurve();

// Whether the segment that starts at t is drawn in the selection colour.
inline bool InSampleSelection(int32_t t) { return t > kSampleSelectionFrom && t < kSampleSelectionTo; }

// Draws the sample in the colours of a working set with the sample mapping already set:
// box fill, plot fill, plot frame and grid in the scale colour, then the curve in the graph
// line colour with its selection part in the selection colour.
void DrawColorSample(DeviceContext& dc, const ColorSet& colors);

// The point each editable colour's leader line starts from, in sample units, in the order
// of kEditableColors. The graph line's anchor is the first curve point before the selection
// that lies above y = 650 after the curve has been below the axis; the selection's is found
// by the same rule from where the selection begins.
std::array<Point, kEditableColorCount> ColorSampleAnchors();

// One leader line in dialog pixels (y downward).
struct LeaderLine {
  Rect square;  // a small square around the anchor: anchor - 1 to anchor + 1
  Point from;   // the anchor
  Point to;     // one pixel outside the middle of the button's lower or upper edge
};
// The leader line from an anchor to a button whose rectangle holds left <= x < right and
// top <= y < bottom.
LeaderLine LeaderLineTo(Point anchor, const Rect& button, ButtonEdge edge);
// Draws it with the current pen and brush of a context whose mapping is the identity.
void DrawLeaderLine(DeviceContext& dc, const LeaderLine& line);
