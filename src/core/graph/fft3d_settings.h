#pragma once
// The application-wide look of the 3D spectrum boxes: how far the waterfall slants to the
// right and upward, the vertical distance between two slices and the colour that fills the
// area under each slice. The application keeps one set (edited in the 3D display settings
// dialog) and gives it to every 3D spectrum box.
#include <cstdint>

struct Fft3DSettings {
  int32_t slantXPercent = 30;  // share of the plot width used for depth
  int32_t slantYPercent = 70;  // share of the plot height used for depth
  int32_t depthPitch = 10;     // logical units (0.1 mm) between two slices; never 0
  uint32_t fillColor = 0xFFFFFF;
  friend bool operator==(const Fft3DSettings&, const Fft3DSettings&) = default;
};
