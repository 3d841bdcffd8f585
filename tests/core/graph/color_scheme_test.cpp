// The colour dialog without a window: its targets, the editing of the thirteen sets, and
// the sample graph with its leader lines as drawn on a recording device context.
#include "core/graph/color_scheme.h"

#include <gtest/gtest.h>

#include "core/graph/color_sample.h"
#include "core/graph/recording_dc.h"

namespace {

// Thirteen sets that differ in every colour: kind k, colour i holds 0x10000 * k + i.
ColorSets DistinctSets() {
  ColorSets sets{};
  for (int k = 0; k < kColorSetCount; ++k) {
    for (int i = 0; i < kColorSetSize; ++i) sets[k][i] = 0x10000u * static_cast<uint32_t>(k) + static_cast<uint32_t>(i);
  }
  return sets;
}

constexpr uint32_t kChosen = 0x123456;

}  // namespace

TEST(ColorTargets, EachKindStartsInItsGroupAndGroupsAreTheirSinglesTogether) {
  const struct {
    int kind;
    int target;
  } starts[] = {{0, 1}, {2, 1}, {3, 5}, {5, 5}, {6, 9}, {8, 9}, {9, 13}, {11, 13}, {12, 13}, {-1, 13}, {40, 13}};
  for (const auto& s : starts) EXPECT_EQ(InitialColorTarget(s.kind), s.target) << "kind " << s.kind;

  // Target 0 covers every kind including the unused 9 to 11; the groups are their three
  // single entries, which follow them.
  EXPECT_EQ(kColorTargets[0].kindMask, 0x1FFFu);
  for (int group : {1, 5, 9}) {
    EXPECT_EQ(kColorTargets[group].kindMask,
              kColorTargets[group + 1].kindMask | kColorTargets[group + 2].kindMask | kColorTargets[group + 3].kindMask);
  }
  const int lowest[kColorTargetCount] = {0, 0, 0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 12};
  for (int t = 0; t < kColorTargetCount; ++t) EXPECT_EQ(LowestKindOf(t), lowest[t]) << t;
}

TEST(ColorSchemeEditor, AllBoxesMakesEverySetKindZerosWithTheChosenGraphLine) {
  const ColorSets original = DistinctSets();
  ColorSchemeEditor e;
  e.SetSchemes(original, 4);
  EXPECT_EQ(e.Target(), 5);
  e.SelectTarget(0);
  EXPECT_EQ(e.Working(), original[0]);
  ASSERT_TRUE(e.SetWorkingColor(kColorGraph, kChosen));
  ColorSet expected = original[0];
  expected[kColorGraph] = kChosen;
  for (int k = 0; k < kColorSetCount; ++k) EXPECT_EQ(e.Sets()[k], expected) << "kind " << k;
}

TEST(ColorSchemeEditor, ASingleKindChangesOnlyItsOwnSet) {
  const ColorSets original = DistinctSets();
  ColorSchemeEditor e;
  e.SetSchemes(original, 0);
  e.SelectTarget(3);  // "ウェーブボックス(R)"
  EXPECT_EQ(e.Working(), original[1]);
  for (const EditableColor& c : kEditableColors) ASSERT_TRUE(e.SetWorkingColor(c.color, kChosen + c.color));
  for (int k = 0; k < kColorSetCount; ++k) {
    if (k == 1) continue;
    EXPECT_EQ(e.Sets()[k], original[k]) << "kind " << k;
  }
  // The five editable colours changed; frame line and mark travelled along.
  for (int i = 0; i < kColorSetSize; ++i) {
    const bool editable = i != kColorFrame && i != kColorMark;
    EXPECT_EQ(e.Sets()[1][i], editable ? kChosen + static_cast<uint32_t>(i) : original[1][i]) << i;
  }
}

TEST(ColorSchemeEditor, FrameLineAndMarkCannotBeChanged) {
  const ColorSets original = DistinctSets();
  ColorSchemeEditor e;
  e.SetSchemes(original, 6);
  e.SelectTarget(e.Target());
  EXPECT_FALSE(e.SetWorkingColor(kColorFrame, kChosen));
  EXPECT_FALSE(e.SetWorkingColor(kColorMark, kChosen));
  EXPECT_EQ(e.Working(), original[6]);
  EXPECT_EQ(e.Sets(), original);
}

TEST(ColorSchemeEditor, AGroupTakesItsLowestKindAndSelectingAloneChangesNothing) {
  const ColorSets original = DistinctSets();
  ColorSchemeEditor e;
  e.SetSchemes(original, 12);
  e.SelectTarget(9);  // "FFT-3Dボックス(L/R/M)"
  EXPECT_EQ(e.Working(), original[6]);
  EXPECT_EQ(e.Sets(), original);
  e.ApplyWorking();
  for (int k : {6, 7, 8}) EXPECT_EQ(e.Sets()[k], original[6]);
  EXPECT_EQ(e.Sets()[5], original[5]);
  EXPECT_EQ(e.Sets()[9], original[9]);
  e.SelectTarget(99);
  EXPECT_EQ(e.Target(), kColorTargetCount - 1);
  EXPECT_EQ(e.Working(), e.Sets()[12]);
}

// --- the sample ---

TEST(ColorSample, MappingPutsTheOriginAtTheLowerLeft) {
  const DeviceMapping m = ColorSampleMapping(400, 200);
  EXPECT_EQ(m.LogicalToDevice({0, 0}), (Point{0, 200}));
  EXPECT_EQ(m.LogicalToDevice({1000, 1000}), (Point{400, 0}));
  EXPECT_EQ(m.LogicalToDevice({500, 250}), (Point{200, 150}));
}

TEST(ColorSample, CurvePointsAreTheTruncatedClosedForm) {
  const std::vector<SampleCurvePoint> curve = ColorSampleCurve();
  ASSERT_EQ(curve.size(), 94u);  // t = 0, 8, ..., 744
  EXPECT_EQ(curve.back().t, 744);
  // Values computed independently (double precision, truncated toward zero).
  const struct {
    int32_t t, y;
  } expected[] = {{0, 710}, {32, 430}, {72, 656}, {136, 185}, {408, 431}, {424, 698}, {616, 800}, {744, 192}};
  for (const auto& e : expected) {
    const SampleCurvePoint& p = curve[static_cast<size_t>(e.t / kSampleCurveStep)];
    EXPECT_EQ(p.at, (Point{150 + e.t, e.y})) << "t " << e.t;
  }
}

TEST(ColorSample, DrawsBackgroundsGridAndACurveWithItsSelection) {
  ColorSet colors = {0xA00000, 0xB00000, 0xC00000, 0xD00000, 0xE00000, 0xF00000, 0x0A0000};
  RecordingDC dc(RecordingDC::Surface::kScreen, ColorSampleMapping(300, 300));
  DrawColorSample(dc, colors);

  const std::vector<DcCall> fills = dc.CallsOf(DcCall::kFill);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 1000, 1000}));
  EXPECT_EQ(fills[0].color, colors[kColorFrameBack]);
  EXPECT_EQ(fills[1].rect, (Rect{150, 100, 900, 880}));
  EXPECT_EQ(fills[1].color, colors[kColorGraphBack]);

  const std::vector<DcCall> lines = dc.CallsOf(DcCall::kLine);
  ASSERT_EQ(lines.size(), 7u + 94u);
  // Frame, two vertical and one horizontal grid line, all with a 1-unit scale pen.
  const std::pair<Point, Point> grid[7] = {{{150, 100}, {900, 100}}, {{900, 100}, {900, 880}},
                                           {{900, 880}, {150, 880}}, {{150, 880}, {150, 100}},
                                           {{400, 100}, {400, 880}}, {{650, 100}, {650, 880}},
                                           {{150, 490}, {900, 490}}};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(lines[i].from, grid[i].first) << i;
    EXPECT_EQ(lines[i].to, grid[i].second) << i;
    EXPECT_EQ(lines[i].pen, (Pen{PenStyle::kSolid, 1, colors[kColorScale]})) << i;
  }
  // The curve starts on the axis; a segment takes the selection colour when it starts at
  // 400 < t < 650.
  EXPECT_EQ(lines[7].from, (Point{150, 490}));
  EXPECT_EQ(lines[7].to, (Point{150, 710}));
  int selection = 0;
  for (size_t i = 7; i < lines.size(); ++i) {
    const int32_t startT = lines[i].from.x - 150;
    const bool inSelection = startT > 400 && startT < 650;
    EXPECT_EQ(lines[i].pen.color, inSelection ? colors[kColorArea] : colors[kColorGraph]) << "t " << startT;
    if (i > 7) {
      EXPECT_EQ(lines[i].from, lines[i - 1].to) << "connected";
    }
    selection += inSelection ? 1 : 0;
  }
  EXPECT_EQ(selection, 31);  // segments starting at t = 408 ... 648
  EXPECT_EQ(dc.CurrentPen(), Pen{});  // restored
}

TEST(ColorSample, AnchorsSitOnThePartsTheyExplain) {
  const std::array<Point, kEditableColorCount> anchors = ColorSampleAnchors();
  const std::pair<ColorIndex, Point> expected[] = {{kColorGraph, {222, 656}}, {kColorArea, {574, 698}},
                                                  {kColorScale, {650, 800}}, {kColorFrameBack, {100, 80}},
                                                  {kColorGraphBack, {600, 160}}};
  for (const auto& [color, at] : expected) {
    for (int i = 0; i < kEditableColorCount; ++i) {
      if (kEditableColors[i].color == color) {
        EXPECT_EQ(anchors[i], at) << kEditableColors[i].label;
      }
    }
  }
  // The curve anchors lie on the curve: before the selection and inside it.
  EXPECT_LT(anchors[0].x - 150, kSampleSelectionFrom);
  EXPECT_GT(anchors[1].x - 150, kSampleSelectionFrom);
  EXPECT_LT(anchors[1].x - 150, kSampleSelectionTo);
}

TEST(LeaderLine, EndsOnePixelOutsideTheMiddleOfTheButtonEdge) {
  const Rect button{100, 20, 128, 40};  // 28 x 20 pixels
  const LeaderLine lower = LeaderLineTo({60, 150}, button, ButtonEdge::kLower);
  EXPECT_EQ(lower.from, (Point{60, 150}));
  EXPECT_EQ(lower.to, (Point{114, 41}));
  EXPECT_EQ(lower.square, (Rect{59, 149, 61, 151}));
  const LeaderLine upper = LeaderLineTo({60, 150}, {100, 200, 128, 220}, ButtonEdge::kUpper);
  EXPECT_EQ(upper.to, (Point{114, 199}));

  RecordingDC dc(RecordingDC::Surface::kScreen, DeviceMapping{});
  DrawLeaderLine(dc, lower);
  const std::vector<DcCall> polygons = dc.CallsOf(DcCall::kPolygon);
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_EQ(polygons[0].points, (std::vector<Point>{{59, 149}, {61, 149}, {61, 151}, {59, 151}}));
  const std::vector<DcCall> lines = dc.CallsOf(DcCall::kLine);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].from, (Point{60, 150}));
  EXPECT_EQ(lines[0].to, (Point{114, 41}));
}
