// The WAVE reader's one widening (the extensible header with PCM of 8 or 16 bits is read as
// format tag 1) and the header read on its own, as the opening and `info` use it.
#include <gtest/gtest.h>

#include <cstring>

#include "core/io/byte_stream.h"
#include "core/wave/wave.h"
#include "core/wave/wave_header.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"

namespace {

constexpr uint16_t kPcmSubFormat = 1;
constexpr uint16_t kFloatSubFormat = 3;

std::vector<uint8_t> ExtensibleFmt(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat,
                                   uint16_t validBits, uint32_t mask, bool registeredTail = true) {
  return RiffBuilder::ExtensibleFmt(channels, rate, bits, subFormat, validBits, mask, registeredTail);
}

std::vector<uint8_t> Samples(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 37 + 11);
  return v;
}

struct Read {
  int code;
  std::vector<std::string> boxes;
};

Read ReadInto(CWave& wave, const std::vector<uint8_t>& file) {
  RecordingPrompt prompt;
  MemoryStream stream(file);
  int code = wave.ReadWave(stream);
  return {code, prompt.Texts()};
}

}  // namespace

TEST(ExtensibleHeader, SixteenAndEightBitPcmReadBitIdenticallyToThePlainFile) {
  for (uint16_t bits : {uint16_t{8}, uint16_t{16}}) {
    for (uint16_t channels : {uint16_t{1}, uint16_t{2}}) {
      const std::vector<uint8_t> data = Samples(size_t{channels} * bits / 8 * 301);
      CWave plain, extensible;
      ASSERT_EQ(ReadInto(plain, RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, channels, 44100, bits)).Chunk("data", data).Build()).code, 0);
      Read r = ReadInto(extensible, RiffBuilder()
                                        .Chunk("fmt ", ExtensibleFmt(channels, 44100, bits, kPcmSubFormat, bits, channels == 1 ? 4 : 3))
                                        .Chunk("data", data)
                                        .Build());
      ASSERT_EQ(r.code, 0) << bits << " bits, " << channels << " channels";
      EXPECT_TRUE(r.boxes.empty());
      EXPECT_EQ(std::memcmp(&plain.Format(), &extensible.Format(), sizeof(WaveFormatRecord)), 0);
      EXPECT_EQ(extensible.Format().formatTag, kWaveFormatPcm);
      EXPECT_EQ(extensible.Format().extraSize, 0);  // as a 16-byte chunk leaves it
      ASSERT_EQ(plain.DataSize(), extensible.DataSize());
      EXPECT_EQ(std::memcmp(plain.GetData(0), extensible.GetData(0), plain.DataSize()), 0);
      EXPECT_FALSE(extensible.Source());
    }
  }
}

TEST(ExtensibleHeader, SavedAgainWithThePlainPcmHeader) {
  CWave w;
  ASSERT_EQ(ReadInto(w, RiffBuilder().Chunk("fmt ", ExtensibleFmt(2, 48000, 16, kPcmSubFormat, 16, 3)).Chunk("data", Samples(40)).Build()).code, 0);
  MemoryStream out;
  ASSERT_EQ(w.WriteWave(out, 0, 0), 0);
  const std::vector<uint8_t> expectedFmt = RiffBuilder::Fmt(1, 2, 48000, 16, 18);
  ASSERT_GE(out.Bytes().size(), 38u);
  EXPECT_EQ(std::vector<uint8_t>(out.Bytes().begin() + 20, out.Bytes().begin() + 38), expectedFmt);
}

TEST(ExtensibleHeader, OtherContentsAreRefusedAsTheReaderRefusesThem) {
  struct Case {
    const char* name;
    std::vector<uint8_t> fmt;
    const char* box;
  };
  const char* unsupported =
      "このウェーブファイルの形式には対応していません。\n"
      "8ビットまたは16ビット、1チャンネルまたは2チャンネルのPCMのみ読み込めます。";
  const std::vector<Case> cases = {
      {"float sub-format", ExtensibleFmt(2, 48000, 32, kFloatSubFormat, 32, 3), "error5 "},
      {"unregistered identifier", ExtensibleFmt(2, 48000, 16, kPcmSubFormat, 16, 3, false), "error5 "},
      {"chunk too short for the identifier", RiffBuilder::Fmt(0xFFFE, 2, 48000, 16, 18), "error5 "},
      {"24-bit PCM (widened only for 8 and 16 bits)", ExtensibleFmt(2, 48000, 24, kPcmSubFormat, 24, 3), "error5 "},
      {"six channels", ExtensibleFmt(6, 48000, 16, kPcmSubFormat, 16, 0x3F), unsupported},
  };
  for (const Case& c : cases) {
    CWave w;
    Read r = ReadInto(w, RiffBuilder().Chunk("fmt ", c.fmt).Chunk("data", Samples(48)).Build());
    EXPECT_EQ(r.code, 2) << c.name;
    EXPECT_EQ(r.boxes, std::vector<std::string>{c.box}) << c.name;
    EXPECT_EQ(w.FrameCount(), 0u) << c.name;
  }
}

TEST(WaveHeader, KeepsTheExtensibleFieldsAndTheChunkListWithoutReadingSamples) {
  const auto file = RiffBuilder()
                        .Chunk("fmt ", ExtensibleFmt(2, 96000, 16, kPcmSubFormat, 12, 0x3))
                        .Chunk("LIST", Samples(7))
                        .Chunk("data", Samples(4000))
                        .Build();
  MemoryStream stream(file);
  WaveFileHeader h;
  ASSERT_EQ(ReadWaveHeader(stream, WaveFormatRecord{}, h), WaveHeaderStatus::kOk);
  EXPECT_TRUE(h.extensible);
  EXPECT_EQ(h.validBits, 12);
  EXPECT_EQ(h.channelMask, 0x3u);
  EXPECT_EQ(h.fileFormatTag, 0xFFFE);
  EXPECT_EQ(h.subFormatTag, kPcmSubFormat);
  EXPECT_EQ(h.dataBytes, 4000u);
  EXPECT_EQ(h.dataStart, 12u + 8 + 40 + 8 + 8 + 8);  // RIFF header, fmt, LIST (7 + pad), data header
  ASSERT_EQ(h.chunks.size(), 3u);
  EXPECT_EQ(std::string(h.chunks[1].id.data(), 4), "LIST");
  EXPECT_EQ(h.chunks[1].sizeInBytes, 7u);
}

TEST(WaveHeader, ADataChunkLongerThanTheFileIsTruncatedWithoutBeingRead) {
  // Claims 4 GB of samples in a file of a few bytes: refused from the header alone.
  const auto file = RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 44100, 16)).Chunk("data", Samples(8), true, 0xFFFFFFF0).Build();
  MemoryStream stream(file);
  WaveFileHeader h;
  EXPECT_EQ(ReadWaveHeader(stream, WaveFormatRecord{}, h), WaveHeaderStatus::kDataTruncated);
  EXPECT_EQ(h.dataBytes, 0xFFFFFFF0u);
  EXPECT_FALSE(LeftToImport(WaveHeaderStatus::kDataTruncated));
  EXPECT_TRUE(LeftToImport(WaveHeaderStatus::kNotPcm));
  EXPECT_TRUE(LeftToImport(WaveHeaderStatus::kNoWaveForm));
}

namespace {

uint32_t DataSizeOf(const std::vector<uint8_t>& file) {
  MemoryStream stream(file);
  WaveFileHeader header;
  ReadWaveHeader(stream, WaveFormatRecord{}, header);
  return header.dataBytes;
}

}  // namespace

TEST(SettleStreamedWaveSizes, AStreamsUnsetDataSizeBecomesWhatArrived) {
  const auto fmt = RiffBuilder::Fmt(1, 2, 8000, 16);  // 4 bytes a frame
  const struct {
    const char* name;
    std::vector<uint8_t> file;
    bool settled;
    uint32_t dataBytes;
  } cases[] = {
      {"0xFFFFFFFF", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", Samples(40), false, 0xFFFFFFFF).Build(0xFFFFFFFF),
       true, 40},
      {"a placeholder past the end", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", Samples(40), false, 0x7FFFF000).Build(0x7FFFF024),
       true, 40},
      {"0 with samples after it", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", Samples(40), false, 0).Build(0), true, 40},
      {"a frame cut off at the end", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", Samples(42), false, 0xFFFFFFFF).Build(),
       true, 40},
      {"0 followed by whole chunks", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", {}).Chunk("LIST", Samples(6)).Build(), false, 0},
      {"0 at the end", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", {}).Build(), false, 0},
      {"a true size", RiffBuilder().Chunk("fmt ", fmt).Chunk("data", Samples(40)).Chunk("ZSTR", Samples(130)).Build(), false, 40},
  };
  for (const auto& c : cases) {
    MemoryStream copy(c.file);
    EXPECT_EQ(SettleStreamedWaveSizes(copy), c.settled) << c.name;
    std::vector<uint8_t> expected = c.file;
    if (c.settled) {
      // Nothing but the four bytes of the data size changes.
      const size_t at = 12 + 8 + fmt.size() + 4;
      std::memcpy(&expected[at], &c.dataBytes, 4);
    }
    EXPECT_EQ(copy.Bytes(), expected) << c.name;
    EXPECT_EQ(DataSizeOf(copy.Bytes()), c.dataBytes) << c.name;
    CWave wave;
    EXPECT_EQ(ReadInto(wave, copy.Bytes()).code, 0) << c.name;
    EXPECT_EQ(wave.FrameCount(), c.dataBytes / 4) << c.name;
  }
  MemoryStream notWave(std::vector<uint8_t>{'f', 'L', 'a', 'C', 0, 0, 0, 0});
  EXPECT_FALSE(SettleStreamedWaveSizes(notWave));
}
