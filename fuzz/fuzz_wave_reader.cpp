// Feeds arbitrary bytes to the WAVE reader and to the opening of audio files (the reader for
// its own PCM, the import through the decoder library for everything else): each must refuse
// or accept without reading out of bounds, crashing, hanging or allocating more than the
// input can fill.
#include <cstddef>
#include <cstdint>

#include "core/io/byte_stream.h"
#include "core/platform/prompt.h"
#include "core/wave/audio_file.h"
#include "core/wave/wave.h"

namespace {
class SilentPrompt : public Prompt {
 public:
  PromptAnswer Show(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
};

// Touches the first and last frames on both scales and writes the wave out again.
void Exercise(CWave& wave) {
  if (wave.FrameCount() == 0) return;
  volatile double a = wave.GetValue(0, kChannelBoth);
  volatile double b = wave.GetValue(wave.FrameCount() - 1, kChannelRight);
  (void)a;
  (void)b;
  MemoryStream out;
  wave.WriteWave(out, 0, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentPrompt prompt;
  SetPrompt(&prompt);
  {
    MemoryStream stream(data, size);
    CWave wave;
    if (wave.ReadWave(stream) == 0) Exercise(wave);
  }
  {
    // The first input byte chooses the channels picked from a file of more than two.
    const ChannelPick pick = size > 0 && (data[0] & 1) ? ChannelPick{3, 1} : ChannelPick{};
    MemoryStream stream(data, size);
    CWave wave;
    if (ReadAudio(stream, wave, pick).outcome != AudioReadOutcome::kFailed) Exercise(wave);
    stream.Seek(0);
    ProbeAudioFile(stream, pick);
  }
  return 0;
}
