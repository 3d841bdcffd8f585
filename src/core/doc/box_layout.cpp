#include "core/doc/box_layout.h"

#include <algorithm>

#include "core/graph/box.h"
#include "core/graph/info_box.h"

namespace {

constexpr int32_t kDefaultStringWidth = 110;
constexpr int32_t kDefaultStringHeight = 35;
constexpr int32_t kGapBetweenBoxes = 30;
constexpr int kGroup3d = 2;

}  // namespace

StringSize EffectiveStringSize(StringSize size) {
  if (size.width == 0 || size.height == 0) return {kDefaultStringWidth, kDefaultStringHeight};
  return size;
}

TextMargins TextMarginsFor(StringSize size) {
  size = EffectiveStringSize(size);
  return {size.width + 10, 2 * size.height + 20, size.width / 2, 2 * size.height};
}

Rect ShrinkByTextMargins(const Rect& box, const TextMargins& m) {
  return {box.left + m.left, box.top + m.bottom, box.right - m.right, box.bottom - m.top};
}

int BoxGroup(int type) { return type == kBoxInfo ? 10 : type / 3; }

Rect DefaultBoxRect(int type, bool plain, std::span<const PlacedBox> existing,
                    const PageLayout& layout, StringSize stringSize) {
  const StringSize s = EffectiveStringSize(stringSize);
  const int group = BoxGroup(type);
  bool any = false;
  bool sameGroup = false;
  int32_t left = 0, width = 0, height = 0, lowest = 0;
  for (const PlacedBox& b : existing) {
    const Rect r = NormalizeRect(b.rect);
    if (!any) {
      left = r.left;
      width = r.Width();
      height = r.Height();
      lowest = r.top;
      any = true;
    }
    if (!sameGroup && BoxGroup(b.type) == group) {
      left = r.left;
      width = r.Width();
      height = r.Height();
      sameGroup = true;
    }
    lowest = std::min(lowest, r.top);
    if (!sameGroup) {
      left = std::min(left, r.left);
      width = std::max(width, r.Width());
      height = std::max(height, r.Height());
    }
  }
  const int32_t minWidth = plain ? 100 : s.width / 2 + (s.width + 10) + 200;
  const int32_t minHeight = plain ? 100 : 2 * s.height + (2 * s.height + 20) + 180;
  width = std::max(width, minWidth);
  height = std::max(height, minHeight);

  // A box a third as high as wide keeps at least the minimum size too: on a narrow page a
  // third of the width leaves no room for the plot between the label margins.
  Rect r;
  if (!any) {
    r.left = layout.leftMargin;
    r.right = std::max(layout.width - layout.rightMargin, r.left + minWidth);
    r.bottom = -layout.topMargin;
    r.top = r.bottom - std::max((r.right - r.left) / 3, minHeight);
  } else {
    r.left = left;
    r.right = left + width;
    r.bottom = lowest - kGapBetweenBoxes;
    r.top = r.bottom - (sameGroup ? height : std::max(width / 3, minHeight));
  }
  if (group == kGroup3d && !sameGroup)
    r.top = r.bottom - static_cast<int32_t>((r.bottom - r.top) * 1.5);
  return r;
}

bool OverlapsTooMuch(const Rect& saved, std::span<const PlacedBox> existing) {
  const Rect a = NormalizeRect(saved);
  const int64_t areaA = RectArea(a);
  for (const PlacedBox& b : existing) {
    const Rect r = NormalizeRect(b.rect);
    Rect common;
    if (!IntersectRect(common, a, r)) continue;
    const int64_t c = RectArea(common);
    const int64_t areaB = RectArea(r);
    if (areaA > 0 && 10 * c / areaA >= 2) return true;
    if (areaB > 0 && 10 * c / areaB >= 2) return true;
  }
  return false;
}

PlannedBox PlanBoxRects(int type, bool plain, std::span<const PlacedBox> existing,
                        const Rect* saved, const PageLayout& layout, StringSize stringSize) {
  PlannedBox p;
  p.box = DefaultBoxRect(type, plain, existing, layout, stringSize);
  if (saved && !OverlapsTooMuch(*saved, existing)) {
    p.box = *saved;
    p.placedByUser = true;
  }
  if (type == kBoxInfo) p.box.top = p.box.bottom - CInfoBox::HeightFor(stringSize.height);
  p.plot = plain ? p.box : ShrinkByTextMargins(p.box, TextMarginsFor(stringSize));
  return p;
}

std::vector<int> DefaultBoxTypes(uint16_t channels) {
  if (channels == 1) return {kBoxInfo, kBoxWaveMono};
  return {kBoxInfo, kBoxWaveLeft, kBoxWaveRight};
}

bool FitPageToBoxes(std::span<const PlacedBox> boxes, PageLayout& layout, const PageLayout& base) {
  if (boxes.empty()) return false;
  int32_t right = INT32_MIN, lowest = INT32_MAX;
  for (const PlacedBox& b : boxes) {
    right = std::max({right, b.rect.left, b.rect.right});
    lowest = std::min({lowest, b.rect.top, b.rect.bottom});
  }
  if (right <= 99 || lowest >= -99) return false;
  // A page of the default size keeps it while the boxes fit on it.
  layout.width = std::max(base.width, right + layout.rightMargin);
  layout.height = std::max(base.height, layout.bottomMargin - lowest);
  return true;
}
