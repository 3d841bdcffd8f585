// sonvue-cli cut IN OUT --from A --to B: a range of frames of an audio file saved as a WAVE
// file.
#include <cstdio>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/wave/wave.h"

namespace {

int RunCut(CliArgs& args) {
  const CliCommand& self = kCutCommand;
  if (args.Positional().size() != 2) return UsageError(self, "needs IN and OUT.wav");
  unsigned long from = 0, to = 0;
  if (!args.UInt("--from", from, 0) || !args.UInt("--to", to, 0)) return UsageError(self, args.error());
  ChannelPick pick;
  if (int status = ParsePickOption(args, self, pick); status != kExitOk) return status;
  const std::string& outArgument = args.Positional()[1];
  if (int status = RefuseOutputOverInput(self, args.Positional()[0], outArgument); status != kExitOk)
    return status;
  CliInput in;
  if (int status = in.Open(self, args.Positional()[0]); status != kExitOk) return status;
  CWave wave;
  if (int status = LoadInputWave(self, in, wave, pick); status != kExitOk) return status;
  if (from != 0 && from >= to) {
    return RefuseFile(self, in.Name(),
                      "refused range " + std::to_string(from) + ".." + std::to_string(to) +
                          " (from must lie below to); " + outArgument + " was not written");
  }
  // The save's own rules for a range that reaches past the end are kept, and said.
  const uint32_t frames = wave.FrameCount();
  const std::string range = std::to_string(from) + ".." + std::to_string(to);
  std::string note;
  if (from >= frames) {
    note = "the range " + range + " starts past the end of its " + std::to_string(frames) +
           " frames, so the whole wave (frames 0.." + std::to_string(frames) + ") was saved";
  } else if (to > frames) {
    note = "the range " + range + " ends past the end of its " + std::to_string(frames) + " frames, so frames " +
           std::to_string(from) + ".." + std::to_string(frames) + " were saved";
  }
  const int status = WriteWaveOutput(self, wave, outArgument, static_cast<uint32_t>(from), static_cast<uint32_t>(to));
  if (status == kExitOk && !note.empty()) std::fprintf(stderr, "sonvue-cli cut: %s: %s\n", in.Name().c_str(), note.c_str());
  return status;
}

}  // namespace

extern const CliCommand kCutCommand = {
    "cut",
    "save a range of frames of an audio file as a new WAVE file",
    "usage: sonvue-cli cut IN OUT.wav [--from A] [--to B] [--pick A,B]\n"
    "example: sonvue-cli cut take.wav - --from 44100 --to 88200 | sonvue-cli info -\n"
    "\n"
    "Saves frames A up to (not including) B as the program's \"save wave\" does:\n"
    "A = B = 0 (the default) saves the whole wave; a start at or beyond the end of the\n"
    "wave saves the whole wave, and an end beyond it saves up to the last frame (either is\n"
    "said on stderr); a nonzero A not below B is refused (exit 1) and OUT is left\n"
    "untouched. OUT is replaced only when it has been written completely; OUT may not be\n"
    "IN itself. IN - reads standard input, OUT - writes standard output.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--from", "--to", "--pick"}, {}},
    RunCut,
};
