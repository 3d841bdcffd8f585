#pragma once
// What the colour dialog ("配色") decides without a window: the fourteen targets it offers
// (a whole group of box kinds or a single kind), the colours of a set it lets the user
// change, and the editing itself on a copy of the thirteen colour sets.
//
// A target covers box kinds as a mask: bit k stands for box kind k. The dialog edits one
// working set; every change is copied into the set of each kind the target covers, so a
// group target makes all its kinds alike (taking the lowest kind's colours as the start).
// The frame line and the mark colour are not offered: they travel along unchanged.
#include <array>
#include <cstdint>

#include "core/graph/color_set.h"

using ColorSets = std::array<ColorSet, kColorSetCount>;

struct ColorTarget {
  const char* label;
  uint32_t kindMask;  // bit k: box kind k
};

inline constexpr int kColorTargetCount = 14;
inline constexpr std::array<ColorTarget, kColorTargetCount> kColorTargets = {{
    {"すべてのボックス", 0x1FFF},
    {"ウェーブボックス(L/R/M)", 0x007},
    {"ウェーブボックス(L)", 0x001},
    {"ウェーブボックス(R)", 0x002},
    {"ウェーブボックス(M)", 0x004},
    {"FFTボックス(L/R/M)", 0x038},
    {"FFTボックス(L)", 0x008},
    {"FFTボックス(R)", 0x010},
    {"FFTボックス(M)", 0x020},
    {"FFT-3Dボックス(L/R/M)", 0x1C0},
    {"FFT-3Dボックス(L)", 0x040},
    {"FFT-3Dボックス(R)", 0x080},
    {"FFT-3Dボックス(M)", 0x100},
    {"情報ボックス", 0x1000},
}};

// The target the dialog starts with for a box kind: its group (wave, spectrum, 3D) or,
// for kinds 9 to 12 and anything else, the information box.
int InitialColorTarget(int boxKind);

// The lowest box kind a target covers (0 for an index outside the list).
int LowestKindOf(int targetIndex);

// Where a colour button's leader line meets the button.
enum class ButtonEdge { kLower, kUpper };

// The five colours the dialog lets the user change, in the order of its buttons.
struct EditableColor {
  int controlId;    // the button's control id
  const char* label;
  ColorIndex color;
  ButtonEdge edge;
};
inline constexpr int kEditableColorCount = 5;
inline constexpr std::array<EditableColor, kEditableColorCount> kEditableColors = {{
    {1082, "グラフライン", kColorGraph, ButtonEdge::kLower},
    {1009, "グラフ選択領域", kColorArea, ButtonEdge::kLower},
    {1010, "目盛り線", kColorScale, ButtonEdge::kLower},
    {1081, "フレーム(ﾊﾞｯｸｸﾞﾗﾝﾄﾞ)", kColorFrameBack, ButtonEdge::kUpper},
    {1055, "グラフ(ﾊﾞｯｸｸﾞﾗﾝﾄﾞ)", kColorGraphBack, ButtonEdge::kUpper},
}};

// The dialog's copy of the thirteen sets and its working set.
class ColorSchemeEditor {
 public:
  // Takes a copy of the sets; the selected target becomes the initial target of the kind.
  void SetSchemes(const ColorSets& sets, int boxKind);
  // Selects a target (clamped into the list) and loads the working set from the set of the
  // lowest kind it covers.
  void SelectTarget(int index);
  // Replaces one working colour and copies the working set into the target's sets. Only the
  // five editable colours are taken; false (and nothing changed) for the others.
  bool SetWorkingColor(ColorIndex color, uint32_t value);
  // Copies the working set into the set of every kind the selected target covers.
  void ApplyWorking();

  int Target() const { return target_; }
  const ColorSet& Working() const { return working_; }
  const ColorSets& Sets() const { return sets_; }

 private:
  ColorSets sets_ = ApplicationDefaultColorSets();
  ColorSet working_ = kApplicationDefaultColors;
  int target_ = 1;
};
