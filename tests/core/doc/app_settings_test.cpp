#include "core/doc/app_settings.h"

#include <gtest/gtest.h>

#include "core/doc/settings_store.h"

TEST(AppSettings, FirstStartDefaults) {
  MemorySettingsStore empty;
  AppSettings s;
  LoadSettings(empty, s, 1024, 768);
  EXPECT_EQ(s.pageWidth, 1200);
  EXPECT_EQ(s.pageHeight, 1800);
  EXPECT_EQ(s.font.logFont.height, -34);
  EXPECT_EQ(s.font.logFont.FaceNameUtf8(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(s.mouseOp, 1);
  // Centred, half the screen: 1024 x 768 gives 256..768 x 192..576.
  EXPECT_EQ(s.frameLeft, 256);
  EXPECT_EQ(s.frameRight, 768);
  EXPECT_EQ(s.frameTop, 192);
  EXPECT_EQ(s.frameBottom, 576);
  for (const ColorSet& set : s.colorSets) {
    EXPECT_EQ(set, (ColorSet{0xC0C0C0, 0xFFFFFF, 0, 0, 0x008000, 0xFFFFFF, 0x808080}));
  }
  EXPECT_EQ(s.textOutDelimiter, " , ");
}

TEST(AppSettings, MainFrameSizeLimits) {
  int32_t l, t, r, b;
  EXPECT_TRUE(ParseMainFrameSize("100,100,120,400", 1024, 768, l, t, r, b));
  EXPECT_EQ((std::array{l, t, r, b}), (std::array{10, 100, 210, 400}));
  EXPECT_TRUE(ParseMainFrameSize("-5, 20, 99999, 600", 1024, 768, l, t, r, b));
  EXPECT_EQ((std::array{l, t, r, b}), (std::array{0, 20, 1024, 600}));
  EXPECT_TRUE(ParseMainFrameSize("0, 700, 500, 720", 1024, 768, l, t, r, b));
  EXPECT_EQ((std::array{t, b}), (std::array{10, 170}));  // too low
  EXPECT_FALSE(ParseMainFrameSize("1, 2, three, 4", 1024, 768, l, t, r, b));
  EXPECT_EQ((std::array{l, t, r, b}), (std::array{256, 192, 768, 576}));
  EXPECT_FALSE(ParseMainFrameSize("none", 1024, 768, l, t, r, b));
}

TEST(AppSettings, MaxFrameIsReadOnlyWithAValidRectangle) {
  MemorySettingsStore store;
  store.values["MaxFrame"] = "1";
  AppSettings s;
  LoadSettings(store, s, 1024, 768);
  EXPECT_EQ(s.maxFrame, 0);
  store.values["MainFrameSize"] = "10, 10, 500, 400";
  LoadSettings(store, s, 1024, 768);
  EXPECT_EQ(s.maxFrame, 1);
}

TEST(AppSettings, ValueNamesAndRoundTrip) {
  EXPECT_EQ(ColorValueName(1, 3), "grColor_fBack03");
  EXPECT_EQ(ColorValueName(6, 12), "grColor_area12");
  EXPECT_EQ(UserColorValueName(15), "usrColor15");

  AppSettings a;
  a.pageWidth = 2100;
  a.font.logFont.SetFaceNameUtf8("IPAexゴシック");
  a.font.textColor = 0xFF0000;
  a.colorSets[3][4] = 0x123456;
  a.userColors[15] = 0xFFFFFFFF;
  a.textOutDelimiter = "\t";
  a.frameLeft = 5, a.frameTop = 6, a.frameRight = 700, a.frameBottom = 500;
  a.maxFrame = 1;
  a.slantXPercent = 45;
  MemorySettingsStore store;
  SaveSettings(store, a);
  EXPECT_EQ(store.values.at("version"), "211");
  EXPECT_EQ(store.values.at("MainFrameSize"), "5, 6, 700, 500");
  EXPECT_EQ(store.values.at("grColor_section03"), std::to_string(0x123456));
  // version, 6 page, 9 font, 2 label cell, mouse, 4 waterfall; colours; frame and text export.
  EXPECT_EQ(store.values.size(), 23u + 13 * 7 + 16 + 6);

  AppSettings b;
  LoadSettings(store, b, 1920, 1080);
  EXPECT_EQ(b.pageWidth, 2100);
  EXPECT_EQ(b.font.logFont.FaceNameUtf8(), "IPAexゴシック");
  EXPECT_EQ(b.font.textColor, 0xFF0000u);
  EXPECT_EQ(b.colorSets[3][4], 0x123456u);
  EXPECT_EQ(b.userColors[15], 0xFFFFFFFFu);
  EXPECT_EQ(b.textOutDelimiter, "\t");
  EXPECT_EQ(b.frameRight, 700);
  EXPECT_EQ(b.maxFrame, 1);
  EXPECT_EQ(b.slantXPercent, 45);
}
