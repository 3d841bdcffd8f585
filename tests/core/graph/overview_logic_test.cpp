#include "core/graph/overview_logic.h"

#include <gtest/gtest.h>

#include "core/graph/box.h"

TEST(PanelScroll, PositionsEndOnePageBeforeTheMaximum) {
  ScrollSteps s = ScrollStepsFor(ScrollInfo{0, 99999, 25000, 100});
  EXPECT_EQ(s.maximumPosition, 74999);
  EXPECT_EQ(s.page, 25000);
  EXPECT_EQ(s.line, 2500);
  s = ScrollStepsFor(ScrollInfo{0, 5, 9, 0});
  EXPECT_EQ(s.maximumPosition, 0);
  EXPECT_EQ(s.line, 1);
}
