// Feeds arbitrary bytes to the document loader: it must refuse or accept without reading
// out of bounds, crashing, hanging or allocating more than the file can fill, and what it
// accepts must store again and draw on a recording device context.
#include <cstddef>
#include <cstdint>

#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/graph/page_drawing.h"
#include "core/doc/wav_doc.h"
#include "core/graph/recording_dc.h"
#include "core/platform/prompt.h"

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
  CWavDoc doc;
  CArchive ar(stream, CArchive::Mode::Load);
  if (!doc.Serialize(ar)) return 0;
  RecordingDC dc;
  dc.SetMapping(DeviceMapping::ForPage(doc.Page().width, doc.Page().height, 96, 96));
  DrawBoxPage(dc, doc, Rect{0, -doc.Page().height, doc.Page().width, 0});
  MemoryStream out;
  CArchive store(out, CArchive::Mode::Store);
  doc.Serialize(store);
  return 0;
}
