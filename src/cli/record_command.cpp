// sonvue-cli record OUT.wav --seconds S [--rate R] [--bits 8|16] [--channels 1|2]: records
// from the sound server's input into a WAVE file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/sound_session.h"
#include "core/io/safe_file.h"
#include "core/platform/prompt.h"
#include "core/wave/wave.h"

namespace {

constexpr unsigned long kDefaultRateHz = 44100;
constexpr unsigned long kDefaultBits = 16;
constexpr unsigned long kDefaultChannels = 2;
constexpr unsigned long kMinRateHz = 1000;
constexpr unsigned long kMaxRateHz = 192000;

int RunRecord(CliArgs& args) {
  if (args.Positional().size() != 1) return UsageError(kRecordCommand, "needs OUT.wav");
  if (!args.Has("--seconds")) return UsageError(kRecordCommand, "needs --seconds S");
  double seconds = 0;
  unsigned long rateHz = 0, bits = 0, channels = 0;
  if (!args.Double("--seconds", seconds, 0) || !args.UInt("--rate", rateHz, kDefaultRateHz) ||
      !args.UInt("--bits", bits, kDefaultBits) || !args.UInt("--channels", channels, kDefaultChannels)) {
    return UsageError(kRecordCommand, args.error());
  }
  if (rateHz < kMinRateHz || rateHz > kMaxRateHz) {
    return UsageError(kRecordCommand, "--rate must lie from 1000 to 192000 Hz");
  }
  if (bits != 8 && bits != 16) return UsageError(kRecordCommand, "--bits must be 8 or 16");
  if (channels != 1 && channels != 2) return UsageError(kRecordCommand, "--channels must be 1 or 2");
  const double frameCount = std::floor(seconds * static_cast<double>(rateHz) + 0.5);
  const double bytes = frameCount * static_cast<double>(channels * bits / 8);
  if (!(seconds > 0) || frameCount < 1 || bytes > std::numeric_limits<uint32_t>::max()) {
    return UsageError(kRecordCommand, "--seconds must be above 0 and fit 4 GB of samples");
  }
  const uint32_t frames = static_cast<uint32_t>(frameCount);
  const std::string& path = args.Positional()[0];

  // OUT must be writable before anything is recorded; the recording goes there at the end,
  // replacing an existing OUT only when it is complete.
  CliOutput out;
  if (!out.Begin(kRecordCommand, path, true)) {
    std::fprintf(stderr, "sonvue-cli record: nothing was recorded\n");
    return kExitRefused;
  }

  CliSoundSession session;
  CWave wave;
  wave.SetFormat(static_cast<uint32_t>(rateHz), static_cast<uint16_t>(bits), static_cast<uint16_t>(channels));
  if (!wave.Allocate(frames)) {
    std::fprintf(stderr, "sonvue-cli record: not enough memory for %u frames\n", frames);
    return kExitRefused;
  }
  wave.SetDevice(&session.Device());
  if (!wave.Record(0, 0)) {
    AppMessage(session.Device().ErrorMessage(WaveDevice::kInput), PromptButtons::Ok, PromptIcon::Error);
    return kExitRefused;
  }
  auto outcome = session.WaitWhileBusy(wave, uint64_t{frames} * 1000 / rateHz + kDeviceGraceMs);
  const bool lost = session.Device().LastError(WaveDevice::kInput).status == AudioStatus::kLost;

  // Whatever ended the recording, the frames recorded up to there are kept.
  uint32_t recorded = std::min(wave.LastRecordPosition(), frames);
  if (recorded < frames) wave.Delete(recorded, frames);
  int status = kExitOk;
  if (outcome == CliSoundSession::Outcome::kTimedOut) {
    AppMessage("サウンドデバイスが応答しません。", PromptButtons::Ok, PromptIcon::Error);
    status = kExitRefused;
  } else if (lost) {
    AppMessage(session.Device().ErrorMessage(WaveDevice::kInput) + "\n録音できたところまでを保存します。",
               PromptButtons::Ok, PromptIcon::Error);
    status = kExitRefused;
  } else if (outcome == CliSoundSession::Outcome::kInterrupted) {
    std::fprintf(stderr, "sonvue-cli record: stopped after %u frames\n", recorded);
    status = kExitRefused;
  }
  if (recorded == 0) {
    std::fprintf(stderr, "sonvue-cli record: nothing was recorded; %s was not written\n", out.Name().c_str());
    return kExitRefused;
  }
  if (wave.WriteWave(out.Stream(), 0, 0) != 0) {
    AppMessage("Failed to save file", PromptButtons::Ok, PromptIcon::Error);
    return out.Fail();
  }
  if (int written = out.Commit(); written != kExitOk) return written;
  return status;
}

}  // namespace

extern const CliCommand kRecordCommand = {
    "record",
    "record from the sound device into a WAVE file",
    "usage: sonvue-cli record OUT.wav --seconds S [--rate R] [--bits 8|16] [--channels 1|2]\n"
    "example: sonvue-cli record - --seconds 2 | sonvue-cli spectrum - --channels L,R\n"
    "\n"
    "Records S seconds (a decimal number) from the sound server's input and saves them as\n"
    "OUT.wav (- writes standard output). Defaults: 44100 Hz, 16 bits, 2 channels; R from\n"
    "1000 to 192000 Hz.\n"
    "\n"
"OUT is checked before the device starts: an OUT that cannot be written exits 1 at once.\n"
    "When the device cannot be opened (no sound server, no device, a format it refuses) the\n"
    "reason is printed, nothing is written and the exit status is 1. When the device goes\n"
    "away during the recording, or Ctrl-C stops it, the frames recorded up to there are\n"
    "saved and the exit status is 1. SONVUE_AUDIO_INPUT (or PULSE_SOURCE) names the input\n"
    "by its device id, since the sound server's default source is not always the one chosen.\n",
    {{"--seconds", "--rate", "--bits", "--channels"}, {}},
    RunRecord,
};
