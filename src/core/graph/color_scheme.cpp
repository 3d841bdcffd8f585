#include "core/graph/color_scheme.h"

#include <algorithm>
#include <bit>

int InitialColorTarget(int boxKind) {
  if (boxKind >= 0 && boxKind <= 2) return 1;
  if (boxKind >= 3 && boxKind <= 5) return 5;
  if (boxKind >= 6 && boxKind <= 8) return 9;
  return 13;
}

int LowestKindOf(int targetIndex) {
  if (targetIndex < 0 || targetIndex >= kColorTargetCount) return 0;
  return std::countr_zero(kColorTargets[targetIndex].kindMask);
}

void ColorSchemeEditor::SetSchemes(const ColorSets& sets, int boxKind) {
  sets_ = sets;
  target_ = InitialColorTarget(boxKind);
}

void ColorSchemeEditor::SelectTarget(int index) {
  target_ = std::clamp(index, 0, kColorTargetCount - 1);
  working_ = sets_[LowestKindOf(target_)];
}

bool ColorSchemeEditor::SetWorkingColor(ColorIndex color, uint32_t value) {
  const bool editable = std::any_of(kEditableColors.begin(), kEditableColors.end(),
                                    [color](const EditableColor& e) { return e.color == color; });
  if (!editable) return false;
  working_[color] = value;
  ApplyWorking();
  return true;
}

void ColorSchemeEditor::ApplyWorking() {
  const uint32_t mask = kColorTargets[target_].kindMask;
  for (int kind = 0; kind < kColorSetCount; ++kind) {
    if (mask & (1u << kind)) sets_[kind] = working_;
  }
}
