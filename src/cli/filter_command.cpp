// sonvue-cli filter IN OUT --type lp|hp|bp|bs --f1 HZ [--f2 HZ] ...: the program's FIR
// filter over a WAVE file, written to a new WAVE file.
#include <cstdio>
#include <map>
#include <string>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "core/dsp/filter_run.h"
#include "core/wave/wave.h"

namespace {

int RunFilter(CliArgs& args) {
  const CliCommand& self = kFilterCommand;
  if (args.Positional().size() != 2) return UsageError(self, "needs IN.wav and OUT.wav");
  static const std::map<std::string, FilterType> types = {{"lp", FilterType::kLowPass},
                                                          {"hp", FilterType::kHighPass},
                                                          {"bp", FilterType::kBandPass},
                                                          {"bs", FilterType::kBandStop}};
  static const std::map<std::string, int> channelChoices = {
      {"both", kFilterBoth}, {"left", kFilterLeft}, {"right", kFilterRight}};
  auto type = types.find(args.Value("--type").value_or(""));
  if (type == types.end()) return UsageError(self, "--type must be lp, hp, bp or bs");
  auto channel = channelChoices.find(args.Value("--channel").value_or("both"));
  if (channel == channelChoices.end()) return UsageError(self, "--channel must be both, left or right");
  const bool band = type->second == FilterType::kBandPass || type->second == FilterType::kBandStop;
  if (!args.Has("--f1") || (band && !args.Has("--f2"))) {
    return UsageError(self, band ? "a band needs --f1 and --f2" : "needs --f1");
  }
  double f1 = 0, f2 = 0, attenuation = 0;
  unsigned long order = 0;
  if (!args.Double("--f1", f1, 0) || !args.Double("--f2", f2, 0) ||
      !args.Double("--attenuation", attenuation, 50) || !args.UInt("--order", order, 200)) {
    return UsageError(self, args.error());
  }
  if (order < kMinFilterOrder || order > kMaxFilterOrder) {
    return UsageError(self, "--order must lie from 2 to 300");
  }

  ChannelPick pick;
  if (int status = ParsePickOption(args, self, pick); status != kExitOk) return status;
  if (int status = RefuseOutputOverInput(self, args.Positional()[0], args.Positional()[1]); status != kExitOk)
    return status;
  CliInput input;
  if (int status = input.Open(self, args.Positional()[0]); status != kExitOk) return status;
  const std::string& in = input.Name();
  CWave wave;
  if (int status = LoadInputWave(self, input, wave, pick); status != kExitOk) return status;
  const double nyquist = wave.Rate() / 2;
  if (!(f1 > 0 && f1 < nyquist) || (band && !(f2 > f1 && f2 < nyquist))) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.0f", nyquist);
    return RefuseFile(self, in, std::string("the edges must lie above 0 Hz and below the Nyquist frequency (") +
                                    limit + " Hz)" + (band ? ", with --f1 below --f2" : ""));
  }
  int choice = channel->second;
  if (wave.Channels() < 2) {
    if (choice == kFilterRight) {
      return RefuseFile(self, in, "has one channel only");
    }
    choice = kFilterLeft;
  }

  FilterRun run;
  run.SetKeepBackup(false);  // IN stays as it was; OUT is written only after a whole run
  if (!run.SetFilter(type->second, static_cast<int>(order), f1 * 0.001, f2 * 0.001, attenuation, &wave,
                     choice)) {
    return RefuseFile(self, in, "no filter can be designed from these values");
  }
  RunWithProgressLine(run);
  return WriteWaveOutput(self, wave, args.Positional()[1]);
}

}  // namespace

extern const CliCommand kFilterCommand = {
    "filter",
    "filter an audio file with the program's linear-phase FIR filter",
    "usage: sonvue-cli filter IN OUT.wav --type lp|hp|bp|bs --f1 HZ [--f2 HZ]\n"
    "                         [--order N] [--attenuation DB] [--channel both|left|right]\n"
    "                         [--pick A,B]\n"
    "example: sonvue-cli filter in.wav - --type hp --f1 100 | sonvue-cli spectrum - --csv\n"
    "\n"
    "Designs a low-pass (lp, edge f1), high-pass (hp, edge f1), band-pass or band-stop\n"
    "(bp, bs: f1 to f2) filter by the Kaiser window method, of order N (2 to 300, default\n"
    "200; an odd order ends with a zero tap) and stop-band attenuation DB (default 50),\n"
    "and applies it as the program's filter command does: in place, output lagging by\n"
    "N/2 frames, values truncated to 16 bits. Edges lie above 0 Hz and below half the\n"
    "rate. --channel picks the channels of a stereo file (default both). OUT is written\n"
    "only when the whole file was filtered. On a terminal a progress line is shown.\n"
    "IN - reads standard input, OUT - writes standard output.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--type", "--f1", "--f2", "--order", "--attenuation", "--channel", "--pick"}, {}},
    RunFilter,
};
