// sonvue-cli cut IN OUT --from A --to B: a range of frames of an audio file saved as a WAVE
// file.
#include <cstdio>

#include "cli/audio_input.h"
#include "cli/commands.h"
#include "core/wave/wave.h"

namespace {

int RunCut(CliArgs& args) {
  if (args.Positional().size() != 2) return UsageError(kCutCommand, "needs IN and OUT.wav");
  unsigned long from = 0, to = 0;
  if (!args.UInt("--from", from, 0) || !args.UInt("--to", to, 0)) {
    return UsageError(kCutCommand, args.error());
  }
  if (int status = RefuseOutputOverInput(kCutCommand, args.Positional()[0], args.Positional()[1]); status != kExitOk)
    return status;
  ChannelPick pick;
  if (int status = ParsePickOption(args, kCutCommand, pick); status != kExitOk) return status;
  CWave wave;
  if (!wave.LoadWaveFile(args.Positional()[0], pick)) {
    std::fprintf(stderr, "sonvue-cli cut: %s cannot be read\n", args.Positional()[0].c_str());
    return kExitRefused;
  }
  if (from != 0 && from >= to) {
    std::fprintf(stderr, "sonvue-cli cut: refused range %lu..%lu (from must lie below to)\n", from, to);
    return kExitRefused;
  }
  if (!wave.SaveWaveFile(args.Positional()[1], static_cast<uint32_t>(from), static_cast<uint32_t>(to))) {
    return kExitRefused;
  }
  return kExitOk;
}

}  // namespace

extern const CliCommand kCutCommand = {
    "cut",
    "save a range of frames of an audio file as a new WAVE file",
    "usage: sonvue-cli cut IN OUT.wav [--from A] [--to B] [--pick A,B]\n"
    "\n"
    "Saves frames A up to (not including) B as the program's \"save wave\" does:\n"
    "A = B = 0 (the default) saves the whole wave; a start at or beyond the end of the\n"
    "wave saves the whole wave; a nonzero A not below B is refused (exit 1) and OUT is\n"
    "left untouched. OUT is replaced only when it has been written completely; OUT may\n"
    "not be IN itself.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--from", "--to", "--pick"}, {}},
    RunCut,
};
