#include "core/graph/overview_logic.h"

#include <algorithm>

#include "core/graph/box.h"
#include "core/graph/wave_box.h"
#include "core/wave/wave.h"

double FrameValueAt(const CWaveBox& box, int logicalX) {
  const uint32_t rate = box.Wave() ? box.Wave()->Rate() : 0;
  return box.X().PixelToValue(logicalX) * rate * 0.001;
}

ScrollSteps ScrollStepsFor(const ScrollInfo& info) {
  ScrollSteps s;
  s.minimum = info.minimum;
  s.page = std::max(info.page, 1);
  s.maximumPosition = std::max(info.minimum, static_cast<int32_t>(int64_t{info.maximum} - info.page));
  s.line = std::max(s.page / 10, 1);
  return s;
}
