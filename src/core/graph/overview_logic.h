#pragma once
// The settings panel's mini overview as a graph box sees it: the frame under a logical x,
// the overview's colours and the steps of the scroll bar beneath it. The record-side rules
// of the panel (its lists, enabling, the FFT band and the texts) are in
// realtime/panel_logic.h.
#include <cstdint>

#include "core/graph/color_set.h"

class CWaveBox;
struct ScrollInfo;

// The frame under logical x as a real number (negative left of the wave's start), from the
// box's time axis and the wave's rate.
double FrameValueAt(const CWaveBox& box, int logicalX);

// --- the mini overview's colours, in colour set order ---
inline constexpr ColorSet kOverviewColorsFftArea = {0x808080, 0x808080, 0x800000, 0x404040,
                                                    0xC0C0C0, 0xFFFF00, 0xFFFF00};
inline constexpr ColorSet kOverviewColorsTriggerLevel = {0x808080, 0x808080, 0x800000, 0x800000,
                                                         0xC0C0C0, 0xFFFF00, 0x800000};
// XOR colours: the band's fill, the cross-hair and the run position line.
inline constexpr uint32_t kBandXorColor = 0x808080;
inline constexpr uint32_t kCrossHairXorColor = 0x7F7F7F;
inline constexpr uint32_t kCursorLineXorColor = 0x808080;

// --- the scroll bar under the overview ---
struct ScrollSteps {
  int32_t minimum = 0;
  int32_t maximumPosition = 0;  // maximum - page, never below minimum
  int32_t page = 1;
  int32_t line = 1;  // a tenth of the page, at least 1
};
ScrollSteps ScrollStepsFor(const ScrollInfo& info);
