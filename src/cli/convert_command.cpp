// sonvue-cli convert IN OUT [--rate R] [--bits 8|16] [--channels 1|2] ...: the program's
// format conversion of a WAVE file, optionally after its low-pass filter.
#include <cstdio>
#include <string>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "core/dsp/filter_run.h"
#include "core/wave/wave.h"

namespace {

// The rates the format dialog accepts for a rate of the user's choice.
constexpr unsigned long kMinRateHz = 5000;
constexpr unsigned long kMaxRateHz = 48000;
// The low-pass filter offered before lowering the rate: cutoff at half the new rate.
constexpr int kLowPassOrder = 150;
constexpr double kLowPassAttenuationDb = 60.0;
// Waves this short are not resampled.
constexpr uint32_t kShortWaveFrames = 9;

int RunConvert(CliArgs& args) {
  const CliCommand& self = kConvertCommand;
  if (args.Positional().size() != 2) return UsageError(self, "needs IN.wav and OUT.wav");
  ChannelPick pick;
  if (int status = ParsePickOption(args, self, pick); status != kExitOk) return status;
  // The command line is checked before anything is read.
  unsigned long rate = 0, bits = 0, channels = 0;
  if (!args.UInt("--rate", rate, 0) || !args.UInt("--bits", bits, 0) || !args.UInt("--channels", channels, 0)) {
    return UsageError(self, args.error());
  }
  if (args.Has("--rate") && (rate < kMinRateHz || rate > kMaxRateHz)) {
    return UsageError(self, "--rate must lie from 5000 to 48000 Hz");
  }
  if (args.Has("--bits") && bits != 8 && bits != 16) return UsageError(self, "--bits must be 8 or 16");
  if (args.Has("--channels") && channels != 1 && channels != 2) return UsageError(self, "--channels must be 1 or 2");
  if (int status = RefuseOutputOverInput(self, args.Positional()[0], args.Positional()[1]); status != kExitOk)
    return status;
  CliInput input;
  if (int status = input.Open(self, args.Positional()[0]); status != kExitOk) return status;
  const std::string& in = input.Name();
  CWave wave;
  if (int status = LoadInputWave(self, input, wave, pick); status != kExitOk) return status;
  if (!args.Has("--rate")) rate = wave.Rate();
  if (!args.Has("--bits")) bits = wave.Bits();
  if (!args.Has("--channels")) channels = wave.Channels();

  const bool same = rate == wave.Rate() && bits == wave.Bits() && channels == wave.Channels();
  if (!same) {
    if (wave.FrameCount() <= kShortWaveFrames) {
      std::fprintf(stderr, "sonvue-cli convert: %s has 9 frames or fewer and is not converted\n", in.c_str());
      return kExitRefused;
    }
    FilterRun run;
    run.SetKeepBackup(false);  // IN stays as it was; OUT is written only after a whole run
    run.SetWave(&wave);
    if (args.Has("--lowpass") && rate < wave.Rate()) {
      run.SetFilter(FilterType::kLowPass, kLowPassOrder, rate * 0.0005, 0, kLowPassAttenuationDb, &wave,
                    kFilterBoth);
    }
    run.SetConversion(static_cast<uint32_t>(rate), static_cast<uint16_t>(bits), static_cast<uint16_t>(channels),
                      args.Has("--subtract"));
    if (RunWithProgressLine(run) != FilterRun::Result::kDone) {
      std::fprintf(stderr, "sonvue-cli convert: %s could not be converted\n", in.c_str());
      return kExitRefused;
    }
  }
  return WriteWaveOutput(self, wave, args.Positional()[1]);
}

}  // namespace

extern const CliCommand kConvertCommand = {
    "convert",
    "convert an audio file's rate, bits and channels as the program does",
    "usage: sonvue-cli convert IN OUT.wav [--rate R] [--bits 8|16] [--channels 1|2]\n"
    "                          [--subtract] [--lowpass] [--pick A,B]\n"
    "example: sox in.flac -t wav - | sonvue-cli convert - out.wav --rate 22050 --lowpass\n"
    "\n"
    "Converts as the program's format conversion does: between 11025, 22050 and 44100 Hz\n"
    "by whole-number ratios (lowering picks every 2nd or 4th frame), between other rates\n"
    "(5000 to 48000 Hz) by six-point spline interpolation. Anything not given stays as it\n"
    "is. Two channels become one as their half sum, or with --subtract their half\n"
    "difference. --lowpass first filters with the program's low-pass filter at half the\n"
    "new rate (order 150, 60 dB) when the rate is lowered. Files of 9 frames or fewer\n"
    "are refused. On a terminal a progress line is shown. IN - reads standard input, OUT -\n"
    "writes standard output.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--rate", "--bits", "--channels", "--pick"}, {"--subtract", "--lowpass"}},
    RunConvert,
};
