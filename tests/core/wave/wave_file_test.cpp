#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "core/io/byte_stream.h"
#include "core/wave/wave.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t start = 0) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(start + i);
  return v;
}

// Reads the bytes as a WAVE file; gives ReadWave's result and the boxes it showed.
struct ReadResult {
  int code;
  std::vector<std::string> boxes;
};

ReadResult Read(const std::vector<uint8_t>& file, CWave& wave) {
  RecordingPrompt prompt;
  MemoryStream mem(file);
  int code = wave.ReadWave(mem);
  return {code, prompt.Texts()};
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

}  // namespace

TEST(ReadWave, SixteenByteFmtAndAListChunkBeforeTheData) {
  auto file = RiffBuilder()
                  .Chunk("fmt ", RiffBuilder::Fmt(1, 1, 11025, 8))
                  .Chunk("LIST", Bytes(7))  // odd: skipped with its pad byte
                  .Chunk("data", Bytes(1001))
                  .Build();
  CWave w;
  ReadResult r = Read(file, w);
  ASSERT_EQ(r.code, 0);
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_EQ(w.FrameCount(), 1001u);
  EXPECT_EQ(w.Rate(), 11025u);
  EXPECT_EQ(w.Format().extraSize, 0);  // a 16-byte chunk keeps the earlier value
  EXPECT_EQ(w.GetData(0)[1000], static_cast<uint8_t>(1000 & 0xFF));
}

TEST(ReadWave, DataBeforeFmtAndUnknownChunksAreAccepted) {
  auto file = RiffBuilder()
                  .Chunk("junk", Bytes(3))
                  .Chunk("data", Bytes(8))
                  .Chunk("ZSTR", Bytes(130))
                  .Chunk("fmt ", RiffBuilder::Fmt(1, 2, 48000, 16, 18))
                  .Build();
  CWave w;
  ASSERT_EQ(Read(file, w).code, 0);
  EXPECT_EQ(w.FrameCount(), 2u);
  EXPECT_EQ(w.Channels(), 2);
}

TEST(ReadWave, EveryRefusalHasItsResultAndBox) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int code;
    const char* box;
  };
  const std::vector<Case> cases = {
      {"not RIFF", {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, 2, "error2 "},
      {"form AVI", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8)).Build(-1, "AVI "), 2, "error2 "},
      {"no fmt", RiffBuilder().Chunk("data", Bytes(4)).Build(), 2, "error3 "},
      {"fmt cut off", RiffBuilder().Chunk("fmt ", Bytes(6), true, 16).Build(), 2, "error4 "},
      {"float tag 3", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(3, 1, 8000, 16)).Chunk("data", Bytes(4)).Build(), 2, "error5 "},
      {"no data", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8)).Build(), 2, "error6 "},
      {"10 bytes of 16-bit stereo", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 8000, 16)).Chunk("data", Bytes(10)).Build(), 2, "error7 "},
      {"block align 0", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 8000, 16, 16, 0)).Chunk("data", Bytes(8)).Build(), 2, "error7 "},
      {"block align lies", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 8000, 16, 16, 2)).Chunk("data", Bytes(8)).Build(), 2, "error7 "},
      {"truncated data", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8)).Chunk("data", Bytes(10), false, 100).Build(), 4, "error9 "},
      {"data claims 4 GB", RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8)).Chunk("data", Bytes(10), false, 0xFFFFFFF0).Build(), 4, "error9 "},
  };
  for (const Case& c : cases) {
    CWave w;
    ReadResult r = Read(c.file, w);
    EXPECT_EQ(r.code, c.code) << c.name;
    ASSERT_EQ(r.boxes.size(), 1u) << c.name;
    EXPECT_EQ(r.boxes[0], c.box) << c.name;
    EXPECT_EQ(w.FrameCount(), 0u) << c.name;
  }
}

TEST(ReadWave, UnsupportedWidthsAndChannelCountsAreRefusedClearly) {
  for (auto [channels, bits] : {std::pair<uint16_t, uint16_t>{1, 24}, {2, 32}, {6, 16}, {1, 12}}) {
    auto file = RiffBuilder()
                    .Chunk("fmt ", RiffBuilder::Fmt(1, channels, 48000, bits))
                    .Chunk("data", Bytes(72))
                    .Build();
    CWave w;
    ReadResult r = Read(file, w);
    EXPECT_EQ(r.code, 2) << bits;
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_NE(r.boxes[0].find("8ビットまたは16ビット"), std::string::npos);
    EXPECT_EQ(w.FrameCount(), 0u);
  }
}

TEST(ReadWave, FmtShorterThanFourteenBytesIsRefusedWithTheFormatBox) {
  // Channels, rate and block alignment must be stated: a shorter chunk would leave them to
  // the new wave's record (22050 Hz, 8 bits, one channel) and read a file it never described.
  for (size_t length : {2u, 4u, 8u, 12u, 13u}) {
    auto file = RiffBuilder()
                    .Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8, length))
                    .Chunk("data", Bytes(8))
                    .Build();
    CWave w;
    ReadResult r = Read(file, w);
    EXPECT_EQ(r.code, 2) << length;
    ASSERT_EQ(r.boxes.size(), 1u) << length;
    EXPECT_EQ(r.boxes[0], "error4 ") << length;
    EXPECT_EQ(w.FrameCount(), 0u) << length;
  }
  // Fourteen bytes state them all; the width keeps the record's 8 bits.
  auto file = RiffBuilder()
                  .Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8, 14))
                  .Chunk("data", Bytes(8))
                  .Build();
  CWave w;
  ASSERT_EQ(Read(file, w).code, 0);
  EXPECT_EQ(w.Rate(), 8000u);
  EXPECT_EQ(w.FrameCount(), 8u);
}

TEST(ReadWave, ARiffSizeThatLiesOrIsUnsetIsNotBelieved) {
  auto body = RiffBuilder()
                  .Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8))
                  .Chunk("data", Bytes(20));
  for (int64_t riffSize : {int64_t{0}, int64_t{0xFFFFFFFF}, int64_t{1000000}}) {
    CWave w;
    ReadResult r = Read(body.Build(riffSize), w);
    EXPECT_EQ(r.code, 0) << riffSize;
    EXPECT_EQ(w.FrameCount(), 20u) << riffSize;
  }
}

TEST(ReadWave, AChunkRunningPastTheEndHidesWhatFollows) {
  auto file = RiffBuilder()
                  .Chunk("fmt ", RiffBuilder::Fmt(1, 1, 8000, 8))
                  .Chunk("LIST", Bytes(4), true, 0x7FFFFFFF)
                  .Chunk("data", Bytes(20))
                  .Build();
  CWave w;
  EXPECT_EQ(Read(file, w).boxes, std::vector<std::string>{"error6 "});
}

TEST(WriteWave, LayoutOfAnOddSizedEightBitWave) {
  CWave w;
  w.SetFormat(11025, 8, 1);
  ASSERT_TRUE(w.Allocate(1001));
  for (uint32_t i = 0; i < 1001; ++i) w.GetData(0)[i] = static_cast<uint8_t>(i * 7);
  MemoryStream out;
  ASSERT_EQ(w.WriteWave(out, 0, 0), 0);
  const auto& b = out.Bytes();
  ASSERT_EQ(b.size(), 46u + 1001 + 1 + 8 + 130);
  EXPECT_EQ(std::memcmp(&b[0], "RIFF", 4), 0);
  EXPECT_EQ(U32At(b, 4), b.size() - 8);
  EXPECT_EQ(std::memcmp(&b[8], "WAVEfmt ", 8), 0);
  EXPECT_EQ(U32At(b, 16), 18u);
  EXPECT_EQ(std::memcmp(&b[20], &w.Format(), 18), 0);
  EXPECT_EQ(std::memcmp(&b[38], "data", 4), 0);
  EXPECT_EQ(U32At(b, 42), 1001u);
  EXPECT_EQ(std::memcmp(&b[46], w.GetData(0), 1001), 0);
  EXPECT_EQ(b[46 + 1001], 0);  // pad byte
  EXPECT_EQ(std::memcmp(&b[1048], "ZSTR", 4), 0);
  EXPECT_EQ(U32At(b, 1052), 130u);
  for (size_t i = 1056; i < b.size(); ++i) EXPECT_EQ(b[i], 0) << i;  // empty comment
}

TEST(WriteWave, RangesAndRoundTrip) {
  CWave w;
  w.SetFormat(22050, 16, 2);
  ASSERT_TRUE(w.Allocate(100));
  for (uint32_t i = 0; i < 100; ++i) {
    w.SetSample(i, static_cast<int>(i) * 100, kChannelLeft);
    w.SetSample(i, -static_cast<int>(i), kChannelRight);
  }
  auto dataSize = [](const MemoryStream& m) { return U32At(m.Bytes(), 42); };

  MemoryStream part;
  ASSERT_EQ(w.WriteWave(part, 0, 50), 0);
  EXPECT_EQ(dataSize(part), 200u);
  MemoryStream refused;
  EXPECT_EQ(w.WriteWave(refused, 50, 50), 3);  // nonzero from equal to to
  EXPECT_EQ(refused.Size(), 0u);
  MemoryStream reversed;
  ASSERT_EQ(w.WriteWave(reversed, 100, 50), 0);  // from > to: the whole wave
  EXPECT_EQ(dataSize(reversed), 400u);
  MemoryStream pastEnd;
  ASSERT_EQ(w.WriteWave(pastEnd, 90, 5000), 0);  // never reads past the last frame
  EXPECT_EQ(dataSize(pastEnd), 40u);

  MemoryStream whole;
  ASSERT_EQ(w.WriteWave(whole, 0, 0), 0);
  whole.Seek(0);
  CWave back;
  RecordingPrompt prompt;
  ASSERT_EQ(back.ReadWave(whole), 0);
  EXPECT_EQ(std::memcmp(&back.Format(), &w.Format(), 18), 0);
  ASSERT_EQ(back.FrameCount(), 100u);
  EXPECT_EQ(std::memcmp(back.GetData(0), w.GetData(0), 400), 0);

  CWave empty;
  MemoryStream none;
  EXPECT_EQ(empty.WriteWave(none, 0, 0), 3);
}

TEST(WaveFiles, LoadReportsOpenAndLoadFailures) {
  TempDir dir;
  RecordingPrompt prompt;
  CWave w;
  EXPECT_FALSE(w.LoadWaveFile(dir.Path("missing.wav")));
  EXPECT_TRUE(prompt.boxes.empty());  // a missing file is refused silently

  WriteAllBytes(dir.Path("bad.wav"), RiffBuilder().Chunk("data", Bytes(4)).Build());
  EXPECT_FALSE(w.LoadWaveFile(dir.Path("bad.wav")));
  ASSERT_EQ(prompt.boxes.size(), 3u);
  EXPECT_EQ(prompt.boxes[0].title, "error");
  EXPECT_EQ(prompt.boxes[0].text, "error3 ");
  EXPECT_EQ(prompt.boxes[1].title, kAppCaption);
  EXPECT_EQ(prompt.boxes[1].text, "Failed to load file");
  EXPECT_EQ(prompt.boxes[2].text,
            "ファイル「" + dir.Path("bad.wav") + "」を開けません。\nRIFF/WAVE ファイルですが、fmt チャンクがありません。");

  prompt.boxes.clear();
  EXPECT_FALSE(w.LoadWaveFile(dir.Root()));  // a folder cannot be opened as a file
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Failed to open file"});
}

TEST(WaveFiles, SaveNeverDestroysTheOldFileOnFailure) {
  TempDir dir;
  RecordingPrompt prompt;
  const std::string target = dir.Path("old.wav");
  const std::vector<uint8_t> old = {'o', 'l', 'd'};

  CWave w;
  w.SetFormat(8000, 8, 1);
  ASSERT_TRUE(w.Allocate(100));

  WriteAllBytes(target, old);
  EXPECT_FALSE(w.SaveWaveFile(target, 100, 50));  // refused range: silent
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_EQ(ReadAllBytes(target), old);

  CWave empty;
  EXPECT_FALSE(empty.SaveWaveFile(target, 0, 0));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Failed to save file"});
  EXPECT_EQ(ReadAllBytes(target), old);

  prompt.boxes.clear();
  EXPECT_FALSE(w.SaveWaveFile(dir.Path("no/such/dir/x.wav"), 0, 0));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Failed to open file"});

  ASSERT_TRUE(w.SaveWaveFile(target, 0, 50));
  CWave back;
  ASSERT_TRUE(back.LoadWaveFile(target));
  EXPECT_EQ(back.FrameCount(), 50u);
}
