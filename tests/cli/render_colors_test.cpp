// sonvue-cli render --colors: a page drawn in the colour sets of a settings file.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace {

void WriteMonoWave(const std::string& path) {
  CWave w;
  w.SetFormat(22050, 16, 1);
  ASSERT_TRUE(w.Allocate(4000));
  for (uint32_t i = 0; i < 4000; ++i) w.SetSample(i, static_cast<int>(i % 100) * 200 - 10000, kChannelBoth);
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(path, 0, 0));
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes = ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// 0x00BBGGRR 0x563412 is #123456: the plot of the mono wave box (kind 2).
constexpr const char* kScheme = "[Defaults]\ngrColor_gBack02=5649426\n";

}  // namespace

TEST(CliRenderColors, TheBoxesTakeTheSetsOfTheirKindsFromTheFile) {
  TempDir dir;
  WriteMonoWave(dir.Path("a.wav"));
  WriteText(dir.Path("scheme.conf"), kScheme);
  CliResult r = RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("plain.svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadText(dir.Path("plain.svg")).find("#123456"), std::string::npos);
  r = RunSonvueCli({"render", dir.Path("a.wav"), dir.Path("colored.svg"), "--colors", dir.Path("scheme.conf")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadText(dir.Path("colored.svg")).find("#123456"), std::string::npos);

  // A saved document is drawn in the file's sets as well.
  ASSERT_EQ(RunSonvueCli({"doc", dir.Path("a.wav"), dir.Path("a.wft")}).status, 0);
  r = RunSonvueCli({"render", dir.Path("a.wft"), dir.Path("doc.svg"), "--colors", dir.Path("scheme.conf")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadText(dir.Path("doc.svg")).find("#123456"), std::string::npos);
}

TEST(CliRenderColors, AFileTheProgramWouldNotTakeIsRefusedAndNothingIsDrawn) {
  TempDir dir;
  WriteMonoWave(dir.Path("a.wav"));
  const struct {
    const char* name;
    const char* text;  // null: the file does not exist
    const char* message;
  } table[] = {{"absent.conf", nullptr, "cannot be opened"},
               {"word.conf", "[Defaults]\ngrColor_front00=red\n", "grColor_front00 is not a colour value"},
               {"empty.conf", "[Defaults]\nMouseOp=1\n", "holds no colour value"},
               {"broken.conf", "grColor_front00 255\n", "line 1 is not NAME=VALUE"}};
  for (const auto& row : table) {
    if (row.text) WriteText(dir.Path(row.name), row.text);
    const std::string out = dir.Path(std::string(row.name) + ".png");
    CliResult r = RunSonvueCli({"render", dir.Path("a.wav"), out, "--colors", dir.Path(row.name)});
    EXPECT_EQ(r.status, 1) << row.name;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_TRUE(ReadAllBytes(out).empty()) << row.name;
  }
}
