// sonvue-cli info FILE: the format and length of a WAVE file, and for a ".wft" document also
// its page, its boxes and its analysis settings.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "core/doc/wav_doc.h"
#include "core/wave/wave.h"

namespace {

void PrintWave(const CWave& wave) {
  const WaveFormatRecord& f = wave.Format();
  std::printf("format: %s\n", f.formatTag == kWaveFormatPcm ? "PCM" : "unknown");
  std::printf("channels: %u\n", unsigned{f.channels});
  std::printf("rate: %u\n", unsigned{f.samplesPerSec});
  std::printf("bits: %u\n", unsigned{f.bitsPerSample});
  std::printf("block_align: %u\n", unsigned{f.blockAlign});
  std::printf("frames: %u\n", unsigned{wave.FrameCount()});
  std::printf("seconds: %.6f\n", f.samplesPerSec ? double(wave.FrameCount()) / f.samplesPerSec : 0.0);
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
  const std::string& path = args.Positional()[0];
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    std::fprintf(stderr, "sonvue-cli info: %s: no such file\n", path.c_str());
    return kExitRefused;
  }
  std::fclose(probe);
  if (!IsWavePath(path)) {
    CWavDoc doc;
    if (!doc.OnOpenDocument(path)) return kExitRefused;
    PrintDocument(doc);
    return kExitOk;
  }
  CWave wave;
  if (!wave.LoadWaveFile(path)) return kExitRefused;
  PrintWave(wave);
  return kExitOk;
}

}  // namespace

extern const CliCommand kInfoCommand = {
    "info",
    "format and length of a WAVE file; page, boxes and settings of a document",
    "usage: sonvue-cli info FILE.wav|FILE.wft\n"
    "\n"
    "Reads the file as the program opens it and prints one \"key: value\" per line:\n"
    "format, channels, rate, bits, block_align, frames, seconds (six decimals).\n"
    "A .wft document adds its page (0.1 mm), its boxes (info, wave:L|R|M, fft:L|R|M,\n"
    "fft3d:L|R|M) and its analysis settings. A file the program refuses exits 1, with\n"
    "the program's messages on stderr.\n",
    {},
    RunInfo,
};
