#include "core/wave/wave.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/io/archive.h"
#include "fake_device.h"
#include "support/recording_prompt.h"

namespace {

// A wave of the given format whose frames hold the given samples (interleaved).
void Fill16(CWave& w, uint16_t channels, const std::vector<int16_t>& samples) {
  w.SetFormat(44100, 16, channels);
  ASSERT_TRUE(w.Allocate(static_cast<uint32_t>(samples.size() / channels)));
  std::memcpy(w.GetData(0), samples.data(), samples.size() * 2);
}

void Fill8(CWave& w, uint16_t channels, const std::vector<uint8_t>& bytes) {
  w.SetFormat(8000, 8, channels);
  ASSERT_TRUE(w.Allocate(static_cast<uint32_t>(bytes.size() / channels)));
  std::memcpy(w.GetData(0), bytes.data(), bytes.size());
}

// A mono 16-bit wave whose frame i holds the value i (up to 32767).
void Ramp(CWave& w, uint32_t frames, uint32_t rate = 1000) {
  w.SetFormat(rate, 16, 1);
  ASSERT_TRUE(w.Allocate(frames));
  for (uint32_t i = 0; i < frames; ++i) w.SetSample(i, static_cast<int>(i % 32768), kChannelLeft);
}

// Puts a wave into the wrapped state as a ring recording reaches it.
void MakeWrapped(CWave& w, FakeDevice& device) {
  w.SetDevice(&device);
  ASSERT_TRUE(w.RecordRing());
  w.OnRecordDone(w.FrameCount());
  ASSERT_TRUE(w.IsWrapped());
}

}  // namespace

TEST(Wave, NewWaveIsEightBitMonoPcmWithoutFrames) {
  CWave w;
  const WaveFormatRecord& f = w.Format();
  EXPECT_EQ(f.formatTag, 1);
  EXPECT_EQ(f.channels, 1);
  EXPECT_EQ(f.samplesPerSec, 22050u);
  EXPECT_EQ(f.avgBytesPerSec, 22050u);
  EXPECT_EQ(f.blockAlign, 1);
  EXPECT_EQ(f.bitsPerSample, 8);
  EXPECT_EQ(w.FrameCount(), 0u);
  EXPECT_EQ(w.GetData(0), nullptr);
}

TEST(Wave, AllocateGivesSilenceOfTheWidth) {
  CWave w;
  w.SetFormat(8000, 8, 2);
  ASSERT_TRUE(w.Allocate(10));
  EXPECT_EQ(w.DataSize(), 20u);
  for (uint32_t i = 0; i < 20; ++i) EXPECT_EQ(w.GetData(0)[i], 128) << i;
  w.SetFormat(8000, 16, 2);
  EXPECT_EQ(w.FrameCount(), 0u);  // SetFormat frees
  ASSERT_TRUE(w.Allocate(10));
  EXPECT_EQ(w.DataSize(), 40u);
  for (uint32_t i = 0; i < 40; ++i) EXPECT_EQ(w.GetData(0)[i], 0) << i;
  EXPECT_EQ(w.Format().avgBytesPerSec, 32000u);
}

TEST(Wave, AllocateRefusesFormatsWithoutBytesAndSizesPastFourGigabytes) {
  CWave w;
  w.SetFormat(8000, 4, 1);  // 4 bits: no whole byte per frame
  EXPECT_FALSE(w.Allocate(10));
  EXPECT_EQ(w.FrameCount(), 0u);
  w.SetFormat(8000, 16, 2);
  EXPECT_FALSE(w.Allocate(0x40000000u));  // 4 GiB of data cannot be described
  EXPECT_EQ(w.FrameCount(), 0u);
}

TEST(Wave, EightBitBytesOnBothScales) {
  CWave w;
  Fill8(w, 1, {0, 127, 128, 255});
  const int samples[] = {-32640, -1, 0, 32639};
  const double levels[] = {-10000.0, -78.125, 0.0, 9921.875};
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(w.GetSample(i, kChannelLeft), samples[i]) << i;
    EXPECT_DOUBLE_EQ(w.GetValue(i, kChannelLeft), levels[i]) << i;
  }
}

TEST(Wave, SixteenBitFullScaleIsMinusTenThousand) {
  CWave w;
  Fill16(w, 1, {-32768, 32767, 1});
  EXPECT_DOUBLE_EQ(w.GetValue(0, kChannelLeft), -10000.0);
  EXPECT_DOUBLE_EQ(w.GetValue(1, kChannelLeft), 32767 * 0.30517578125);
  EXPECT_EQ(w.GetSample(2, kChannelLeft), 1);
  EXPECT_EQ(w.GetValue(0, kChannelNone), 0.0);
}

TEST(Wave, SetSampleClampsAndEightBitStoresTheHighByte) {
  CWave w;
  Fill16(w, 1, {0, 0});
  w.SetSample(0, 40000, kChannelLeft);
  w.SetSample(1, -40000, kChannelLeft);
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 32767);
  EXPECT_EQ(w.GetSample(1, kChannelLeft), -32768);

  CWave b;
  Fill8(b, 1, {0, 0, 0});
  b.SetSample(0, -1, kChannelLeft);
  b.SetSample(1, -32768, kChannelLeft);
  b.SetSample(2, 32767, kChannelLeft);
  EXPECT_EQ(b.GetData(0)[0], 127);
  EXPECT_EQ(b.GetData(0)[1], 0);
  EXPECT_EQ(b.GetData(0)[2], 255);
}

TEST(Wave, SelectorsOnStereoAndMono) {
  CWave s;
  Fill16(s, 2, {100, -301, 7, 8});
  EXPECT_EQ(s.GetSample(0, kChannelLeft), 100);
  EXPECT_EQ(s.GetSample(0, kChannelRight), -301);
  EXPECT_EQ(s.GetSample(0, kChannelBoth), -100);  // -201 / 2 truncated toward zero
  EXPECT_DOUBLE_EQ(s.GetValue(0, kChannelBoth), (100 - 301) * 0.30517578125 / 2);
  int l = 0, r = 0;
  EXPECT_EQ(s.GetLR(0, l, r, false), -100);
  EXPECT_EQ(s.GetLR(0, l, r, true), 200);
  EXPECT_EQ(l, 100);
  EXPECT_EQ(r, -301);

  s.SetSample(1, 1234, kChannelBoth);
  EXPECT_EQ(s.GetSample(1, kChannelLeft), 1234);
  EXPECT_EQ(s.GetSample(1, kChannelRight), 1234);
  s.SetSample(1, -5, kChannelRight);
  EXPECT_EQ(s.GetSample(1, kChannelLeft), 1234);
  EXPECT_EQ(s.GetSample(1, kChannelRight), -5);

  for (int bits : {8, 16}) {
    CWave m;
    m.SetFormat(8000, static_cast<uint16_t>(bits), 1);
    ASSERT_TRUE(m.Allocate(3));
    m.SetSample(1, 9000, kChannelLeft);
    EXPECT_EQ(m.GetValue(1, kChannelBoth), m.GetValue(1, kChannelLeft)) << bits;
    EXPECT_EQ(m.GetSample(1, kChannelBoth), m.GetSample(1, kChannelLeft)) << bits;
    int ml = 0, mr = 0;
    m.GetLR(1, ml, mr, false);
    EXPECT_EQ(ml, mr);
  }
}

TEST(Wave, GetValuesEqualsGetValueEverywhere) {
  CWave s;
  Fill16(s, 2, {1, 2, -3, 4, 5, -6, 32767, -32768});
  CWave b;
  Fill8(b, 2, {0, 255, 128, 1, 77, 200});
  for (CWave* w : {&s, &b}) {
    for (int sel = 0; sel <= 3; ++sel) {
      double out[8];
      w->GetValues(0, 6, sel, out);  // runs past the end: last frame repeats
      for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(out[i], w->GetValue(i, sel)) << sel << " " << i;
    }
  }
}

// The vector paths for frames inside the wave, over every format and selector, with the
// extreme samples: each value must be GetValue's bit for bit.
TEST(Wave, GetValuesInsideTheWaveEqualsGetValueForEveryFormat) {
  std::vector<int16_t> samples;
  for (int i = 0; i < 64; ++i) samples.push_back(static_cast<int16_t>(i % 3 == 0 ? 32767 - i : i * 1021 - 32768));
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 64; ++i) bytes.push_back(static_cast<uint8_t>(i * 37));
  CWave s2, s1, b2, b1;
  Fill16(s2, 2, samples);
  Fill16(s1, 1, samples);
  Fill8(b2, 2, bytes);
  Fill8(b1, 1, bytes);
  for (CWave* w : {&s2, &s1, &b2, &b1}) {
    for (int sel = 1; sel <= 3; ++sel) {
      const uint32_t count = w->FrameCount() - 3;
      std::vector<double> out(count);
      w->GetValues(3, count, sel, out.data());
      for (uint32_t i = 0; i < count; ++i) {
        ASSERT_EQ(out[i], w->GetValue(3 + i, sel)) << w->Channels() << "ch " << w->Bits() << " bits, sel " << sel;
      }
    }
  }
}

TEST(Wave, PositionsPastTheEndReadTheLastFrameUnlessWrapped) {
  FakeDevice device;  // outlives the wave, which stops it when freed
  CWave w;
  Ramp(w, 100);
  EXPECT_EQ(w.GetSample(100, kChannelLeft), 99);
  EXPECT_EQ(w.GetSample(5000, kChannelLeft), 99);
  MakeWrapped(w, device);
  EXPECT_EQ(w.GetSample(105, kChannelLeft), 5);
  EXPECT_EQ(w.WrapPosition(250), 50u);
}

TEST(Wave, AdjustForWrapMovesPositionsFarBehindTheReference) {
  FakeDevice device;
  CWave w;
  Ramp(w, 3000);  // 1000 Hz: half a second is 500 frames
  EXPECT_EQ(w.AdjustForWrap(10, 2000), 10u);  // not wrapped
  MakeWrapped(w, device);
  EXPECT_EQ(w.AdjustForWrap(10, 2000), 3010u);
  EXPECT_EQ(w.AdjustForWrap(1500, 2000), 1500u);  // exactly 500 behind: not moved
  EXPECT_EQ(w.AdjustForWrap(1499, 2000), 4499u);
}

TEST(Wave, DeleteRemovesAHalfOpenRange) {
  CWave w;
  Ramp(w, 10);
  EXPECT_FALSE(w.Delete(5, 5));
  EXPECT_EQ(w.FrameCount(), 10u);
  ASSERT_TRUE(w.Delete(2, 4));
  EXPECT_EQ(w.FrameCount(), 8u);
  EXPECT_EQ(w.DataSize(), 16u);
  EXPECT_EQ(w.GetSample(1, kChannelLeft), 1);
  EXPECT_EQ(w.GetSample(2, kChannelLeft), 4);
  ASSERT_TRUE(w.Delete(6, 0));  // to 0: up to the end
  EXPECT_EQ(w.FrameCount(), 6u);
  EXPECT_EQ(w.GetSample(5, kChannelLeft), 7);
  ASSERT_TRUE(w.Delete(0, 0));
  EXPECT_EQ(w.FrameCount(), 0u);
  EXPECT_FALSE(w.Delete(0, 0));  // nothing left
}

TEST(Wave, LinearizeKeepsAllButTheSecondAfterThePositionInOrder) {
  CWave shortWave;
  Ramp(shortWave, 1000);
  EXPECT_FALSE(shortWave.Linearize(0));  // one second or less
  EXPECT_EQ(shortWave.FrameCount(), 1000u);

  CWave w;
  Ramp(w, 3000);
  ASSERT_TRUE(w.Linearize(0));
  ASSERT_EQ(w.FrameCount(), 2000u);
  EXPECT_EQ(w.GetSample(0, kChannelLeft), 1000);
  EXPECT_EQ(w.GetSample(1999, kChannelLeft), 2999);

  // Stopped at 2500: the oldest frames are 3500 - 3000 = 500 onwards, up to 2499.
  CWave v;
  Ramp(v, 3000);
  ASSERT_TRUE(v.Linearize(2500));
  ASSERT_EQ(v.FrameCount(), 2000u);
  EXPECT_EQ(v.GetSample(0, kChannelLeft), 500);
  EXPECT_EQ(v.GetSample(1999, kChannelLeft), 2499);

  // Stopped at 1200: frames 2200..2999 are the oldest, then 0..1199.
  CWave u;
  Ramp(u, 3000);
  ASSERT_TRUE(u.Linearize(1200));
  ASSERT_EQ(u.FrameCount(), 2000u);
  EXPECT_EQ(u.GetSample(0, kChannelLeft), 2200);
  EXPECT_EQ(u.GetSample(799, kChannelLeft), 2999);
  EXPECT_EQ(u.GetSample(800, kChannelLeft), 0);
  EXPECT_EQ(u.GetSample(1999, kChannelLeft), 1199);
}

TEST(Wave, RingRecordingQueuesBothHalvesAndRequeuesTheFinishedOne) {
  FakeDevice device;
  CWave w;
  Ramp(w, 1001);
  w.SetDevice(&device);
  ASSERT_TRUE(w.RecordRing());
  ASSERT_EQ(device.requests.size(), 2u);
  EXPECT_EQ(device.requests[0].start, 0u);
  EXPECT_EQ(device.requests[0].count, 500u);
  EXPECT_EQ(device.requests[1].start, 500u);
  EXPECT_EQ(device.requests[1].count, 501u);
  EXPECT_TRUE(w.IsBusy());

  w.OnRecordDone(500);  // first half finished
  EXPECT_EQ(device.requests.back().start, 0u);
  EXPECT_FALSE(w.IsWrapped());
  w.OnRecordDone(1001);  // second half finished
  EXPECT_EQ(device.requests.back().start, 500u);
  EXPECT_EQ(device.requests.back().count, 501u);
  EXPECT_TRUE(w.IsWrapped());
  EXPECT_EQ(w.LastRecordPosition(), 1001u);

  EXPECT_TRUE(w.Stop());
  EXPECT_FALSE(w.IsBusy());
  EXPECT_FALSE(w.IsRing());
}

TEST(Wave, DeviceOperationsFailWithoutADevice) {
  CWave w;
  Ramp(w, 100);
  EXPECT_FALSE(w.Play(0, 0));
  EXPECT_FALSE(w.Record(0, 0));
  EXPECT_FALSE(w.RecordRing());
  EXPECT_TRUE(w.IsRing());  // the ring flag is set even without a device
  EXPECT_FALSE(w.Stop());
  EXPECT_EQ(w.GetRecordPosition(), 0u);
  EXPECT_EQ(w.GetPlayPosition(), 0u);
}

TEST(Wave, DevicePositionsFollowTheDeviceWhileBusy) {
  FakeDevice device;
  CWave w;
  Ramp(w, 100);
  w.SetDevice(&device);
  w.OnPlayDone(42);
  EXPECT_EQ(w.GetPlayPosition(), 42u);  // nothing queued: the last position
  ASSERT_TRUE(w.Play(0, 0));
  device.outputPosition = 60;
  EXPECT_EQ(w.GetPlayPosition(), 60u);
  // At the end, before the device's report has arrived: the end, not the old report.
  device.outputPosition = 100;
  EXPECT_EQ(w.GetPlayPosition(), 100u);
  device.outputPosition = 101;  // no frame of this wave: the last reported position
  EXPECT_EQ(w.GetPlayPosition(), 42u);
  w.Stop();
  EXPECT_EQ(device.closes, 2);
}

TEST(Wave, GetMinMaxReadsSparselyAndOrdersByReference) {
  CWave w;
  Ramp(w, 10000);
  double nearer = 0, farther = 0;
  w.GetMinMax(0, 10000, nearer, farther, 0.0, kChannelLeft);
  // Frame 0, then every 101st from frame 1: the last one read is 1 + 98 * 101 = 9899.
  EXPECT_DOUBLE_EQ(nearer, 0.0);
  EXPECT_DOUBLE_EQ(farther, 9899 * 0.30517578125);
  w.GetMinMax(0, 10000, nearer, farther, 10000.0, kChannelLeft);
  EXPECT_DOUBLE_EQ(nearer, 9899 * 0.30517578125);
  EXPECT_DOUBLE_EQ(farther, 0.0);
  w.GetMinMax(7, 7, nearer, farther, 0.0, kChannelLeft);
  EXPECT_DOUBLE_EQ(nearer, 7 * 0.30517578125);
  EXPECT_DOUBLE_EQ(farther, nearer);
}

TEST(Wave, ZoomRangeScalesAboutTheAnchorWithinTheLimit) {
  CWave w;
  Ramp(w, 10000);
  uint32_t s = 1000, e = 2000;
  EXPECT_FALSE(w.ZoomRange(s, e, 1500, 0.5, 10000));
  EXPECT_EQ(s, 1250u);
  EXPECT_EQ(e, 1750u);

  s = 1000, e = 2000;
  EXPECT_FALSE(w.ZoomRange(s, e, 1000, 2.0, 10000));
  EXPECT_EQ(s, 1000u);
  EXPECT_EQ(e, 3000u);

  // Growing past the start of the wave stops at frame 0 and reports the edge.
  s = 100, e = 200;
  EXPECT_TRUE(w.ZoomRange(s, e, 150, 4.0, 10000));
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(e, 350u);

  // Past the limit: the window keeps its width and ends at the limit.
  s = 9000, e = 9500;
  EXPECT_FALSE(w.ZoomRange(s, e, 9000, 2.0, 9800));
  EXPECT_EQ(e, 9800u);
  EXPECT_EQ(s, 8800u);

  // Wider than the limit: the edge flag, and the window becomes the limit.
  s = 100, e = 600;
  EXPECT_TRUE(w.ZoomRange(s, e, 100, 4.0, 1000));
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(e, 1000u);

  s = 5, e = 5;
  EXPECT_FALSE(w.ZoomRange(s, e, 5, 2.0, 100));
  EXPECT_EQ(s, 5u);
}

TEST(Wave, MsToFramesTruncatesAndDoesNotWrap) {
  CWave w;
  w.SetFormat(44100, 16, 2);
  EXPECT_EQ(w.MsToFrames(1000), 44100u);
  EXPECT_EQ(w.MsToFrames(1), 44u);
  EXPECT_EQ(w.MsToFrames(100000), 4410000u);  // 100000 * 44100 overflows 32 bits
}

TEST(Wave, CopyFromTakesFormatAndFrames) {
  CWave a;
  Fill16(a, 2, {1, 2, 3, 4});
  CWave b;
  ASSERT_TRUE(b.CopyFrom(a));
  EXPECT_EQ(b.Channels(), 2);
  EXPECT_EQ(b.FrameCount(), 2u);
  EXPECT_EQ(b.GetSample(1, kChannelRight), 4);
  CWave empty;
  ASSERT_TRUE(b.CopyFrom(empty));
  EXPECT_EQ(b.FrameCount(), 0u);
  EXPECT_EQ(b.Bits(), 8);
}

TEST(WaveRecord, RoundTripKeepsFormatFramesAndBytes) {
  CWave a;
  Fill16(a, 2, {1, -2, 300, -400, 32767, -32768});
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    ASSERT_TRUE(a.Serialize(ar));
  }
  ASSERT_EQ(mem.Size(), 18u + 4 + 4 + 12);
  mem.Seek(0);
  CArchive in(mem, CArchive::Mode::Load);
  CWave b;
  ASSERT_TRUE(b.Serialize(in));
  EXPECT_EQ(std::memcmp(&a.Format(), &b.Format(), sizeof(WaveFormatRecord)), 0);
  EXPECT_EQ(b.FrameCount(), 3u);
  EXPECT_EQ(std::memcmp(a.GetData(0), b.GetData(0), 12), 0);
}

TEST(WaveRecord, EmptyWaveStoresOnlyTheHeader) {
  CWave a;
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    a.Serialize(ar);
  }
  EXPECT_EQ(mem.Size(), 26u);
  mem.Seek(0);
  CArchive in(mem, CArchive::Mode::Load);
  CWave b;
  EXPECT_TRUE(b.Serialize(in));
  EXPECT_EQ(b.FrameCount(), 0u);
}

TEST(WaveRecord, LyingSizesAreRefusedBeforeAllocating) {
  auto record = [](uint16_t channels, uint16_t bits, uint16_t align, uint32_t dataSize,
                   uint32_t frames, size_t payload) {
    WaveFormatRecord f;
    f.channels = channels;
    f.bitsPerSample = bits;
    f.blockAlign = align;
    MemoryStream mem;
    {
      CArchive ar(mem, CArchive::Mode::Store);
      ar.Write(&f, sizeof f);
      ar.WriteU32(dataSize);
      ar.WriteU32(frames);
      std::vector<uint8_t> bytes(payload, 0x80);
      ar.Write(bytes.data(), bytes.size());
    }
    mem.Seek(0);
  CArchive in(mem, CArchive::Mode::Load);
    CWave w;
    bool ok = w.Serialize(in);
    return ok && w.FrameCount() == frames && !in.Failed();
  };
  EXPECT_TRUE(record(1, 8, 1, 10, 10, 10));
  EXPECT_FALSE(record(1, 8, 1, 0xFFFFFFF0u, 0xFFFFFFF0u, 10));  // claims 4 GB, holds 10 bytes
  EXPECT_FALSE(record(1, 8, 1, 10, 11, 11));                    // data size disagrees
  EXPECT_FALSE(record(2, 16, 2, 20, 10, 20));                   // block alignment lies
  EXPECT_FALSE(record(1, 8, 1, 10, 10, 9));                     // truncated samples
  EXPECT_FALSE(record(1, 24, 3, 30, 10, 30));                   // width we cannot read
  EXPECT_FALSE(record(1, 8, 1, 5, 0, 5));                       // bytes without frames
}

TEST(WaveTempFile, SaveAndLoadBack) {
  CWave a;
  Fill8(a, 1, {1, 2, 3, 250});
  std::string path = a.SaveToTempFile();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("/wft"), std::string::npos);
  CWave b;
  ASSERT_TRUE(b.LoadFromFile(path));
  EXPECT_EQ(b.FrameCount(), 4u);
  EXPECT_EQ(b.GetData(0)[3], 250);
  std::remove(path.c_str());
  EXPECT_FALSE(b.LoadFromFile(path));
}

TEST(WaveTempFile, ReportTempFileErrorTextsAndAnswers) {
  const std::string common =
      "テンポラリファイルの作成に失敗しました。\n"
      "以後ソンビューを終了するまでは、テンポラリファイルを使わず、\nすべてメモリで処理します。\n"
      "ディスクの空き領域が不足している場合がありますので、ご確認ください。\n";
  {
    RecordingPrompt prompt(PromptAnswer::Yes);
    UseTempFiles = true;
    EXPECT_TRUE(ReportTempFileError(1));
    EXPECT_FALSE(UseTempFiles);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "テンポラリファイル作成エラー");
    EXPECT_EQ(prompt.boxes[0].text, common + "\nメモリを使って処理を続行しますか？");
    EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::YesNo);
  }
  {
    RecordingPrompt prompt(PromptAnswer::Ok);
    EXPECT_FALSE(ReportTempFileError(2));
    EXPECT_EQ(prompt.boxes[0].text, common + "\n今回のコマンド処理は中止します。\n");
    EXPECT_FALSE(ReportTempFileError(0));
    EXPECT_EQ(prompt.boxes[1].text, common);
    EXPECT_EQ(prompt.boxes[1].buttons, PromptButtons::Ok);
  }
  UseTempFiles = true;
}
