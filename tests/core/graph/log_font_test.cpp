#include "core/graph/log_font.h"

#include <gtest/gtest.h>

#include "core/graph/geometry.h"

TEST(LogFont, MulDivRoundsHalvesAwayFromZeroBothWays) {
  // The default character height at 96 dpi and back.
  EXPECT_EQ(MulDiv(-kDefaultCharacterHeight, 96, kLogicalUnitsPerInch), -13);
  EXPECT_EQ(MulDiv(-13, kLogicalUnitsPerInch, 96), -kDefaultCharacterHeight);
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, 1, -2), -3);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);  // no divisor: the platform's failure value
  EXPECT_EQ(DefaultLogFont().height, -kDefaultCharacterHeight);
}

TEST(LogFontRecord, DefaultFaceNameIsStoredInCp932) {
  LogFont f = DefaultLogFont();
  EXPECT_EQ(f.height, -34);
  EXPECT_EQ(f.weight, 400);
  EXPECT_EQ(f.charSet, 128);
  EXPECT_EQ(std::string(f.faceName), "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
  EXPECT_EQ(f.FaceNameUtf8(), "ＭＳ Ｐゴシック");
  std::string longName;
  for (int i = 0; i < 20; ++i) longName += "ゴ";  // 40 bytes of CP932
  f.SetFaceNameUtf8(longName);
  EXPECT_EQ(std::string(f.faceName).size(), 30u);  // 15 whole characters
}
