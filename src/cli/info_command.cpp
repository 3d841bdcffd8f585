// sonvue-cli info FILE: the format and length of an audio file, read from its headers
// alone (no sample is read unless --stats asks for levels), and for a ".wft" document also
// its page, its boxes and its analysis settings.
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/doc/wav_doc.h"
#include "core/dsp/level_stats.h"
#include "core/io/byte_stream.h"
#include "core/platform/prompt.h"
#include "core/wave/audio_file.h"
#include "core/wave/wave.h"

namespace {

// Prints the format; false when the wave it describes holds no frame.
bool PrintFormat(const WaveFormatRecord& f, uint64_t frames) {
  std::printf("format: %s\n", f.formatTag == kWaveFormatPcm ? "PCM" : "unknown");
  std::printf("channels: %u\n", unsigned{f.channels});
  std::printf("rate: %u\n", unsigned{f.samplesPerSec});
  std::printf("bits: %u\n", unsigned{f.bitsPerSample});
  std::printf("block_align: %u\n", unsigned{f.blockAlign});
  std::printf("frames: %llu\n", static_cast<unsigned long long>(frames));
  std::printf("seconds: %.6f\n", f.samplesPerSec ? double(frames) / f.samplesPerSec : 0.0);
  return frames > 0;
}

bool PrintWave(const CWave& wave) { return PrintFormat(wave.Format(), wave.FrameCount()); }

// The chunk list of a RIFF/WAVE file: "fmt 16, LIST 26, data 88200".
void PrintChunks(const WaveFileHeader& h) {
  std::string list;
  for (const WaveChunkEntry& c : h.chunks) {
    std::string id(c.id.data(), 4);
    for (char& ch : id) {
      if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) > 0x7E) ch = '?';
    }
    while (!id.empty() && id.back() == ' ') id.pop_back();
    if (!list.empty()) list += ", ";
    list += id + " " + std::to_string(c.sizeInBytes);
  }
  std::printf("chunks: %s\n", list.c_str());
}

void PrintExtensible(const WaveFileHeader& h) {
  if (!h.extensible) return;
  std::printf("valid_bits: %u\n", unsigned{h.validBits});
  std::printf("channel_mask: 0x%X\n", unsigned{h.channelMask});
}

// What opening the file would give, from its headers; false when that holds no frame.
bool PrintProbe(const AudioProbe& probe) {
  bool samples = true;
  if (probe.outcome == AudioReadOutcome::kReadAsWave) {
    const WaveFileHeader& h = probe.waveHeader;
    samples = PrintFormat(h.format, h.format.blockAlign ? h.dataBytes / h.format.blockAlign : 0);
  } else {
    const SourceFormat& s = probe.import.source;
    WaveFormatRecord f;
    f.channels = static_cast<uint16_t>(s.secondChannel > 0 ? 2 : 1);
    f.samplesPerSec = s.rateHz;
    f.bitsPerSample = 16;
    f.blockAlign = static_cast<uint16_t>(2 * f.channels);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    // A length the header does not state is not known to be 0.
    samples = PrintFormat(f, probe.import.framesClaimed) || !probe.import.lengthKnown;
    std::printf("%s\n", SourceLine(s, 16).c_str());
  }
  if (probe.riffWave) {
    PrintExtensible(probe.waveHeader);
    PrintChunks(probe.waveHeader);
  }
  return samples;
}

std::string Decibels(double db) {
  if (std::isinf(db)) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", db);
  return text;
}

void PrintLevels(const CWave& wave) {
  const std::vector<ChannelLevels> levels = MeasureLevels(wave);
  std::string peak, rms, dc;
  for (const ChannelLevels& l : levels) {
    if (!peak.empty()) {
      peak += ' ';
      rms += ' ';
      dc += ' ';
    }
    peak += Decibels(l.PeakDb());
    rms += Decibels(l.RmsDb());
    dc += Decibels(l.DcOffsetDb());
  }
  std::printf("peak_dbfs: %s\nrms_dbfs: %s\ndc_offset_dbfs: %s\n", peak.c_str(), rms.c_str(), dc.c_str());
}
std::string BoxName(int type) {
  static const char* const names[13] = {"wave:L", "wave:R", "wave:M", "fft:L", "fft:R", "fft:M", "fft3d:L",
                                        "fft3d:R", "fft3d:M", "", "", "", "info"};
  return type >= 0 && type < 13 ? names[type] : "";
}

std::string Averaging(const AnalysisSettings& s) {
  int code = AveragingCodeOf(s);
  if (code == 1) return "none";
  if (code == kAveragingCodeCumulative) return "all";
  if (code == kAveragingCodePeakHold) return "peak";
  return std::to_string(code);
}

void PrintDocument(CWavDoc& doc) {
  std::printf("document: wft\n");
  PrintWave(doc.Wave());
  std::printf("page: %d x %d\n", doc.Page().width, doc.Page().height);
  std::string boxes;
  for (int type = 0; type < 13; ++type) {
    if (!doc.GetBox(type)) continue;
    if (!boxes.empty()) boxes += ",";
    boxes += BoxName(type);
  }
  std::printf("boxes: %s\n", boxes.c_str());
  const AnalysisSettings& s = doc.Settings();
  std::printf("block_size: %u\n", unsigned{s.blockSize});
  std::printf("averaging: %s\n", Averaging(s).c_str());
  std::printf("overlap: %d\n", s.overlapIndex);
  std::printf("window: %s\n", (s.fftFlags & kFftWindow) ? "on" : "off");
  std::printf("mean_removal: %s\n", (s.fftFlags & kFftMeanRemoval) ? "on" : "off");
  std::printf("fft_range: %u %u\n", unsigned{s.fftRangeStart}, unsigned{s.fftRangeEnd});
  if (s.triggerOn) {
    std::printf("trigger: on channel %d %s level %.3f delay %d\n", s.triggerChannel,
                s.triggerSlope ? "falling" : "rising", s.triggerLevel, s.triggerDelayFrames);
  } else {
    std::printf("trigger: off\n");
  }
  const char* modes[3] = {"off", "recording", "playback"};
  std::printf("real_time: %s\n", s.realTimeMode >= 0 && s.realTimeMode <= 2 ? modes[s.realTimeMode] : "off");
}

int RunInfo(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kInfoCommand, "needs exactly one FILE");
  ChannelPick pick;
  if (int status = ParsePickOption(args, kInfoCommand, pick); status != kExitOk) return status;
  const CliCommand& self = kInfoCommand;
  CliInput input;
  if (int status = input.Open(self, args.Positional()[0]); status != kExitOk) return status;
  const std::string& path = input.Path();
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) return RefuseFile(self, input.Name(), "cannot be opened");
  if (OpensAsDocument(path)) {
    if (args.Has("--stats") || args.Has(kPickOption)) {
      return UsageError(self, "--stats and --pick apply to audio files, not to a .wft document");
    }
    CWavDoc doc;
    if (!doc.OnOpenDocument(path, ChannelPick{}, input.Name())) return RefuseFile(self, input.Name(), "cannot be read");
    PrintDocument(doc);
    return kExitOk;
  }
  const AudioProbe probe = ProbeAudioFile(file, pick);
  if (probe.outcome == AudioReadOutcome::kFailed) {
    AppMessage("Failed to load file");
    AppMessage(CannotOpenMessage(input.Name(), probe.unreadableNote));
    return RefuseFile(self, input.Name(), "cannot be read");
  }
  // An empty wave is described, and refused as every command refuses it.
  if (!args.Has("--stats")) {
    if (!PrintProbe(probe)) return RefuseFile(self, input.Name(), kNoSamplesMessage);
    return kExitOk;
  }
  // The levels need the samples: the file is opened as the program opens it, and the
  // format printed is what was read.
  CWave wave;
  if (!wave.LoadWaveFile(path, pick, input.Name())) return RefuseFile(self, input.Name(), "cannot be read");
  if (!PrintWave(wave)) return RefuseFile(self, input.Name(), kNoSamplesMessage);
  if (wave.Source()) std::printf("%s\n", SourceLine(*wave.Source(), wave.Bits()).c_str());
  if (probe.riffWave) {
    PrintExtensible(probe.waveHeader);
    PrintChunks(probe.waveHeader);
  }
  PrintLevels(wave);
  return kExitOk;
}

}  // namespace

extern const CliCommand kInfoCommand = {
    "info",
    "format and length of an audio file (headers only); page, boxes and settings of a document",
    "usage: sonvue-cli info FILE|FILE.wft [--stats] [--pick A,B]\n"
    "example: sox in.flac -t wav - | sonvue-cli info - --stats\n"
    "\n"
    "Prints one \"key: value\" per line, read from the file's headers (no sample is read):\n"
    "format, channels, rate, bits, block_align, frames, seconds (six decimals) of the wave\n"
    "the program makes of the file. A file that is converted on opening adds its source\n"
    "(\"source: FLAC, 24 bits, 96000 Hz, 6 channels; opened as 16 bits, 2 channels (1, 2)\");\n"
    "a RIFF/WAVE file adds its chunk list (\"chunks: fmt 16, data 88200\") and, with the\n"
    "extensible header, valid_bits and channel_mask. A .wft document adds its page\n"
    "(0.1 mm), its boxes (info, wave:L|R|M, fft:L|R|M, fft3d:L|R|M) and its analysis\n"
    "settings. A file the program refuses exits 1, with the program's messages on stderr;\n"
    "so does a wave of no frames, after its description. FILE - reads standard input.\n"
    "\n"
    "  --stats          opens the samples and adds, per channel (left first), the peak, the\n"
    "                   RMS and the DC offset in dB against full scale (peak_dbfs, rms_dbfs,\n"
    "                   dc_offset_dbfs; a full-scale sine has peak 0.00 and RMS -3.01;\n"
    "                   silence is -inf); the format lines are then those of the opened wave\n"
    SONVUE_PICK_HELP,
    {{"--pick"}, {"--stats"}},
    RunInfo,
};
