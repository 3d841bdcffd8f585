// The wave text file: its exact bytes, the options and channels, numbers as printf writes
// them, and failures that keep an old file.
#include "core/textio/wave_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/io/cp932.h"
#include "core/wave/wave.h"
#include "support/iconv.h"
#include "support/temp_dir.h"

namespace {

// A 16-bit wave at 8000 Hz with the given left (and right) samples.
void MakeWave(CWave& wave, const std::vector<int>& left, const std::vector<int>& right = {}) {
  wave.SetFormat(8000, 16, right.empty() ? 1 : 2);
  ASSERT_TRUE(wave.Allocate(static_cast<uint32_t>(left.size())));
  for (size_t i = 0; i < left.size(); ++i) {
    wave.SetSample(static_cast<uint32_t>(i), left[i], kChannelLeft);
    if (!right.empty()) wave.SetSample(static_cast<uint32_t>(i), right[i], kChannelRight);
  }
}

TextOutOptions Options(bool conditions, bool names, bool time, const char* delimiter = " , ") {
  TextOutOptions o;
  o.delimiter = delimiter;
  o.conditions = conditions;
  o.columnNames = names;
  o.stepColumn = time;
  return o;
}

std::string Printf(double v) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%f", v);
  return buffer;
}

}  // namespace

TEST(WaveText, FileIsCp932WithCrLfLineByLine) {
  CWave wave;
  // The mean is (left + right) / 2 truncated toward zero: -1/2 gives 0, -3/2 gives -1.
  MakeWave(wave, {32767, 1, -3}, {-32768, 2, 0});
  const std::string expected =
      "ウェーブデータ\r\n"
      "サンプリング周波数(Hz) , 8000\r\n"
      "データビットサイズ(bits) , 16\r\n"
      "チャンネル数 , 2\r\n"
      "総サンプル数(samples) , 3\r\n"
      "時間(sec) , Ｌchレベル(%) , Ｒchレベル(%) , ＬＲ合成波レベル\r\n"
      "0.000000 , 99.996948 , -100.000000 , 0.000000\r\n"
      "0.000125 , 0.003052 , 0.006104 , 0.003052\r\n"
      "0.000250 , -0.009155 , 0.000000 , -0.003052\r\n";
  TempDir dir;
  const std::string path = dir.Path("wave.txt");
  ASSERT_TRUE(WriteWaveTextFile(path, wave, WaveTextChannels{}, TextOutOptions{}));
  const std::vector<uint8_t> bytes = ReadAllBytes(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Utf8ToCp932(expected));
  EXPECT_EQ(Cp932FileViaIconv(path), expected);
  // "ウェーブデータ" in CP932, byte by byte.
  const std::vector<uint8_t> title = {0x83, 0x45, 0x83, 0x46, 0x81, 0x5B, 0x83, 0x75,
                                      0x83, 0x66, 0x81, 0x5B, 0x83, 0x5E, '\r', '\n'};
  ASSERT_GE(bytes.size(), title.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), title);
  // The preview is the same text with LF line ends.
  std::string lf = expected;
  for (size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
  EXPECT_EQ(FormatWaveText(wave, WaveTextChannels{}, TextOutOptions{}), lf);
}

TEST(WaveText, OptionsAndChannelsChooseTheColumns) {
  CWave stereo;
  MakeWave(stereo, {100, 200}, {-100, -200});
  CWave mono;
  MakeWave(mono, {16384, -16384});
  struct Case {
    const char* name;
    const CWave* wave;
    WaveTextChannels channels;
    TextOutOptions options;
    const char* expected;
  };
  const Case cases[] = {
      {"mono column alone: no leading delimiter", &stereo, {false, false, true},
       Options(false, false, false), "ウェーブデータ\n0.000000\n0.000000\n"},
      {"right only, tab", &stereo, {false, true, false}, Options(false, true, false, "\t"),
       "ウェーブデータ\nＲchレベル(%)\n-0.305176\n-0.610352\n"},
      {"left and time", &stereo, {true, false, false}, Options(false, true, true, ";"),
       "ウェーブデータ\n時間(sec);Ｌchレベル(%)\n0.000000;0.305176\n0.000125;0.610352\n"},
      {"one channel: only the mono column exists", &mono, {true, true, true},
       Options(true, true, true),
       "ウェーブデータ\nサンプリング周波数(Hz) , 8000\nデータビットサイズ(bits) , 16\n"
       "チャンネル数 , 1\n総サンプル数(samples) , 2\n時間(sec) , レベル(%)\n"
       "0.000000 , 50.000000\n0.000125 , -50.000000\n"},
      {"one channel, left asked for: nothing but the time", &mono, {true, false, false},
       Options(false, false, true), "ウェーブデータ\n0.000000\n0.000125\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatWaveText(*c.wave, c.channels, c.options), c.expected) << c.name;
  }
}

TEST(WaveText, EightBitSamplesGoThroughTheSampleScale) {
  CWave wave;
  wave.SetFormat(11025, 8, 1);
  ASSERT_TRUE(wave.Allocate(3));
  uint8_t* bytes = wave.GetData();
  bytes[0] = 0;
  bytes[1] = 128;
  bytes[2] = 255;
  // 0 -> -32640, 255 -> 32639 on the sample scale.
  EXPECT_EQ(FormatWaveText(wave, {}, Options(false, false, false)),
            "ウェーブデータ\n-99.609375\n0.000000\n99.606323\n");
}

TEST(WaveText, PreviewStopsAfterTheAskedRows) {
  CWave wave;
  MakeWave(wave, std::vector<int>(100, 5), std::vector<int>(100, 6));
  const std::string preview = FormatWaveText(wave, {}, TextOutOptions{}, 30);
  size_t lines = 0;
  for (char c : preview) lines += c == '\n';
  EXPECT_EQ(lines, 1u + 4u + 1u + 30u);
  EXPECT_NE(preview.find("\n0.003625 , "), std::string::npos);  // row 29 at 8000 Hz
  EXPECT_EQ(preview.find("\n0.003750 , "), std::string::npos);  // row 30 is not shown
}

// Every number is written as printf's "%f" writes it in the C locale: correctly rounded,
// ties to even, a minus sign on values that round to zero.
TEST(WaveText, NumbersMatchPrintfWhateverTheLocale) {
  std::vector<double> values = {0.0, -0.0, 1e-7, -1e-7, 0.0000005, 0.0000015, 0.0000025,
                                -0.0000025, 43.066406249999, 22006.93359375, 1e20, -1e300,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  // Every sample value (s = 64 mod 128 lies exactly halfway: 0.1953125 gives 0.195312), the
  // times of rows, and doubles of every magnitude from random bits.
  for (int s = -32768; s <= 32767; ++s) values.push_back(s * 0.0030517578125);
  for (uint32_t a = 0; a < 200000; a += 13) values.push_back(static_cast<double>(a) / 44100);
  for (int o = 1; o < 2000; o += 2) values.push_back(o / 128.0);
  uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 200000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    // Exponents from about 2^-60 to 2^60 (and a few beyond), either sign.
    const uint64_t exponent = 963 + (state >> 40) % 124;
    const uint64_t bits = (state & 0x800FFFFFFFFFFFFFu) | exponent << 52;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    values.push_back(v);
  }
  for (double v : values) {
    std::string out;
    AppendFixed6(out, v);
    EXPECT_EQ(out, Printf(v)) << v;
  }
  // A locale with a decimal comma changes printf, not the file.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    std::string out;
    AppendFixed6(out, 1.5);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(out, "1.500000");
  }
}

TEST(WaveText, AFileThatCannotBeCreatedIsReportedAndNothingIsLeftBehind) {
  CWave wave;
  MakeWave(wave, {1, 2, 3});
  TempDir dir;
  EXPECT_FALSE(WriteWaveTextFile(dir.Path("missing/wave.txt"), wave, {}, {}));
  // A folder in the way of the file: the folder stays, no temporary file stays beside it.
  std::filesystem::create_directory(dir.Path("taken"));
  EXPECT_FALSE(WriteWaveTextFile(dir.Path("taken"), wave, {}, {}));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("taken")));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Root())) ++entries;
  EXPECT_EQ(entries, 1u);
  // An old file is replaced whole.
  WriteAllBytes(dir.Path("old.txt"), std::vector<uint8_t>(5000, 'x'));
  ASSERT_TRUE(WriteWaveTextFile(dir.Path("old.txt"), wave, {}, Options(false, false, false)));
  const std::vector<uint8_t> bytes = ReadAllBytes(dir.Path("old.txt"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            Utf8ToCp932("ウェーブデータ\r\n0.003052\r\n0.006104\r\n0.009155\r\n"));
}
