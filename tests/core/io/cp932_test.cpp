#include "core/io/cp932.h"

#include <gtest/gtest.h>

#include "core/graph/log_font.h"

TEST(Cp932, JapaneseRoundTripIncludingTheWaveDash) {
  const std::string text = "ＦＦＴデータ 周波数範囲(Hz)0.000000～22006.933594 ｿﾝﾋﾞｭｰ";
  bool exact = false;
  std::string bytes = Utf8ToCp932(text, &exact);
  EXPECT_TRUE(exact);
  EXPECT_NE(bytes.find("\x81\x60"), std::string::npos);  // "～"
  EXPECT_NE(bytes.find("\xBF\xDD"), std::string::npos);  // half-width "ｿﾝ"
  EXPECT_EQ(Cp932ToUtf8(bytes, &exact), text);
  EXPECT_TRUE(exact);
}

TEST(Cp932, UnconvertibleCharactersAreReplacedAndReported) {
  bool exact = true;
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x8E\xB5" "b", &exact), "a?b");  // an emoji
  EXPECT_FALSE(exact);
  EXPECT_EQ(Cp932ToUtf8("x\x81", &exact), "x\xEF\xBF\xBD");
  EXPECT_FALSE(exact);
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
