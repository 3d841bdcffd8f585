#pragma once
// Colour sets: the seven colours (0x00BBGGRR) a box draws with. There is one set per box
// kind; the application keeps thirteen of them and gives each new box the set of its kind.
#include <array>
#include <cstdint>

enum ColorIndex : int {
  kColorGraphBack = 0,  // plot area fill; the pen that erases a curve
  kColorFrameBack = 1,  // box fill outside the plot; text background
  kColorFrame = 2,      // outer border line
  kColorGraph = 3,      // curve
  kColorScale = 4,      // plot border, grid lines, tick marks
  kColorMark = 5,       // mark line and cross-hair, drawn by XOR
  kColorArea = 6,       // part of the curve inside the selection
};

inline constexpr int kColorSetSize = 7;
inline constexpr int kColorSetCount = 13;  // one per box kind, 9 to 11 unused

using ColorSet = std::array<uint32_t, kColorSetSize>;

// What a box uses until it is given a set.
inline constexpr ColorSet kBoxDefaultColors = {0xC0C0C0, 0xFFFFFF, 0x000000, 0x808080,
                                               0x008000, 0xFFFFFF, 0x808000};

// What the application's sets hold before the user changes them; new documents' boxes
// receive these.
inline constexpr ColorSet kApplicationDefaultColors = {0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
                                                       0x008000, 0xFFFFFF, 0x808080};

inline std::array<ColorSet, kColorSetCount> ApplicationDefaultColorSets() {
  std::array<ColorSet, kColorSetCount> sets;
  sets.fill(kApplicationDefaultColors);
  return sets;
}
