// Feeds arbitrary bytes to the document loader: it must refuse or accept without reading
// out of bounds, crashing, hanging or allocating more than the file can fill, and what it
// accepts must draw on a recording device context and store again - and what it stores must
// load again and store as the same bytes (whatever the program saves, it opens again as it
// was).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

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

std::vector<uint8_t> Stored(CWavDoc& doc) {
  MemoryStream out;
  {
    CArchive store(out, CArchive::Mode::Store);
    doc.Serialize(store);
    store.Flush();
  }
  return out.TakeBytes();
}
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
  const std::vector<uint8_t> first = Stored(doc);
  MemoryStream again(first);
  CArchive load(again, CArchive::Mode::Load);
  CWavDoc back;
  if (!back.Serialize(load)) std::abort();  // saved, but refused when opened
  if (Stored(back) != first) std::abort();  // opened, but saved differently
  return 0;
}
