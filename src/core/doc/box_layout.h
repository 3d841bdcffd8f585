#pragma once
// Where a document puts its boxes: the placement rule for a new box, the rectangles a new
// box receives, the text margins between a box and its plot, the order of the default boxes
// and the page extent that encloses all boxes. Pure functions over the rectangles of the
// boxes already on the page, so that the document and the tools share one rule.
//
// Rectangles are logical (0.1 mm, y upward): a box's `top` field is its lower edge and its
// `bottom` field its upper edge, so heights are positive.
#include <cstdint>
#include <span>
#include <vector>

#include "core/doc/page_layout.h"
#include "core/graph/geometry.h"
#include "core/realtime/analysis_settings.h"

// A box already on the page: its type (slot) and rectangle.
struct PlacedBox {
  int type = 0;
  Rect rect;
};

// The margins between a box rectangle and its plot rectangle.
struct TextMargins {
  int32_t left = 0;
  int32_t bottom = 0;  // at the lower edge: room for the X labels
  int32_t right = 0;
  int32_t top = 0;     // at the upper edge: room for the title
  friend bool operator==(const TextMargins&, const TextMargins&) = default;
};

// The label cell with 0 in either value replaced by the defaults 110 and 35.
StringSize EffectiveStringSize(StringSize size);
// left sw + 10, bottom 2 sh + 20, right sw / 2, top 2 sh.
TextMargins TextMarginsFor(StringSize size);
// The plot rectangle of a box: its rectangle shrunk by the margins.
Rect ShrinkByTextMargins(const Rect& box, const TextMargins& margins);

// Group of a box type: type / 3 below 12 (wave, spectrum, 3D, unused), 10 for the
// information box.
int BoxGroup(int type);

// The placement rule: the default rectangle of a new box of the type, below the boxes
// already on the page (given in slot order), as wide as the box of its own group when there
// is one, otherwise as wide as the widest box and a third as high; never below the minimum
// size that the label margins need (375 x 340 with the default label cell).
Rect DefaultBoxRect(int type, bool plain, std::span<const PlacedBox> existing,
                    const PageLayout& layout, StringSize stringSize);

// Whether a remembered rectangle overlaps one of the boxes by a fifth of its own area or of
// that box's area (10 x common / area >= 2 in integers), so that it must not be reused.
bool OverlapsTooMuch(const Rect& saved, std::span<const PlacedBox> existing);

// The rectangles a new box receives.
struct PlannedBox {
  Rect box;
  Rect plot;           // equal to box for a plain box
  bool placedByUser = false;  // the remembered rectangle was taken
};

// The rectangle steps of creating a box: the placement rule, or the remembered rectangle
// when it does not overlap too much; an information box is 6.2 label heights high; unless
// plain, the plot is the box shrunk by the text margins.
PlannedBox PlanBoxRects(int type, bool plain, std::span<const PlacedBox> existing,
                        const Rect* saved, const PageLayout& layout, StringSize stringSize);

// The types of the default boxes of a wave, in the order they are created: the information
// box, then the mono wave box for one channel or the left and right wave boxes.
std::vector<int> DefaultBoxTypes(uint16_t channels);

// Sizes the page to enclose the boxes: when there is a box, the largest right edge is above
// 99 and the lowest edge below -99, the width becomes the larger of the base width and
// largest right + right margin, the height the larger of the base height and bottom margin
// - lowest edge, and true; otherwise false and the layout keeps its size. The base is the
// page of a new document, so a page that grew for a box moved away shrinks back once the
// box returns.
bool FitPageToBoxes(std::span<const PlacedBox> boxes, PageLayout& layout, const PageLayout& base);
