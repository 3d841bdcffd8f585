// The colour sets outside the registry-shaped store: read from a settings file as the
// program writes it, counted and checked value by value, and handed to a document's boxes.
#include <gtest/gtest.h>

#include <fstream>

#include "core/doc/app_settings.h"
#include "core/doc/settings_file.h"
#include "core/doc/wav_doc.h"
#include "support/temp_dir.h"

TEST(SettingsFile, TakesTheDefaultsGroupAndValuesBeforeAnyGroup) {
  const std::string text =
      "\xEF\xBB\xBF"
      "grColor_front00=255\r\n"
      "; a comment\n"
      "# another\n"
      "\n"
      "[General]\n"
      "grColor_front01=1\n"
      "[Defaults]\n"
      "  grColor_gBack02 =  65280  \n"
      "textOut_Delimit=\" , \"\n"
      "font_facename=\"IPA\\\"x\"\n"
      "[Other]\n"
      "grColor_front03=2";
  MemorySettingsStore store;
  std::string error;
  ASSERT_TRUE(ReadSettingsText(text, store, error)) << error;
  EXPECT_EQ(store.values, (std::map<std::string, std::string>{{"grColor_front00", "255"},
                                                              {"grColor_gBack02", "65280"},
                                                              {"textOut_Delimit", " , "},
                                                              {"font_facename", "IPA\"x"}}));
}

TEST(SettingsFile, ALineOfAnotherKindIsRefusedWithItsNumber) {
  const struct {
    const char* text;
    const char* error;
  } table[] = {{"[Defaults]\ngrColor_front00 255\n", "line 2 is not NAME=VALUE"},
               {"=5\n", "line 1 is not NAME=VALUE"},
               {"a=1\n[Defaults\n", "line 2 opens a group without closing it"}};
  for (const auto& row : table) {
    MemorySettingsStore store;
    std::string error;
    EXPECT_FALSE(ReadSettingsText(row.text, store, error)) << row.text;
    EXPECT_EQ(error, row.error);
  }
}

TEST(SettingsFile, MissingAndOversizedFilesAreRefused) {
  TempDir dir;
  MemorySettingsStore store;
  std::string error;
  EXPECT_FALSE(ReadSettingsFile(dir.Path("absent.conf"), store, error));
  EXPECT_EQ(error, "cannot be opened");
  {
    std::ofstream big(dir.Path("big.conf"));
    big << std::string(kMaxSettingsFileBytes + 1, '#');
  }
  EXPECT_FALSE(ReadSettingsFile(dir.Path("big.conf"), store, error));
  EXPECT_NE(error.find("larger"), std::string::npos);
  {
    std::ofstream ok(dir.Path("ok.conf"));
    ok << "[Defaults]\ngrColor_area12=4210752\n";
  }
  ASSERT_TRUE(ReadSettingsFile(dir.Path("ok.conf"), store, error)) << error;
  EXPECT_EQ(store.values.at("grColor_area12"), "4210752");
}

TEST(ColorSets, ReadAsTheSettingsModelReadsThemWithTheMalformedNamed) {
  MemorySettingsStore store;
  store.values["grColor_gBack00"] = "1";
  store.values["grColor_area12"] = "4294967295";
  store.values["grColor_front05"] = "red";
  store.values["grColor_scope07"] = " 12 ";  // blanks around a number are allowed
  std::array<ColorSet, kColorSetCount> sets = ApplicationDefaultColorSets();
  std::vector<std::string> malformed;
  const int taken = LoadColorSets(store, sets, &malformed);
  EXPECT_EQ(malformed, (std::vector<std::string>{"grColor_front05"}));
  EXPECT_EQ(sets[0][kColorGraphBack], 1u);
  EXPECT_EQ(sets[12][kColorArea], 0xFFFFFFFFu);
  EXPECT_EQ(sets[5][kColorGraph], kApplicationDefaultColors[kColorGraph]);
  EXPECT_EQ(sets[7][kColorMark], 12u);
  EXPECT_EQ(taken, 3);
  // Whatever LoadSettings makes of a value, the sets read here agree with it.
  AppSettings app;
  LoadSettings(store, app, 1024, 768);
  EXPECT_EQ(app.colorSets, sets);
}

TEST(ColorSets, ADocumentGivesEachBoxItsSetAndSavesTheDefaults) {
  AppSettings app;
  CWavDoc doc(&app);
  doc.Wave().SetFormat(44100, 16, 2);
  ASSERT_TRUE(doc.Wave().Allocate(4096));
  doc.CreateDefaultBoxes();
  ASSERT_TRUE(doc.SetBox(kBoxFftRight));
  int saved = 0;
  doc.SetDefaultsChangedHandler([&] { ++saved; });
  std::array<ColorSet, kColorSetCount> sets{};
  for (int k = 0; k < kColorSetCount; ++k) sets[k].fill(0x010101u * static_cast<uint32_t>(k + 1));
  doc.ApplyColorSets(sets);
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(app.colorSets, sets);
  int boxes = 0;
  for (int slot = 0; slot < CWavDoc::kSlotCount; ++slot) {
    if (CBox* box = doc.GetBox(slot)) {
      EXPECT_EQ(box->Colors(), sets[slot]) << "slot " << slot;
      EXPECT_EQ(box->ValidFlags(), 0) << "slot " << slot;
      ++boxes;
    }
  }
  EXPECT_GE(boxes, 4);
  // A box created later takes the new set of its kind as well.
  ASSERT_TRUE(doc.SetBox(kBoxFft3dMono));
  EXPECT_EQ(doc.GetBox(kBoxFft3dMono)->Colors(), sets[kBoxFft3dMono]);
}
