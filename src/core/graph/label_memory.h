#pragma once
// The label rectangles already drawn along one axis: a new label is drawn only where it
// meets none of them. The first 30 are remembered; later labels are still tested against
// those 30 but are not remembered themselves.
#include <array>

#include "core/graph/geometry.h"

class LabelMemory {
 public:
  static constexpr int kCapacity = 30;

  bool IsFree(const Rect& r) const {
    Rect common;
    for (int i = 0; i < count_; ++i)
      if (IntersectRect(common, r, rects_[i])) return false;
    return true;
  }
  void Remember(const Rect& r) {
    if (count_ < kCapacity) rects_[count_++] = r;
  }
  int Count() const { return count_; }

 private:
  std::array<Rect, kCapacity> rects_{};
  int count_ = 0;
};
