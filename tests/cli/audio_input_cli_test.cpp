// sonvue-cli with audio files other than plain PCM WAVE: info from headers, --stats,
// --pick, and the commands that read a wave taking FLAC and friends.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <fcntl.h>

#include "cli_run.h"
#include "core/wave/wave.h"
#include "support/audio_writer.h"
#include "support/recording_prompt.h"
#include "support/riff_builder.h"
#include "support/temp_dir.h"

namespace {

// A 24-bit six-channel FLAC file of 4800 frames at 96 kHz; channel c holds 100 * c in
// 16-bit steps.
std::string WriteSixChannelFlac(const TempDir& dir) {
  std::vector<int32_t> samples;
  for (int i = 0; i < 4800; ++i) {
    for (int c = 1; c <= 6; ++c) samples.push_back((100 * c) << 16);
  }
  const std::string path = dir.Path("six.flac");
  EXPECT_TRUE(WriteAudioInts(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 6, samples));
  return path;
}

}  // namespace

TEST(CliAudioInput, InfoTellsTheSourceAndWhatItOpensAs) {
  TempDir dir;
  const std::string flac = WriteSixChannelFlac(dir);
  CliResult r = RunSonvueCli({"info", flac});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "format: PCM\nchannels: 2\nrate: 96000\nbits: 16\nblock_align: 4\nframes: 4800\nseconds: 0.050000\n"
            "source: FLAC, 24 bits, 96000 Hz, 6 channels; opened as 16 bits, 2 channels (1, 2)\n");
  EXPECT_EQ(r.err, "");  // nothing is converted when only the headers are read
  r = RunSonvueCli({"info", flac, "--pick", "5,3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("opened as 16 bits, 2 channels (5, 3)\n"), std::string::npos) << r.out;
}

TEST(CliAudioInput, InfoStatsGivesLevelsPerChannelAgainstFullScale) {
  TempDir dir;
  // Left: a square wave at half scale (peak and RMS -6.02 dB, no offset); right: a constant
  // 328 (peak, RMS and offset all 20 log10(328 / 32768) = -39.99 dB).
  std::vector<int32_t> samples;
  for (int i = 0; i < 1000; ++i) {
    samples.push_back((i % 2 ? 16384 : -16384) << 16);
    samples.push_back(328 << 16);
  }
  ASSERT_TRUE(WriteAudioInts(dir.Path("levels.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, samples));
  CliResult r = RunSonvueCli({"info", "--stats", dir.Path("levels.flac")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("frames: 1000\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("peak_dbfs: -6.02 -39.99\nrms_dbfs: -6.02 -39.99\ndc_offset_dbfs: -inf -39.99\n"),
            std::string::npos)
      << r.out;
  // The conversion is said on stderr, and the run still succeeds.
  EXPECT_NE(r.err.find("FLAC（16ビット、44100 Hz、2チャンネル）を16ビット・2チャンネルに変換して開きました。"), std::string::npos)
      << r.err;
}

TEST(CliAudioInput, InfoReadsOnlyTheHeaderOfAHugeWaveFile) {
  // A sparse file of almost 4 GiB: loading it would take seconds and gigabytes; its header
  // is all info needs.
  TempDir dir;
  const uint32_t dataBytes = 0xFFFFFF00u;
  std::vector<uint8_t> head = RiffBuilder().Chunk("fmt ", RiffBuilder::Fmt(1, 2, 44100, 16)).Build(4 + 24 + 8 + int64_t{dataBytes});
  const uint8_t dataHeader[8] = {'d', 'a', 't', 'a', 0x00, 0xFF, 0xFF, 0xFF};
  head.insert(head.end(), dataHeader, dataHeader + 8);
  const std::string path = dir.Path("huge.wav");
  WriteAllBytes(path, head);
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(head.size() + dataBytes)), 0);
  CliResult r = RunSonvueCli({"info", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("frames: 1073741760\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("chunks: fmt 16, data 4294967040\n"), std::string::npos) << r.out;
}

TEST(CliAudioInput, PickIsCheckedAndCommandsReadConvertedFiles) {
  TempDir dir;
  const std::string flac = WriteSixChannelFlac(dir);
  // Malformed picks are command-line errors; channels the file lacks are refusals.
  for (const char* bad : {"3", "0,1", "a,b", "1,2,3", "-1,2"}) {
    EXPECT_EQ(RunSonvueCli({"info", flac, "--pick", bad}).status, 2) << bad;
  }
  CliResult r = RunSonvueCli({"cut", flac, dir.Path("x.wav"), "--pick", "4,7"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("チャンネル 4 と 7 は選べません。このファイルのチャンネル数は 6 です。"), std::string::npos) << r.err;

  r = RunSonvueCli({"cut", flac, dir.Path("cut.wav"), "--from", "100", "--to", "300", "--pick", "6,5"});
  ASSERT_EQ(r.status, 0) << r.err;
  RecordingPrompt quiet;
  CWave out;
  ASSERT_TRUE(out.LoadWaveFile(dir.Path("cut.wav")));
  EXPECT_EQ(out.FrameCount(), 200u);
  EXPECT_EQ(out.Bits(), 16);
  EXPECT_EQ(out.GetSample(0, kChannelLeft), 600);
  EXPECT_EQ(out.GetSample(0, kChannelRight), 500);
  EXPECT_FALSE(out.Source());  // the cut is a plain WAVE file

  r = RunSonvueCli({"render", flac, dir.Path("page.png"), "--pick", "3,4"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(ReadAllBytes(dir.Path("page.png")).empty());
  r = RunSonvueCli({"doc", flac, dir.Path("six.wft")});
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunSonvueCli({"info", dir.Path("six.wft"), "--stats"});
  EXPECT_EQ(r.status, 2);
}

TEST(CliAudioInput, InfoKeepsTheExtensibleHeadersFieldsOfAFileReadAsItIs) {
  TempDir dir;
  WriteAllBytes(dir.Path("ext.wav"), RiffBuilder()
                                         .Chunk("fmt ", RiffBuilder::ExtensibleFmt(2, 48000, 16, 1, 12, 0x3))
                                         .Chunk("data", std::vector<uint8_t>(400, 7))
                                         .Build());
  CliResult r = RunSonvueCli({"info", dir.Path("ext.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "format: PCM\nchannels: 2\nrate: 48000\nbits: 16\nblock_align: 4\nframes: 100\nseconds: 0.002083\n"
            "valid_bits: 12\nchannel_mask: 0x3\nchunks: fmt 40, data 400\n");
  EXPECT_EQ(r.err, "");
}
