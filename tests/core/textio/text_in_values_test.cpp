// The text input dialog's frame count and duration edits.
#include "core/textio/text_in_values.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

TEST(TextInValues, DurationIsShownWithTwoDecimalsInSixCharacters) {
  EXPECT_EQ(DurationText(44100, 44100), "  1.00");
  EXPECT_EQ(DurationText(66150, 44100), "  1.50");
  EXPECT_EQ(DurationText(1, 44100), "  0.00");
  EXPECT_EQ(DurationText(26460000, 44100), "600.00");
  EXPECT_EQ(DurationText(441000000, 44100), "10000.00");  // wider than six: not cut
  EXPECT_EQ(DurationText(-22050, 44100), " -0.50");
  EXPECT_EQ(DurationText(5, 0), "  5.00");  // no division by zero
  EXPECT_EQ(FrameCountText(-7), "-7");
}

TEST(TextInValues, EditsAreReadAsScanfReadsThemAndZeroWhenNotANumber) {
  struct Case {
    std::string text;
    int32_t frames;
    double seconds;
  };
  const Case cases[] = {
      {"44100", 44100, 44100.0},
      {"  +12abc", 12, 12.0},
      {"1.75", 1, 1.75},
      {"-3", -3, -3.0},
      {"", 0, 0.0},
      {"abc", 0, 0.0},
      {"- 5", 0, 0.0},
      {"99999999999", std::numeric_limits<int32_t>::max(), 99999999999.0},
      {"-99999999999", std::numeric_limits<int32_t>::min(), -99999999999.0},
      {std::string(99, ' ') + "5", 0, 0.0},  // beyond the 99 characters looked at
      {std::string(98, ' ') + "57", 5, 5.0},
      {"1e3", 1, 1000.0},
      {"inf", 0, 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseFrameCountText(c.text), c.frames) << "\"" << c.text << "\"";
    EXPECT_EQ(ParseDurationText(c.text), c.seconds) << "\"" << c.text << "\"";
  }
}

TEST(TextInValues, DurationGivesTheNearestFrameCount) {
  EXPECT_EQ(FramesForDuration(1.0, 44100), 44100);
  EXPECT_EQ(FramesForDuration(0.00001, 44100), 0);      // 0.441 rounds down
  EXPECT_EQ(FramesForDuration(0.5 / 44100, 44100), 1);  // a half rounds up
  EXPECT_EQ(FramesForDuration(-1.0, 8000), -8000);
  EXPECT_EQ(FramesForDuration(1e12, 50000), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(FramesForDuration(-1e12, 50000), std::numeric_limits<int32_t>::min());
  // The duration shown, typed back, gives the frame count that matches it.
  EXPECT_EQ(FramesForDuration(ParseDurationText(DurationText(44123, 44100)), 44100), 44100);
}
