#include "core/io/cp932.h"

#include <gtest/gtest.h>

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
