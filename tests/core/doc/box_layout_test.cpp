#include "core/doc/box_layout.h"

#include <gtest/gtest.h>

#include "core/graph/box.h"

namespace {

const StringSize kCell{110, 35};

Rect Place(int type, const std::vector<PlacedBox>& existing, const PageLayout& layout = {},
           bool plain = false) {
  return PlanBoxRects(type, plain, existing, nullptr, layout, kCell).box;
}

}  // namespace

TEST(BoxLayout, RecordsAndMarginsHaveTheirFixedSizes) {
  static_assert(sizeof(PageLayout) == 24);
  EXPECT_EQ(TextMarginsFor(kCell), (TextMargins{120, 90, 55, 70}));
  EXPECT_EQ(TextMarginsFor({0, 40}), (TextMargins{120, 90, 55, 70}));  // 0 means the defaults
  EXPECT_EQ(TextMarginsFor({150, 40}), (TextMargins{160, 100, 75, 80}));
  EXPECT_EQ(ShrinkByTextMargins({0, -647, 1200, -247}, TextMarginsFor(kCell)),
            (Rect{120, -557, 1145, -317}));
  EXPECT_EQ(BoxGroup(kBoxWaveRight), 0);
  EXPECT_EQ(BoxGroup(kBoxFftMono), 1);
  EXPECT_EQ(BoxGroup(kBoxFft3dLeft), 2);
  EXPECT_EQ(BoxGroup(10), 3);
  EXPECT_EQ(BoxGroup(kBoxInfo), 10);
}

TEST(BoxLayout, FirstBoxSpansThePageAThirdAsHighAsWide) {
  EXPECT_EQ(Place(kBoxWaveMono, {}), (Rect{0, -400, 1200, 0}));
  PageLayout margins;
  margins.leftMargin = 100;
  margins.rightMargin = 50;
  margins.topMargin = 20;
  EXPECT_EQ(Place(kBoxWaveMono, {}, margins), (Rect{100, -20 - 350, 1150, -20}));
}

TEST(BoxLayout, NewDocumentOrderInfoThenWaveBoxes) {
  EXPECT_EQ(DefaultBoxTypes(1), (std::vector<int>{kBoxInfo, kBoxWaveMono}));
  EXPECT_EQ(DefaultBoxTypes(2), (std::vector<int>{kBoxInfo, kBoxWaveLeft, kBoxWaveRight}));

  const PlannedBox info = PlanBoxRects(kBoxInfo, false, {}, nullptr, PageLayout{}, kCell);
  EXPECT_EQ(info.box, (Rect{0, -217, 1200, 0}));  // 6.2 label heights
  std::vector<PlacedBox> page{{kBoxInfo, info.box}};
  const PlannedBox mono = PlanBoxRects(kBoxWaveMono, false, page, nullptr, PageLayout{}, kCell);
  EXPECT_EQ(mono.box, (Rect{0, -647, 1200, -247}));
  EXPECT_EQ(mono.plot, (Rect{120, -557, 1145, -317}));
  EXPECT_FALSE(mono.placedByUser);

  // Stereo: the right box takes the size of the left one, below it.
  std::vector<PlacedBox> stereo{{kBoxWaveLeft, mono.box}, {kBoxInfo, info.box}};
  EXPECT_EQ(Place(kBoxWaveRight, stereo), (Rect{0, -1077, 1200, -677}));
  // A plain box keeps its plot equal to the box.
  const PlannedBox plain = PlanBoxRects(kBoxWaveRight, true, stereo, nullptr, PageLayout{}, kCell);
  EXPECT_EQ(plain.plot, plain.box);
}

TEST(BoxLayout, SameGroupFixesTheSizeOtherGroupsWidenIt) {
  // A narrow wave box and a wide information box: a new spectrum box (another group) takes
  // the smallest left and the largest width; a new wave box the wave box's own size.
  std::vector<PlacedBox> page{{kBoxWaveLeft, {300, -900, 800, -500}},
                              {kBoxInfo, {100, -217, 1300, 0}}};
  EXPECT_EQ(Place(kBoxFftLeft, page), (Rect{100, -930 - 400, 1300, -930}));
  EXPECT_EQ(Place(kBoxWaveRight, page), (Rect{300, -930 - 400, 800, -930}));
  // Minimum sizes: 375 x 340 with the default cell, 100 x 100 for plain boxes.
  std::vector<PlacedBox> tiny{{kBoxWaveLeft, {0, -100, 50, -50}}};
  EXPECT_EQ(Place(kBoxWaveRight, tiny), (Rect{0, -130 - 340, 375, -130}));
  EXPECT_EQ(Place(kBoxWaveRight, tiny, {}, true), (Rect{0, -130 - 100, 100, -130}));
  // A third of a narrow width is raised to the minimum height, on an empty page as well;
  // an empty page narrower than the minimum width gets a box wider than the page.
  std::vector<PlacedBox> narrow{{kBoxInfo, {0, -217, 500, 0}}};
  EXPECT_EQ(Place(kBoxWaveLeft, narrow), (Rect{0, -247 - 340, 500, -247}));
  PageLayout small;
  small.width = 300;
  EXPECT_EQ(Place(kBoxWaveLeft, {}, small), (Rect{0, -340, 375, 0}));
  // The first 3D box is half as high again.
  std::vector<PlacedBox> one{{kBoxWaveMono, {0, -400, 1200, 0}}};
  EXPECT_EQ(Place(kBoxFft3dMono, one), (Rect{0, -430 - 600, 1200, -430}));
}

TEST(BoxLayout, RememberedRectangleIsDroppedWhenItCoversAFifth) {
  std::vector<PlacedBox> page{{kBoxWaveLeft, {0, -1000, 1000, 0}}};
  // 1000 x 1000 box; a saved 1000 x 500 rectangle overlapping it by 200 x 500 covers 20 %
  // of the saved rectangle: dropped. 190 x 500 is 19 % of it (and 9.5 % of the box): kept.
  const Rect covers{800, -500, 1800, 0};
  const Rect grazes{810, -500, 1810, 0};
  EXPECT_TRUE(OverlapsTooMuch(covers, page));
  EXPECT_FALSE(OverlapsTooMuch(grazes, page));
  PlannedBox p = PlanBoxRects(kBoxWaveRight, false, page, &covers, PageLayout{}, kCell);
  EXPECT_FALSE(p.placedByUser);
  EXPECT_EQ(p.box, (Rect{0, -1030 - 1000, 1000, -1030}));
  p = PlanBoxRects(kBoxWaveRight, false, page, &grazes, PageLayout{}, kCell);
  EXPECT_TRUE(p.placedByUser);
  EXPECT_EQ(p.box, grazes);
  // A fifth of the other box's area counts too: a big saved rectangle around a small box.
  std::vector<PlacedBox> small{{kBoxWaveLeft, {0, -100, 100, 0}}};
  EXPECT_TRUE(OverlapsTooMuch({50, -2000, 2000, 0}, small));
  // Rectangles given with their edges swapped are normalised first.
  EXPECT_TRUE(OverlapsTooMuch({1800, 0, 800, -500}, page));
}

TEST(BoxLayout, PageEnclosesTheBoxesAndNeverFallsBelowTheNewDocumentPage) {
  PageLayout layout;
  layout.rightMargin = 20;
  layout.bottomMargin = 30;
  const PageLayout base;  // 1200 x 1800
  std::vector<PlacedBox> boxes{{kBoxInfo, {0, -217, 1200, 0}}, {kBoxWaveLeft, {0, -1977, 1300, -677}}};
  ASSERT_TRUE(FitPageToBoxes(boxes, layout, base));
  EXPECT_EQ(layout.width, 1320);
  EXPECT_EQ(layout.height, 2007);
  boxes.pop_back();  // the box went: the page is the new-document page again, or what the
                     // remaining box needs
  ASSERT_TRUE(FitPageToBoxes(boxes, layout, base));
  EXPECT_EQ(layout.width, 1220);
  EXPECT_EQ(layout.height, 1800);
  PageLayout untouched;
  untouched.width = 1500;
  EXPECT_FALSE(FitPageToBoxes({}, untouched, base));
  std::vector<PlacedBox> small{{kBoxInfo, {0, -50, 90, 0}}};
  EXPECT_FALSE(FitPageToBoxes(small, untouched, base));
  untouched.width = 1200;
  EXPECT_EQ(untouched.width, 1200);
  EXPECT_EQ(untouched.height, 1800);
}
