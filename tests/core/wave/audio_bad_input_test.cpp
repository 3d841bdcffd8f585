// Broken and hostile files on the way in: each gives a clear message, or a partial wave with
// a message saying how much was read; never a crash, a hang or a block larger than the file's
// real content.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstring>

#include "core/io/byte_stream.h"
#include "core/wave/audio_file.h"
#include "core/wave/wave.h"
#include "support/audio_writer.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

struct Opened {
  bool ok = false;
  std::vector<std::string> boxes;
};

Opened Load(CWave& wave, const std::string& path) {
  RecordingPrompt prompt;
  Opened o;
  o.ok = wave.LoadWaveFile(path);
  o.boxes = prompt.Texts();
  return o;
}

bool Contains(const std::vector<std::string>& boxes, const std::string& part) {
  for (const std::string& b : boxes) {
    if (b.find(part) != std::string::npos) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& boxes) {
  std::string all;
  for (const std::string& b : boxes) all += b + " | ";
  return all;
}

// A two-second stereo tone in the format, as bytes.
std::vector<uint8_t> ToneFile(const TempDir& dir, const char* name, int format, int rateHz) {
  const std::string path = dir.Path(name);
  EXPECT_TRUE(WriteAudioDoubles(path, format, rateHz, 2, Sines(rateHz, 2 * rateHz, {0.5, 0.3}, {440, 1000})));
  return ReadAllBytes(path);
}

}  // namespace

TEST(AudioBadInput, TruncatedAndCorruptedCompressedFilesAreReadInPartOrRefusedWithAMessage) {
  TempDir dir;
  struct Source {
    const char* name;
    int format;
    int rate;
    const char* found;  // how the refusal names the file
    // Whether the header states the length: the library measures an Ogg stream from its
    // last complete page, so an Ogg file cut short is a shorter whole file to it.
    bool lengthInHeader;
  };
  const Source sources[] = {
      {"x.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, "FLAC", true},
      {"x.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, "MPEG", true},
      {"x.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, "Ogg Vorbis", false},
      {"x.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, "Ogg Opus", false},
  };
  for (const Source& s : sources) {
    const std::vector<uint8_t> whole = ToneFile(dir, s.name, s.format, s.rate);
    ASSERT_GT(whole.size(), 2000u) << s.name;
    struct Damage {
      const char* what;
      std::vector<uint8_t> bytes;
    };
    std::vector<Damage> damages;
    damages.push_back({"cut in half", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)});
    damages.push_back({"only the first 60 bytes", std::vector<uint8_t>(whole.begin(), whole.begin() + 60)});
    std::vector<uint8_t> scrambled = whole;
    for (size_t i = scrambled.size() / 3; i < scrambled.size() / 3 + 400; ++i) scrambled[i] ^= 0xA5;
    damages.push_back({"400 bytes scrambled in the middle", scrambled});
    for (const Damage& d : damages) {
      const std::string path = dir.Path(std::string("damaged-") + s.name);
      WriteAllBytes(path, d.bytes);
      CWave w;
      Opened o = Load(w, path);
      SCOPED_TRACE(std::string(s.name) + ", " + d.what + ": " + Joined(o.boxes));
      if (o.ok) {
        // Never more than the whole file holds (two seconds), and at most what was decoded.
        EXPECT_LE(w.FrameCount(), static_cast<uint32_t>(2 * s.rate));
        EXPECT_EQ(w.DataSize(), w.FrameCount() * 4u);
        EXPECT_FALSE(o.boxes.empty());  // the conversion is always said
      } else {
        EXPECT_EQ(w.FrameCount(), 0u);
        EXPECT_TRUE(Contains(o.boxes, "Failed to load file"));
        EXPECT_TRUE(Contains(o.boxes, std::string("見つかった形式：") + s.found));
      }
    }
    // A file cut in half that still opens says that it ended early.
    WriteAllBytes(dir.Path("half"), damages[0].bytes);
    CWave w;
    Opened o = Load(w, dir.Path("half"));
    if (s.lengthInHeader && o.ok) {
      EXPECT_TRUE(Contains(o.boxes, "ファイルが途中で終わっている") || Contains(o.boxes, "デコードできなくなった"))
          << s.name << ": " << Joined(o.boxes);
    }
  }
}

TEST(AudioBadInput, AFlacHeaderThatClaimsMoreSamplesThanTheFileHoldsGivesThePartRead) {
  TempDir dir;
  std::vector<uint8_t> bytes = ToneFile(dir, "claim.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000);
  // STREAMINFO: "fLaC", a 4-byte block header, then 10 bytes of sizes; the 36-bit total
  // sample count takes the low 4 bits of byte 21 and bytes 22 to 25 (big-endian). Claim
  // 2^35 frames (about eight days).
  ASSERT_EQ(std::memcmp(bytes.data(), "fLaC", 4), 0);
  bytes[21] = static_cast<uint8_t>((bytes[21] & 0xF0) | 0x08);
  bytes[22] = bytes[23] = bytes[24] = bytes[25] = 0;
  // The MD5 signature no longer matches what decodes; blank it (all zeros means "not set").
  std::memset(bytes.data() + 26, 0, 16);
  WriteAllBytes(dir.Path("claim.flac"), bytes);
  CWave w;
  Opened o = Load(w, dir.Path("claim.flac"));
  ASSERT_TRUE(o.ok) << Joined(o.boxes);
  EXPECT_EQ(w.FrameCount(), 96000u);
  EXPECT_EQ(w.DataSize(), 96000u * 4);
  EXPECT_TRUE(Contains(o.boxes, "フレームのうち 96000 フレームだけを読み込みました。")) << Joined(o.boxes);
}

TEST(AudioBadInput, A24BitWaveWhoseDataChunkClaimsMoreThanTheFileSaysHowMuchWasRead) {
  std::vector<uint8_t> data(3 * 2 * 1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  // The chunk claims 5000 frames; 1000 are there.
  auto file = RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 48000, 24)).Chunk("data", data, true, 3 * 2 * 5000).Build(-1);
  TempDir dir;
  WriteAllBytes(dir.Path("short.wav"), file);
  CWave w;
  Opened o = Load(w, dir.Path("short.wav"));
  ASSERT_TRUE(o.ok) << Joined(o.boxes);
  EXPECT_EQ(w.FrameCount(), 1000u);
  EXPECT_TRUE(Contains(o.boxes, "5000 フレームのうち 1000 フレームだけを読み込みました。")) << Joined(o.boxes);
}

TEST(AudioBadInput, WaveHeadersNothingCanHoldAreRefusedNamingWhatWasFound) {
  struct Case {
    const char* name;
    std::vector<uint8_t> fmt;
    const char* found;
  };
  const Case cases[] = {
      {"no channels", RiffBuilder::Fmt(1, 0, 44100, 16, 16, 2), "形式タグ 0x0001、16ビット、0チャンネル、44100 Hz"},
      {"65535 channels", RiffBuilder::Fmt(1, 65535, 44100, 16, 16, 0xFFFE), "16ビット、65535チャンネル"},
      {"0 Hz", RiffBuilder::Fmt(1, 2, 0, 16), "2チャンネル、0 Hz"},
      {"0 Hz float", RiffBuilder::Fmt(3, 2, 0, 32), "形式タグ 0x0003"},
      {"an unknown format tag", RiffBuilder::Fmt(0x7777, 2, 44100, 16), "形式タグ 0x7777"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    WriteAllBytes(dir.Path("bad.wav"), RiffBuilder().Chunk("fmt ", c.fmt).Chunk("data", std::vector<uint8_t>(4000, 1)).Build());
    CWave w;
    Opened o = Load(w, dir.Path("bad.wav"));
    EXPECT_FALSE(o.ok) << c.name;
    EXPECT_EQ(w.FrameCount(), 0u) << c.name;
    ASSERT_GE(o.boxes.size(), 3u) << c.name << ": " << Joined(o.boxes);
    // The reader's own box first, then the load failure, then what was found.
    EXPECT_EQ(o.boxes[o.boxes.size() - 2], "Failed to load file") << c.name;
    EXPECT_NE(o.boxes.back().find(c.found), std::string::npos) << c.name << ": " << o.boxes.back();
  }
}

TEST(AudioBadInput, UnknownAndEmptyFilesAreNamedAfterTheReadersBox) {
  TempDir dir;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* found;
  };
  const Case cases[] = {
      {"zip", {'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0, 1, 2, 3, 4, 5, 6, 7}, "不明な内容（先頭のバイト 50 4B 03 04 14 00 00 00）"},
      {"empty", {}, "空のファイル"},
      {"RIFF of another form", RiffBuilder().Chunk("strh", std::vector<uint8_t>(20, 0)).Build(-1, "AVI "), "RIFF（AVI ）"},
  };
  for (const Case& c : cases) {
    WriteAllBytes(dir.Path("x.dat"), c.bytes);
    CWave w;
    Opened o = Load(w, dir.Path("x.dat"));
    EXPECT_FALSE(o.ok) << c.name;
    ASSERT_EQ(o.boxes.size(), 3u) << c.name << ": " << Joined(o.boxes);
    EXPECT_EQ(o.boxes[0], "error2 ") << c.name;
    EXPECT_EQ(o.boxes[1], "Failed to load file") << c.name;
    EXPECT_NE(o.boxes[2].find(c.found), std::string::npos) << c.name << ": " << o.boxes[2];
    EXPECT_NE(o.boxes[2].find("」を開けません。\nRIFF/WAVE ファイルでも、読み込める音声ファイルでもありません。"), std::string::npos)
        << c.name << ": " << o.boxes[2];
  }
}

TEST(AudioBadInput, TheReadersOwnBrokenFilesKeepTheirBoxesAndThenSayWhatIsWrong) {
  // A broken file of the reader's own PCM is the reader's to refuse: the import is not tried,
  // the reader's box comes first, and one sentence naming the file says what is wrong, with
  // the sizes the file gave.
  TempDir dir;
  const auto stereo = RiffBuilder::Fmt(1, 2, 8000, 16);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* box;
    const char* sentence;
  };
  std::vector<uint8_t> truncated = RiffBuilder().Chunk("fmt ", stereo).Chunk("data", std::vector<uint8_t>(400, 1)).Build();
  truncated.resize(truncated.size() - 100);  // 300 of the 400 bytes are there: 75 frames
  const Case cases[] = {
      {"ragged", RiffBuilder().Chunk("fmt ", stereo).Chunk("data", {1, 2, 3, 4, 5, 6}).Build(), "error7 ",
       "data チャンクの 6 バイトが、4 バイトのフレームに分けられません"},
      {"no format", RiffBuilder().Chunk("data", std::vector<uint8_t>(4, 0)).Build(), "error3 ", "fmt チャンクがありません"},
      {"no data", RiffBuilder().Chunk("fmt ", stereo).Build(), "error6 ", "data チャンクがありません"},
      {"truncated", truncated, "error9 ",
       "データが途中で終わっています。data チャンクは 400 バイトを示していますが、ファイルには 300 バイト（75 フレーム）しかありません。"},
  };
  for (const Case& c : cases) {
    WriteAllBytes(dir.Path("broken.wav"), c.bytes);
    CWave w;
    Opened o = Load(w, dir.Path("broken.wav"));
    EXPECT_FALSE(o.ok) << c.name;
    ASSERT_EQ(o.boxes.size(), 3u) << c.name << ": " << Joined(o.boxes);
    EXPECT_EQ(o.boxes[0], c.box) << c.name;
    EXPECT_EQ(o.boxes[1], "Failed to load file") << c.name;
    EXPECT_EQ(o.boxes[2].rfind("ファイル「" + dir.Path("broken.wav") + "」を開けません。\n", 0), 0u) << o.boxes[2];
    EXPECT_NE(o.boxes[2].find(c.sentence), std::string::npos) << c.name << ": " << o.boxes[2];
  }
}
