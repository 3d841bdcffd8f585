// Reading samples from text: the value rule, the line rules, round trips through the wave
// text file, and hostile input that must neither hang nor touch the wave.
#include "core/textio/wave_text_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/io/byte_stream.h"
#include "core/io/cp932.h"
#include "core/textio/wave_text.h"
#include "core/wave/wave.h"
#include "support/temp_dir.h"

namespace {

WaveTextFormat Format(uint16_t bits, uint16_t channels, uint32_t frames, uint32_t rate = 8000) {
  WaveTextFormat f;
  f.rateHz = rate;
  f.bits = bits;
  f.channels = channels;
  f.frameCount = frames;
  return f;
}

WaveTextReadResult ReadText(const std::string& text, const WaveTextFormat& format, CWave& wave,
                            const std::string& delimiter = " , ") {
  MemoryStream in(text.data(), text.size());
  return ReadWaveText(in, format, delimiter, wave);
}

// The stored samples of a channel: sample-scale values, or raw bytes for 8 bits.
std::vector<int> Stored(const CWave& wave, int channel) {
  std::vector<int> out;
  for (uint32_t f = 0; f < wave.FrameCount(); ++f) {
    const uint8_t* p = wave.GetData(f) + channel * wave.Bits() / 8;
    out.push_back(wave.Bits() == 8 ? *p : static_cast<int16_t>(p[0] | p[1] << 8));
  }
  return out;
}

}  // namespace

TEST(WaveTextReader, PercentBecomesSamplesByTruncatingTheSinglePrecisionProduct) {
  struct Case {
    const char* text;
    int sixteen;
    int eight;
  };
  const Case cases[] = {
      {"100", 32767, 255},  // 32767.9993 truncated
      {"-100", -32767, 0},  // -32767.9993 truncated toward zero; its high byte is -128
      {"0.01", 3, 128},
      {"150", 32767, 255},  // limited
      {"-150", -32768, 0},
      {"0", 0, 128},
      {"50", 16383, 191},   // 16383.9996
      {"-0.001", 0, 128},
      {"inf", 32767, 255},
      {"-1e40", -32768, 0},  // beyond a float: minus infinity
  };
  for (const Case& c : cases) {
    CWave w16, w8;
    ASSERT_EQ(ReadText(c.text, Format(16, 1, 1), w16), WaveTextReadResult::kOk) << c.text;
    ASSERT_EQ(ReadText(c.text, Format(8, 1, 1), w8), WaveTextReadResult::kOk) << c.text;
    EXPECT_EQ(Stored(w16, 0), std::vector<int>{c.sixteen}) << c.text;
    EXPECT_EQ(Stored(w8, 0), std::vector<int>{c.eight}) << c.text;
  }
}

TEST(WaveTextReader, LinesAreReadAsScanfReadsTwoNumbers) {
  struct Case {
    const char* line;
    const char* delimiter;
    int channels;
    bool read;
    float first;
    float second;
  };
  const Case cases[] = {
      {"12.5 , -3", " , ", 2, true, 12.5f, -3.0f},
      {"  +1.5\t2e1  trailing words", "", 2, true, 1.5f, 20.0f},
      {"1.0,2.0", ",", 2, true, 1.0f, 2.0f},
      {"1.0,2.0", " ", 2, false, 0, 0},  // the comma stops the second number
      {"1.0,2.0", " ", 1, true, 1.0f, 0},
      {"0x10 .5", "", 2, true, 16.0f, 0.5f},
      {"1e 2", "", 2, true, 1.0f, 2.0f},  // an exponent mark without digits is swallowed
      {"5. -.25", "", 2, true, 5.0f, -0.25f},
      {"1e-60", "", 1, true, 0.0f, 0},
      {"周波数(Hz) , 1", " , ", 1, false, 0, 0},
      {"時間(sec)", "", 1, false, 0, 0},
      {"nan 1", "", 2, false, 0, 0},
      {"- 1", "", 1, false, 0, 0},
      {"+-1", "", 1, false, 0, 0},
      {"", "", 1, false, 0, 0},
      {"   ", "", 1, false, 0, 0},
      {"7", "", 2, false, 0, 0},
      {"1 ～ 2", "～", 2, true, 1.0f, 2.0f},
      {"1x2x3", "x", 2, true, 1.0f, 2.0f},
      {"1xx2", "xx", 2, true, 1.0f, 2.0f},
  };
  for (const Case& c : cases) {
    float values[2] = {0, 0};
    const bool read =
        ParseWaveTextLine(Utf8ToCp932(c.line), Utf8ToCp932(c.delimiter), c.channels, values);
    EXPECT_EQ(read, c.read) << c.line;
    if (!read || !c.read) continue;
    EXPECT_EQ(values[0], c.first) << c.line;
    if (c.channels == 2) {
      EXPECT_EQ(values[1], c.second) << c.line;
    }
  }
  // A NUL byte ends the line as it ends a C string.
  float values[2];
  EXPECT_FALSE(ParseWaveTextLine(std::string_view("1\0 2", 4), "", 2, values));
}

TEST(WaveTextReader, OnlyTheFirst159BytesOfALineCount) {
  CWave wave;
  const std::string text = std::string(157, ' ') + "50\r\n" +  // 159 bytes: 50
                           std::string(158, ' ') + "50\n" +    // cut after the 5
                           std::string(159, ' ') + "50\n" +    // nothing left: skipped
                           "-25";                              // last line without its end
  ASSERT_EQ(ReadText(text, Format(16, 1, 4), wave), WaveTextReadResult::kOk);
  EXPECT_EQ(Stored(wave, 0), (std::vector<int>{16383, 1638, -8191, 0}));
}

TEST(WaveTextReader, ShortFilesLeaveSilenceAndLongFilesStopAtTheFrameCount) {
  CWave eight;
  ASSERT_EQ(ReadText("10 , 20\nnot a row\n-10 , -20\n", Format(8, 2, 4), eight),
            WaveTextReadResult::kOk);
  EXPECT_EQ(Stored(eight, 0), (std::vector<int>{140, 115, 128, 128}));
  EXPECT_EQ(Stored(eight, 1), (std::vector<int>{153, 102, 128, 128}));
  CWave sixteen;
  ASSERT_EQ(ReadText("1\n2\n3\n4\n5\n", Format(16, 1, 2, 44100), sixteen), WaveTextReadResult::kOk);
  EXPECT_EQ(Stored(sixteen, 0), (std::vector<int>{327, 655}));
  EXPECT_EQ(sixteen.Rate(), 44100u);
  EXPECT_EQ(sixteen.FrameCount(), 2u);
}

TEST(WaveTextReader, ALineLongerThanAChunkOfTheReaderIsCutLikeAnyOther) {
  // The reader takes the file a megabyte at a time; lines that cross that boundary, short
  // and long, must read as lines inside a chunk do.
  std::string text;
  while (text.size() < (size_t{1} << 20) - 100) text += "1\n";
  const size_t before = text.size() / 2;
  text += "7" + std::string(300, ' ') + "9\n" + "8\n";
  CWave wave;
  ASSERT_EQ(ReadText(text, Format(16, 1, static_cast<uint32_t>(before + 2)), wave),
            WaveTextReadResult::kOk);
  const std::vector<int> samples = Stored(wave, 0);
  EXPECT_EQ(samples[before - 1], 327);
  EXPECT_EQ(samples[before], 2293);
  EXPECT_EQ(samples[before + 1], 2621);
}

// Export with every option off, then import with one channel and the same frame count:
// every sample comes back, at most one step closer to zero.
TEST(WaveTextReader, AllOptionsOffRoundTripLosesAtMostOneStep) {
  CWave wave;
  wave.SetFormat(22050, 16, 1);
  ASSERT_TRUE(wave.Allocate(65536));
  for (uint32_t f = 0; f < 65536; ++f) wave.SetSample(f, static_cast<int>(f) - 32768, kChannelLeft);
  TempDir dir;
  TextOutOptions off;
  off.conditions = off.columnNames = off.stepColumn = false;
  ASSERT_TRUE(WriteWaveTextFile(dir.Path("w.txt"), wave, {false, false, true}, off));
  CWave back;
  ASSERT_EQ(ReadWaveTextFile(dir.Path("w.txt"), Format(16, 1, 65536, 22050), off.delimiter, back),
            WaveTextReadResult::kOk);
  const std::vector<int> original = Stored(wave, 0), restored = Stored(back, 0);
  ASSERT_EQ(restored.size(), original.size());
  int smaller = 0;
  for (size_t i = 0; i < original.size(); ++i) {
    const int lost = std::abs(original[i]) - std::abs(restored[i]);
    ASSERT_TRUE(lost == 0 || lost == 1) << original[i] << " came back as " << restored[i];
    ASSERT_TRUE(restored[i] == 0 || (restored[i] < 0) == (original[i] < 0));
    smaller += lost;
  }
  EXPECT_GT(smaller, 0);  // the truncation does show
}

// A stereo file with the title, conditions and column names read back as stereo samples:
// the head lines are skipped because none of them starts with a number. The delimiter "～"
// must be looked for in its CP932 bytes.
TEST(WaveTextReader, HeadLinesAreSkippedAndTheDelimiterIsMatchedInCp932) {
  CWave wave;
  wave.SetFormat(8000, 16, 2);
  ASSERT_TRUE(wave.Allocate(3000));
  for (uint32_t f = 0; f < 3000; ++f) {
    wave.SetSample(f, static_cast<int>(f * 21) - 32000, kChannelLeft);
    wave.SetSample(f, 31000 - static_cast<int>(f * 19), kChannelRight);
  }
  TextOutOptions options;
  options.stepColumn = false;
  options.delimiter = "～";
  TempDir dir;
  ASSERT_TRUE(WriteWaveTextFile(dir.Path("s.txt"), wave, {true, true, false}, options));
  const std::vector<uint8_t> bytes = ReadAllBytes(dir.Path("s.txt"));
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("\x81\x60"), std::string::npos);
  EXPECT_EQ(text.find("\xEF\xBD\x9E"), std::string::npos);  // no UTF-8 left
  CWave back;
  ASSERT_EQ(ReadWaveTextFile(dir.Path("s.txt"), Format(16, 2, 3000), "～", back),
            WaveTextReadResult::kOk);
  for (int channel = 0; channel < 2; ++channel) {
    const std::vector<int> original = Stored(wave, channel), restored = Stored(back, channel);
    for (size_t i = 0; i < original.size(); ++i) {
      ASSERT_LE(std::abs(original[i] - restored[i]), 1) << "frame " << i;
    }
  }
}

TEST(WaveTextReader, AnEmptyDelimiterReplacesNothingAndEnds) {
  CWave wave;
  ASSERT_EQ(ReadText("1 2\n3\t4\n", Format(16, 2, 2), wave, ""), WaveTextReadResult::kOk);
  EXPECT_EQ(Stored(wave, 0), (std::vector<int>{327, 983}));
  EXPECT_EQ(Stored(wave, 1), (std::vector<int>{655, 1310}));
}

TEST(WaveTextReader, FailuresLeaveTheWaveAsItWas) {
  CWave wave;
  wave.SetFormat(44100, 16, 2);
  ASSERT_TRUE(wave.Allocate(10));
  wave.SetSample(3, 1234, kChannelBoth);
  auto untouched = [&](const char* what) {
    EXPECT_EQ(wave.FrameCount(), 10u) << what;
    EXPECT_EQ(wave.Rate(), 44100u) << what;
    EXPECT_EQ(wave.Channels(), 2) << what;
    EXPECT_EQ(wave.GetSample(3, kChannelRight), 1234) << what;
  };
  // Four gigabytes of frames cannot be allocated: a failure, not a write into nothing.
  EXPECT_EQ(ReadText("1 , 2\n", Format(16, 2, 0xFFFFFFFFu), wave),
            WaveTextReadResult::kCannotAllocate);
  untouched("unallocatable");
  EXPECT_EQ(ReadText("1\n", Format(16, 1, 0), wave), WaveTextReadResult::kBadFormat);
  EXPECT_EQ(ReadText("1\n", Format(24, 1, 5), wave), WaveTextReadResult::kBadFormat);
  EXPECT_EQ(ReadText("1\n", Format(16, 3, 5), wave), WaveTextReadResult::kBadFormat);
  EXPECT_EQ(ReadText("1\n", Format(16, 1, 5, 0), wave), WaveTextReadResult::kBadFormat);
  untouched("bad format");
  TempDir dir;
  EXPECT_EQ(ReadWaveTextFile(dir.Path("absent.txt"), Format(16, 1, 5), " , ", wave),
            WaveTextReadResult::kCannotOpen);
  EXPECT_EQ(ReadWaveTextFile(dir.Root(), Format(16, 1, 5), " , ", wave),
            WaveTextReadResult::kCannotOpen);
  untouched("cannot open");
}

TEST(WaveTextReader, TheDialogsRatesStayBetween5000And50000Hz) {
  EXPECT_EQ(LimitTextInRate(0), 5000u);
  EXPECT_EQ(LimitTextInRate(4999), 5000u);
  EXPECT_EQ(LimitTextInRate(44100), 44100u);
  EXPECT_EQ(LimitTextInRate(96000), 50000u);
}
