// The import of audio files other than the WAVE reader's own: files are made in the test
// with the decoder library's writer, opened as the program opens them (LoadWaveFile), and
// compared sample by sample with the values the rounding must give.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <limits>

#include "core/io/byte_stream.h"
#include "core/wave/audio_file.h"
#include "core/wave/wave.h"
#include "support/audio_writer.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRate = 48000;

struct Opened {
  bool ok = false;
  std::vector<std::string> boxes;
};

Opened Load(CWave& wave, const std::string& path, ChannelPick pick = {}) {
  RecordingPrompt prompt;
  Opened o;
  o.ok = wave.LoadWaveFile(path, pick);
  o.boxes = prompt.Texts();
  return o;
}

std::vector<int> Channel(const CWave& w, int selector) {
  std::vector<int> v;
  for (uint32_t i = 0; i < w.FrameCount(); ++i) v.push_back(w.GetSample(i, selector));
  return v;
}

bool Contains(const std::vector<std::string>& boxes, const std::string& part) {
  for (const std::string& b : boxes) {
    if (b.find(part) != std::string::npos) return true;
  }
  return false;
}

// Exact values at the 32-bit integer full scale and the 16-bit values they must become.
struct IntCase {
  int32_t value;
  int expected;
};

}  // namespace

TEST(AudioImport, IntegerFilesRoundToTheNearestStepWithClipping) {
  // 24-bit files keep the top 24 bits of what is written, 32-bit files all of it.
  const std::vector<IntCase> pcm24 = {
      {0x7FFFFF << 8, 32767},       // full scale: 32767.996 clips
      {-0x800000 * 256, -32768},    // negative full scale
      {0x400000 << 8, 16384},       // half scale
      {-0x400000 * 256, -16384},
      {0x000100 << 8, 1},           // one 16-bit step
      {0x000080 << 8, 1},           // half a step rounds up
      {0x00007F << 8, 0},
      {0x000001 << 8, 0},           // the smallest 24-bit step
      {-0x000080 * 256, 0},         // minus half a step rounds up to 0
      {-0x000081 * 256, -1},
  };
  const std::vector<IntCase> pcm32 = {
      {0x7FFFFFFF, 32767}, {std::numeric_limits<int32_t>::min(), -32768}, {0x40000000, 16384},
      {0x00008000, 1},     {0x00007FFF, 0},                               {-0x00008000, 0},
      {-0x00008001, -1},   {1, 0},
  };
  struct File {
    const char* name;
    int format;
    const std::vector<IntCase>* cases;
  };
  const File files[] = {
      {"24-bit WAVE", SF_FORMAT_WAV | SF_FORMAT_PCM_24, &pcm24},
      {"32-bit WAVE", SF_FORMAT_WAV | SF_FORMAT_PCM_32, &pcm32},
      {"24-bit AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, &pcm24},
      {"24-bit FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, &pcm24},
  };
  TempDir dir;
  for (const File& f : files) {
    std::vector<int32_t> samples;
    std::vector<int> expected;
    for (const IntCase& c : *f.cases) {
      samples.push_back(c.value);
      expected.push_back(c.expected);
    }
    const std::string path = dir.Path(std::string(f.name) + ".bin");
    ASSERT_TRUE(WriteAudioInts(path, f.format, kRate, 1, samples)) << f.name;
    CWave w;
    Opened o = Load(w, path);
    ASSERT_TRUE(o.ok) << f.name;
    EXPECT_EQ(w.Bits(), 16) << f.name;
    EXPECT_EQ(w.Channels(), 1) << f.name;
    EXPECT_EQ(w.Rate(), static_cast<uint32_t>(kRate)) << f.name;
    EXPECT_EQ(Channel(w, kChannelLeft), expected) << f.name;
    ASSERT_TRUE(w.Source()) << f.name;
    // The full-scale value is the one clipped sample.
    EXPECT_TRUE(Contains(o.boxes, "フルスケールを超えた 1 個のサンプルをクリップしました。")) << f.name;
  }
}

TEST(AudioImport, FloatFilesRoundClipAndMapNonFiniteValues) {
  constexpr double kStep = 1.0 / 32768;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> values = {1.0, -1.0, 0.5, kStep, 0.5 * kStep, -0.5 * kStep, 1.5, -2.0, nan, inf, -inf};
  const std::vector<int> expected = {32767, -32768, 16384, 1, 1, 0, 32767, -32768, 0, 32767, -32768};
  TempDir dir;
  // Float and double files are written and read as they are (no normalising, no clipping
  // by the library), so values beyond full scale and NaN reach the rounding unchanged.
  for (int format : {SF_FORMAT_WAV | SF_FORMAT_FLOAT, SF_FORMAT_WAV | SF_FORMAT_DOUBLE}) {
    const std::string path = dir.Path("float.wav");
    ASSERT_TRUE(WriteAudioDoubles(path, format, kRate, 1, values));
    CWave w;
    Opened o = Load(w, path);
    ASSERT_TRUE(o.ok) << format;
    EXPECT_EQ(Channel(w, kChannelLeft), expected) << format;
    // 1.0, 1.5 and -2.0 clip; NaN and the two infinities are the non-finite ones.
    EXPECT_TRUE(Contains(o.boxes, "フルスケールを超えた 3 個のサンプルをクリップしました。")) << format;
    EXPECT_TRUE(Contains(o.boxes, "数値でないサンプルと無限大のサンプル 3 個を、0 とフルスケールにしました。")) << format;
    EXPECT_EQ(w.Source()->bitsPerSample, format == (SF_FORMAT_WAV | SF_FORMAT_FLOAT) ? 32 : 64);
    EXPECT_TRUE(w.Source()->floatingPoint);
  }
}

TEST(AudioImport, SixChannelsOpenAsTheFirstTwoOrThePickedTwo) {
  TempDir dir;
  const std::string path = dir.Path("six.wav");
  // Channel c (1-based) holds 1000 * c + frame at 16 bits, so every sample names its place.
  std::vector<int32_t> samples;
  for (int i = 0; i < 50; ++i) {
    for (int c = 1; c <= 6; ++c) samples.push_back((1000 * c + i) << 16);
  }
  ASSERT_TRUE(WriteAudioInts(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 6, samples));
  struct Case {
    ChannelPick pick;
    int left;
    int right;
    const char* said;
  };
  const Case cases[] = {
      {{}, 1, 2, "6チャンネルのうち、チャンネル 1 と 2 を開きました。"},
      {{3, 4}, 3, 4, "6チャンネルのうち、チャンネル 3 と 4 を開きました。"},
      {{6, 1}, 6, 1, "6チャンネルのうち、チャンネル 6 と 1 を開きました。"},
  };
  for (const Case& c : cases) {
    CWave w;
    Opened o = Load(w, path, c.pick);
    ASSERT_TRUE(o.ok);
    ASSERT_EQ(w.Channels(), 2);
    ASSERT_EQ(w.FrameCount(), 50u);
    EXPECT_EQ(w.GetSample(7, kChannelLeft), 1000 * c.left + 7);
    EXPECT_EQ(w.GetSample(7, kChannelRight), 1000 * c.right + 7);
    EXPECT_TRUE(Contains(o.boxes, c.said)) << o.boxes.front();
    EXPECT_EQ(SourceLine(*w.Source(), 16),
              "source: WAVE, 16 bits, 48000 Hz, 6 channels; opened as 16 bits, 2 channels (" +
                  std::to_string(c.left) + ", " + std::to_string(c.right) + ")");
  }
  CWave w;
  Opened o = Load(w, path, {3, 7});
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.boxes.front(), "チャンネル 3 と 7 は選べません。このファイルのチャンネル数は 6 です。");
  EXPECT_EQ(w.FrameCount(), 0u);
}

TEST(AudioImport, APickOnAPlainStereoFileGoesThroughTheImport) {
  TempDir dir;
  CWave src;
  src.SetFormat(44100, 16, 2);
  ASSERT_TRUE(src.Allocate(10));
  for (uint32_t i = 0; i < 10; ++i) {
    src.SetSample(i, 100 + static_cast<int>(i), kChannelLeft);
    src.SetSample(i, -200 - static_cast<int>(i), kChannelRight);
  }
  RecordingPrompt quiet;
  ASSERT_TRUE(src.SaveWaveFile(dir.Path("s.wav"), 0, 0));
  CWave plain, swapped;
  Opened asItIs = Load(plain, dir.Path("s.wav"));
  ASSERT_TRUE(asItIs.ok);
  EXPECT_TRUE(asItIs.boxes.empty());
  EXPECT_FALSE(plain.Source());
  Opened o = Load(swapped, dir.Path("s.wav"), {2, 1});
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(swapped.GetSample(3, kChannelLeft), -203);
  EXPECT_EQ(swapped.GetSample(3, kChannelRight), 103);
  EXPECT_TRUE(swapped.Source());
}

TEST(AudioImport, FlacOpensWithTheExactSamples) {
  // FLAC is lossless: 16-bit samples come back bit for bit, 24-bit ones as rounded.
  TempDir dir;
  std::vector<int32_t> samples;
  for (int i = 0; i < 20000; ++i) {
    const auto v = static_cast<int32_t>(std::lround(20000.0 * std::sin(i * 0.01)));
    samples.push_back(v << 16);
    samples.push_back((-v) << 16);
  }
  const std::string path = dir.Path("tone.flac");
  ASSERT_TRUE(WriteAudioInts(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, samples));
  CWave w;
  Opened o = Load(w, path);
  ASSERT_TRUE(o.ok);
  ASSERT_EQ(w.FrameCount(), 20000u);
  for (uint32_t i = 0; i < w.FrameCount(); i += 97) {
    EXPECT_EQ(w.GetSample(i, kChannelLeft), samples[2 * i] >> 16) << i;
    EXPECT_EQ(w.GetSample(i, kChannelRight), samples[2 * i + 1] >> 16) << i;
  }
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0], "FLAC（16ビット、44100 Hz、2チャンネル）を16ビット・2チャンネルに変換して開きました。");
}

TEST(AudioImport, LossyFilesOpenWithinTheCodecsNoise) {
  // Measured with the library's writers here (LAME's and libvorbis's default quality for a
  // 1 kHz sine at half scale and a 440 Hz sine at quarter scale, 44.1 kHz): both come back
  // with the written length exactly (the library drops the MP3 encoder's padding using its
  // gapless header, and Ogg carries the length) and without delay, at a signal-to-error
  // ratio of 39 dB (MP3) and 41 dB (Vorbis) away from the first and last 3000 frames. 30 dB
  // leaves room for other encoder versions while any misalignment by even one frame (a 1 kHz
  // tone at 44.1 kHz moves 14 % of its amplitude per frame, about 17 dB) or a lost channel
  // fails.
  constexpr int kFrames = 44100;
  const std::vector<double> written = Sines(44100, kFrames, {0.5, 0.25}, {1000, 440});
  struct Case {
    const char* name;
    const char* file;
    int format;
    const char* container;
  };
  const Case cases[] = {
      {"MP3", "tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "MP3"},
      {"Ogg Vorbis", "tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, "Ogg"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Path(c.file);
    ASSERT_TRUE(WriteAudioDoubles(path, c.format, 44100, 2, written)) << c.name;
    CWave w;
    Opened o = Load(w, path);
    ASSERT_TRUE(o.ok) << c.name;
    ASSERT_EQ(w.FrameCount(), static_cast<uint32_t>(kFrames)) << c.name;
    EXPECT_EQ(w.Source()->container, c.container);
    for (int channel = 0; channel < 2; ++channel) {
      double signal = 0, error = 0;
      for (int i = 3000; i < kFrames - 3000; ++i) {
        const double expected = written[2 * i + channel] * 32768;
        const double got = w.GetSample(static_cast<uint32_t>(i), channel == 0 ? kChannelLeft : kChannelRight);
        signal += expected * expected;
        error += (got - expected) * (got - expected);
      }
      EXPECT_GT(10 * std::log10(signal / error), 30.0) << c.name << " channel " << channel;
    }
  }
}

TEST(AudioImport, AnImportedWaveFormatIsPlainPcmWhateverTheWaveHeldBefore) {
  TempDir dir;
  ASSERT_TRUE(WriteAudioInts(dir.Path("a.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 1, {0, 256 << 8}));
  CWave w;
  WaveFormatRecord odd;
  odd.formatTag = 0xFFFE;
  odd.extraSize = 22;
  w.SetWaveFormat(odd);
  ASSERT_TRUE(Load(w, dir.Path("a.flac")).ok);
  EXPECT_EQ(w.Format().formatTag, kWaveFormatPcm);
  EXPECT_EQ(w.Format().extraSize, 0);
  EXPECT_EQ(w.Format().blockAlign, 2);
  EXPECT_EQ(w.Format().avgBytesPerSec, 192000u);
  // Saved, it is an ordinary 16-bit WAVE file that the reader takes as it is.
  RecordingPrompt quiet;
  ASSERT_TRUE(w.SaveWaveFile(dir.Path("b.wav"), 0, 0));
  CWave back;
  Opened o = Load(back, dir.Path("b.wav"));
  ASSERT_TRUE(o.ok);
  EXPECT_TRUE(o.boxes.empty());
  EXPECT_FALSE(back.Source());
  EXPECT_EQ(Channel(back, kChannelLeft), (std::vector<int>{0, 1}));
}
