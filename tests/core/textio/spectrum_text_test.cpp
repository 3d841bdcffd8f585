// The spectrum text file: its exact bytes, its parts, and the CSV form.
#include "core/textio/spectrum_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/io/cp932.h"
#include "support/iconv.h"
#include "support/temp_dir.h"

namespace {

// Four bins of an 8-point spectrum at 8000 Hz (resolution 1000 Hz).
const float kLeft[] = {10000.0f, 5000.0f, 0.0f, 1.0f};
const float kRight[] = {2500.0f, 0.0f, 100.0f, 10000.0f};
const float kMono[] = {6250.0f, 2500.0f, 50.0f, 5000.5f};

SpectrumTextSource Source(const SpectrumTextColumn* l, const SpectrumTextColumn* r,
                          const SpectrumTextColumn* m, uint16_t channels = 2) {
  SpectrumTextSource s;
  s.rateHz = 8000;
  s.blockSize = 8;
  s.averagingCount = 4;
  s.window = true;
  s.referenceCalculated = true;
  s.waveChannels = channels;
  s.left = l;
  s.right = r;
  s.mono = m;
  return s;
}

}  // namespace

TEST(SpectrumText, FileIsCp932WithCrLfLineByLine) {
  SpectrumTextColumn left{kLeft, false}, right{kRight, true}, mono{kMono, false};
  const std::string expected =
      "ＦＦＴデータ\r\n"
      "周波数分解能(Hz) , 1000.000000\r\n"
      "周波数範囲(Hz) , 0.000000～3000.000000\r\n"
      "ブロックサイズ(samples) , 8\r\n"
      "平均回数 , 4\r\n"
      "窓関数 , ハニング窓\r\n"
      "周波数(Hz) , Ｌchレベル(%) , Ｒchレベル(dB) , 合成波レベル(%)\r\n"
      "0.000000 , 100.000000 , -12.041200 , 62.500000\r\n"
      "1000.000000 , 50.000000 , -180.000000 , 25.000000\r\n"
      "2000.000000 , 0.000000 , -40.000000 , 0.500000\r\n"
      "3000.000000 , 0.010000 , 0.000000 , 50.005000\r\n";
  TempDir dir;
  const std::string path = dir.Path("fft.txt");
  ASSERT_TRUE(WriteSpectrumTextFile(path, Source(&left, &right, &mono), SpectrumTextOptions{}));
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  // The title in CP932, and "～" as 0x81 0x60 (the code page's, not JIS's wave dash).
  const std::vector<uint8_t> title = {0x82, 0x65, 0x82, 0x65, 0x82, 0x73, 0x83, 0x66, 0x81, 0x5B, 0x83, 0x5E, '\r', '\n'};
  ASSERT_GE(bytes.size(), title.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 14), title);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("\x81\x60"), std::string::npos);
  EXPECT_EQ(Cp932FileViaIconv(path), expected);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Utf8ToCp932(expected));
}

TEST(SpectrumText, SizesOfA1024PointSpectrumAt44100Hz) {
  std::vector<float> bins(512, 100.0f);
  SpectrumTextColumn mono{bins.data(), false};
  SpectrumTextSource s = Source(nullptr, nullptr, &mono);
  s.rateHz = 44100;
  s.blockSize = 1024;
  const std::string text = FormatSpectrumText(s, SpectrumTextOptions{});
  EXPECT_NE(text.find("周波数分解能(Hz) , 43.066406\n"), std::string::npos);
  EXPECT_NE(text.find("周波数範囲(Hz) , 0.000000～22006.933594\n"), std::string::npos);
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 1 + 5 + 1 + 512u);
  EXPECT_NE(text.find("\n22006.933594 , 1.000000\n"), std::string::npos);
  EXPECT_EQ(FormatSpectrumText(s, SpectrumTextOptions{}, 30).size() < text.size(), true);
}

TEST(SpectrumText, OptionsLeaveOutPartsAndAOneChannelWaveHasOnlyItsLevel) {
  SpectrumTextColumn left{kLeft, false}, mono{kMono, true};
  SpectrumTextOptions bare;
  bare.conditions = false;
  bare.columnNames = false;
  bare.stepColumn = false;
  // Only the mono column and no frequency: one value per row, no leading delimiter.
  EXPECT_EQ(FormatSpectrumText(Source(nullptr, nullptr, &mono), bare),
            "ＦＦＴデータ\n-4.082400\n-12.041200\n-46.020600\n-6.019731\n");

  // One channel: the mono column is "レベル", and left and right are left out of the names
  // and the rows alike.
  SpectrumTextOptions tab;
  tab.delimiter = "\t";
  tab.conditions = false;
  EXPECT_EQ(FormatSpectrumText(Source(&left, nullptr, &mono, 1), tab, 1),
            "ＦＦＴデータ\n周波数(Hz)\tレベル(dB)\n0.000000\t-4.082400\n");

  // Without a calculated reference there are no conditions.
  SpectrumTextSource noReference = Source(&left, nullptr, nullptr);
  noReference.referenceCalculated = false;
  EXPECT_EQ(FormatSpectrumText(noReference, SpectrumTextOptions{}, 1),
            "ＦＦＴデータ\n周波数(Hz) , Ｌchレベル(%)\n0.000000 , 100.000000\n");

  SpectrumTextSource noWindow = Source(nullptr, nullptr, &mono);
  noWindow.window = false;
  EXPECT_NE(FormatSpectrumText(noWindow, SpectrumTextOptions{}, 0).find("窓関数 , オフ\n"), std::string::npos);
}

TEST(SpectrumText, CsvHasTheChosenChannelsInOrderWithLfLineEnds) {
  SpectrumTextColumn left{kLeft, true}, mono{kMono, true};
  EXPECT_EQ(FormatSpectrumCsv(Source(&left, nullptr, &mono)),
            "frequency_hz,L,M\n"
            "0.000000,0.000000,-4.082400\n"
            "1000.000000,-6.020600,-12.041200\n"
            "2000.000000,-180.000000,-46.020600\n"
            "3000.000000,-80.000000,-6.019731\n");
  SpectrumTextColumn right{kRight, false};
  EXPECT_EQ(FormatSpectrumCsv(Source(nullptr, &right, nullptr)),
            "frequency_hz,R\n0.000000,25.000000\n1000.000000,0.000000\n2000.000000,1.000000\n"
            "3000.000000,100.000000\n");
}

TEST(SpectrumText, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
  SpectrumTextColumn mono{kMono, false};
  TempDir dir;
  EXPECT_FALSE(WriteSpectrumTextFile(dir.Path("missing/fft.txt"), Source(nullptr, nullptr, &mono), {}));
  WriteAllBytes(dir.Path("old.txt"), {'o', 'l', 'd'});
  ASSERT_TRUE(WriteSpectrumTextFile(dir.Path("old.txt"), Source(nullptr, nullptr, &mono), {}));
  EXPECT_EQ(ReadAllBytes(dir.Path("old.txt")).size(), Utf8ToCp932(FormatSpectrumText(Source(nullptr, nullptr, &mono), {})).size() + 11);
}
