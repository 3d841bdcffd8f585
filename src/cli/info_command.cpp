// sonvue-cli info FILE: the format and length of a WAVE file.
#include <cstdio>

#include "cli/commands.h"
#include "core/wave/wave.h"

namespace {

int RunInfo(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kInfoCommand, "needs exactly one FILE");
  const std::string& path = args.Positional()[0];
  CWave wave;
  if (!wave.LoadWaveFile(path)) {
    // A missing file is the one refusal the program itself does not put into a box.
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) std::fprintf(stderr, "sonvue-cli info: %s: no such file\n", path.c_str());
    else std::fclose(probe);
    return kExitRefused;
  }
  const WaveFormatRecord& f = wave.Format();
  std::printf("format: %s\n", f.formatTag == kWaveFormatPcm ? "PCM" : "unknown");
  std::printf("channels: %u\n", unsigned{f.channels});
  std::printf("rate: %u\n", unsigned{f.samplesPerSec});
  std::printf("bits: %u\n", unsigned{f.bitsPerSample});
  std::printf("block_align: %u\n", unsigned{f.blockAlign});
  std::printf("frames: %u\n", unsigned{wave.FrameCount()});
  std::printf("seconds: %.6f\n", f.samplesPerSec ? double(wave.FrameCount()) / f.samplesPerSec : 0.0);
  return kExitOk;
}

}  // namespace

extern const CliCommand kInfoCommand = {
    "info",
    "format, channels, rate and length of a WAVE file",
    "usage: sonvue-cli info FILE.wav\n"
    "\n"
    "Reads the file as the program opens it and prints one \"key: value\" per line:\n"
    "format, channels, rate, bits, block_align, frames, seconds (six decimals).\n"
    "A file the program refuses exits 1, with the program's messages on stderr.\n",
    {},
    RunInfo,
};
