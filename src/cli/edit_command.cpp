// sonvue-cli edit IN OUT OPERATION: one of the editing dialog's operations that needs no
// second buffer, on a range of frames and a channel, saved as a new WAVE file.
#include <cstdio>
#include <set>
#include <string>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "core/wave/wave.h"

namespace {

// The editing dialog's limits and starting values.
constexpr unsigned long kMaxLevelPercent = 10000;
constexpr unsigned long kMaxEchoMs = 10000;
constexpr unsigned long kMaxResidualPercent = 100;
constexpr unsigned long kDefaultEchoMs = 100;
constexpr unsigned long kDefaultResidualPercent = 10;

struct Operation {
  const char* name;
  std::set<std::string> options;  // the options of its own, beside --from, --to, --channel
};

const Operation kOperations[] = {
    {"level", {"--percent", "--soft"}},
    {"fade-in", {}},
    {"fade-out", {}},
    {"reverse", {}},
    {"echo", {"--delay-ms", "--residual"}},
    {"delete", {}},
};

const Operation* FindOperation(const std::string& name) {
  for (const Operation& op : kOperations) {
    if (name == op.name) return &op;
  }
  return nullptr;
}

int RunEdit(CliArgs& args) {
  const auto& pos = args.Positional();
  if (pos.size() != 3) return UsageError(kEditCommand, "needs IN.wav, OUT.wav and an operation");
  const Operation* op = FindOperation(pos[2]);
  if (!op) return UsageError(kEditCommand, "unknown operation \"" + pos[2] + "\"");
  for (const char* name : {"--percent", "--soft", "--delay-ms", "--residual"}) {
    if (args.Has(name) && !op->options.count(name)) {
      return UsageError(kEditCommand, std::string(name) + " does not belong to " + op->name);
    }
  }
  const std::string channel = args.Value("--channel").value_or("both");
  int selector;
  if (channel == "both") selector = kChannelBoth;
  else if (channel == "left") selector = kChannelLeft;
  else if (channel == "right") selector = kChannelRight;
  else return UsageError(kEditCommand, "--channel takes both, left or right, not \"" + channel + "\"");
  if (op->name == std::string("delete") && selector != kChannelBoth) {
    return UsageError(kEditCommand, "delete removes whole frames: --channel must be both");
  }
  unsigned long percent = 0, delayMs = 0, residual = 0;
  if (op->name == std::string("level")) {
    if (!args.Has("--percent")) return UsageError(kEditCommand, "level needs --percent P");
    if (!args.UInt("--percent", percent, 100)) return UsageError(kEditCommand, args.error());
    if (percent > kMaxLevelPercent) return UsageError(kEditCommand, "--percent lies from 0 to 10000");
  }
  if (!args.UInt("--delay-ms", delayMs, kDefaultEchoMs) || !args.UInt("--residual", residual, kDefaultResidualPercent)) {
    return UsageError(kEditCommand, args.error());
  }
  if (delayMs > kMaxEchoMs) return UsageError(kEditCommand, "--delay-ms lies from 0 to 10000");
  if (residual > kMaxResidualPercent) return UsageError(kEditCommand, "--residual lies from 0 to 100");

  unsigned long from = 0, to = 0;
  if (!args.UInt("--from", from, 0) || !args.UInt("--to", to, 0)) return UsageError(kEditCommand, args.error());
  if (int status = RefuseOutputOverInput(kEditCommand, pos[0], pos[1]); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(kEditCommand, pos[0]); status != kExitOk) return status;
  CWave wave;
  if (int status = LoadInputWave(kEditCommand, input, wave); status != kExitOk) return status;
  const unsigned long frames = wave.FrameCount();
  if (!args.Has("--to")) to = frames;
  if (from >= to || to > frames) {
    return RefuseFile(kEditCommand, input.Name(),
                      "refused range " + std::to_string(from) + ".." + std::to_string(to) + " (the wave has " +
                          std::to_string(frames) + " frames; from must lie below to, to at most the frame count)");
  }
  if (selector == kChannelRight && wave.Channels() < 2) {
    return RefuseFile(kEditCommand, input.Name(), "--channel right needs a stereo wave");
  }

  // The operations take the first and the last frame of the range.
  const auto first = static_cast<uint32_t>(from);
  const auto last = static_cast<uint32_t>(to - 1);
  const std::string name = op->name;
  if (name == "level") {
    wave.ChangeLevel(first, last, static_cast<int>(percent), args.Has("--soft"), selector);
  } else if (name == "fade-in") {
    wave.Fade(first, last, 0, 100, selector);
  } else if (name == "fade-out") {
    wave.Fade(first, last, 100, 0, selector);
  } else if (name == "reverse") {
    wave.Reverse(first, last, selector);
  } else if (name == "echo") {
    wave.Delay(first, last, static_cast<uint32_t>(delayMs), static_cast<int>(residual), selector);
  } else if (name == "delete") {
    if (from == 0 && to == frames) {
      return RefuseFile(kEditCommand, input.Name(), "delete would leave no frames; nothing was written");
    }
    wave.Delete(first, static_cast<uint32_t>(to));
  }
  return WriteWaveOutput(kEditCommand, wave, pos[1]);
}

}  // namespace

extern const CliCommand kEditCommand = {
    "edit",
    "edit a range of a WAVE file (level, fades, reverse, echo, delete) into a new WAVE file",
    "usage: sonvue-cli edit IN.wav OUT.wav OPERATION [--from A] [--to B] [--channel both|left|right]\n"
    "example: sonvue-cli edit take.wav quiet.wav level --percent 50 --soft --from 0 --to 44100\n"
    "\n"
    "Operations, as the program's editing dialog performs them:\n"
    "  level --percent P [--soft]   multiply by P % (0 to 10000); --soft eases in and\n"
    "                               out over 10 ms at each end of the range\n"
    "  fade-in, fade-out            fade from silence to full level, or back\n"
    "  reverse                      play the range backwards\n"
    "  echo [--delay-ms D] [--residual R]\n"
    "                               add R % (0 to 100, default 10) of the sound D ms\n"
    "                               (0 to 10000, default 100) earlier, repeating\n"
    "  delete                       remove the frames of the range (all channels)\n"
    "\n"
    "The range is frames A up to, not including, B, as cut takes them (default: the whole\n"
    "wave); the channel defaults to both. Values are limited to the sample range. A range\n"
    "outside the wave is refused (exit 1) and OUT is left untouched; OUT is replaced only\n"
    "when it has been written completely. IN - reads standard input, OUT - writes standard\n"
    "output.\n",
    {{"--from", "--to", "--channel", "--percent", "--delay-ms", "--residual"}, {"--soft"}},
    RunEdit,
};
