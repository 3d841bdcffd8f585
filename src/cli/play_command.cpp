// sonvue-cli play IN [--from A] [--to B]: plays a range of an audio file through the
// sound server's output and returns when it has been played.
#include <cstdio>

#include "cli/audio_input.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/sound_session.h"
#include "core/platform/prompt.h"
#include "core/wave/wave.h"

namespace {

int RunPlay(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kPlayCommand, "needs IN");
  unsigned long from = 0, to = 0;
  if (!args.UInt("--from", from, 0) || !args.UInt("--to", to, 0)) {
    return UsageError(kPlayCommand, args.error());
  }
  ChannelPick pick;
  if (int status = ParsePickOption(args, kPlayCommand, pick); status != kExitOk) return status;
  CliInput input;
  if (int status = input.Open(kPlayCommand, args.Positional()[0]); status != kExitOk) return status;
  const std::string& path = input.Name();
  // The session comes first: a wave still playing when it goes out of scope stops the
  // device, which must then still exist.
  CliSoundSession session;
  CWave wave;
  if (int status = LoadInputWave(kPlayCommand, input, wave, pick); status != kExitOk) return status;
  const uint32_t frames = wave.FrameCount();
  if (to != 0 && from >= to) {
    return RefuseFile(kPlayCommand, path,
                      "refused range " + std::to_string(from) + ".." + std::to_string(to) + " (from must lie below to)");
  }
  if (from >= frames) {
    return RefuseFile(kPlayCommand, path,
                      "has " + std::to_string(frames) + " frames; nothing to play from " + std::to_string(from));
  }
  uint32_t count = to == 0 || to >= frames ? 0 : static_cast<uint32_t>(to - from);
  uint32_t playing = count == 0 ? frames - static_cast<uint32_t>(from) : count;

  wave.SetDevice(&session.Device());
  if (!wave.Play(static_cast<uint32_t>(from), count)) {
    AppMessage(session.Device().ErrorMessage(WaveDevice::kOutput), PromptButtons::Ok, PromptIcon::Error);
    return kExitRefused;
  }
  uint64_t lengthMs = uint64_t{playing} * 1000 / wave.Rate();
  auto outcome = session.WaitWhileBusy(wave, lengthMs + kDeviceGraceMs);
  if (outcome == CliSoundSession::Outcome::kTimedOut) {
    AppMessage("サウンドデバイスが応答しません。", PromptButtons::Ok, PromptIcon::Error);
    return kExitRefused;
  }
  if (session.Device().LastError(WaveDevice::kOutput).status == AudioStatus::kLost) {
    AppMessage(session.Device().ErrorMessage(WaveDevice::kOutput), PromptButtons::Ok, PromptIcon::Error);
    return kExitRefused;
  }
  if (outcome == CliSoundSession::Outcome::kInterrupted) {
    std::fprintf(stderr, "sonvue-cli play: stopped at frame %u\n", wave.LastPlayPosition());
    return kExitRefused;
  }
  return kExitOk;
}

}  // namespace

extern const CliCommand kPlayCommand = {
    "play",
    "play a range of an audio file through the sound device",
    "usage: sonvue-cli play IN [--from A] [--to B] [--pick A,B]\n"
    "example: sonvue-cli filter take.wav - --type lp --f1 500 | sonvue-cli play -\n"
    "\n"
    "Plays frames A up to (not including) B through the sound server's default output and\n"
    "returns once the last frame has been played. A = B = 0 (the default) plays the whole\n"
    "wave; B = 0 or beyond the end plays to the end. A start at or beyond the end, or a\n"
    "nonzero B not above A, is refused (exit 1). IN - reads standard input.\n"
    "\n"
    "When the device cannot be opened (no sound server, no device, a format it refuses) or\n"
    "goes away while playing, the reason is printed and the exit status is 1. Ctrl-C stops\n"
    "the playback (exit 1). SONVUE_AUDIO_OUTPUT (or PULSE_SINK) names another output.\n"
    "\n"
    SONVUE_AUDIO_INPUT_HELP
    "\n"
    SONVUE_PICK_HELP,
    {{"--from", "--to", "--pick"}, {}},
    RunPlay,
};
