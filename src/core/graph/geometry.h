#pragma once
// Points, sizes and rectangles of the drawing surface, with the platform's rectangle rules.
//
// Logical units are 0.1 mm with y growing upward. A rectangle keeps its numerically smaller
// y in `top` and its larger y in `bottom`, so on the page `top` is the visually lower edge
// and `bottom` the upper one; width and height are positive either way. A rectangle holds
// the points with left <= x < right and top <= y < bottom; it is empty when either extent is
// not positive.
#include <algorithm>
#include <cstdint>

// Logical units (0.1 mm) in one inch: device pixels = logical units x dpi / this.
inline constexpr int32_t kLogicalUnitsPerInch = 254;

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The rectangle with left <= right and top <= bottom.
inline Rect NormalizeRect(const Rect& r) {
  return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
          std::max(r.top, r.bottom)};
}

// The common part of a and b; false, and out set to all zeros, when it is empty.
inline bool IntersectRect(Rect& out, const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.IsEmpty()) {
    out = Rect{};
    return false;
  }
  out = r;
  return true;
}

// The smallest rectangle holding both; an empty rectangle does not count.
inline Rect UnionRect(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? Rect{} : b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// Area in square logical units, without overflow for any 32-bit rectangle.
inline int64_t RectArea(const Rect& r) {
  return r.IsEmpty() ? 0 : int64_t{r.right - r.left} * int64_t{r.bottom - r.top};
}
