// Feeds arbitrary bytes to the WAVE reader: it must refuse or accept without reading out of
// bounds, crashing, hanging or allocating more than the file can fill.
#include <cstddef>
#include <cstdint>

#include "core/io/byte_stream.h"
#include "core/platform/prompt.h"
#include "core/wave/wave.h"

namespace {
class SilentPrompt : public Prompt {
 public:
  PromptAnswer Show(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentPrompt prompt;
  SetPrompt(&prompt);
  MemoryStream stream(data, size);
  CWave wave;
  if (wave.ReadWave(stream) == 0 && wave.FrameCount() > 0) {
    // Touch the first and last frames on both scales.
    volatile double a = wave.GetValue(0, kChannelBoth);
    volatile double b = wave.GetValue(wave.FrameCount() - 1, kChannelRight);
    (void)a;
    (void)b;
    MemoryStream out;
    wave.WriteWave(out, 0, 0);
  }
  return 0;
}
