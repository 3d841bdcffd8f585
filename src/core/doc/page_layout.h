#pragma once
// The page layout record of a document: 24 bytes, six signed 32-bit integers in logical
// units of 0.1 mm (y upward: the page runs from y = 0 down to y = -height). Stored as it is
// in documents.
#include <cstddef>
#include <cstdint>

struct PageLayout {
  int32_t width = 1200;
  int32_t height = 1800;
  int32_t leftMargin = 0;
  int32_t rightMargin = 0;
  int32_t topMargin = 0;
  int32_t bottomMargin = 0;
};

static_assert(sizeof(PageLayout) == 24);
static_assert(offsetof(PageLayout, height) == 4);
static_assert(offsetof(PageLayout, leftMargin) == 8);
static_assert(offsetof(PageLayout, rightMargin) == 12);
static_assert(offsetof(PageLayout, topMargin) == 16);
static_assert(offsetof(PageLayout, bottomMargin) == 20);
