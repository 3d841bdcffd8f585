// The sample block: large blocks are huge-page mappings on a 2 MiB boundary; every way of
// growing, shrinking and moving a block keeps its bytes.
#include "core/wave/sample_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

constexpr size_t kMiB = size_t{1} << 20;

void FillPattern(SampleBuffer& b, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) b.Data()[i] = static_cast<uint8_t>(i * 131 + 7);
}

// Whether the bytes [from, to) still hold the pattern; checks every 4099th byte and the ends.
bool HoldsPattern(const SampleBuffer& b, size_t from, size_t to) {
  auto at = [&](size_t i) { return b.Data()[i] == static_cast<uint8_t>(i * 131 + 7); };
  for (size_t i = from; i < to; i += 4099) {
    if (!at(i)) return false;
  }
  return to == from || (at(from) && at(to - 1));
}

}  // namespace

TEST(SampleBuffer, LargeBlocksAreMappedOnHugePageBoundariesAndReadAsTheirFill) {
  SampleBuffer zero, silence;
  ASSERT_TRUE(zero.Allocate(5 * kMiB + 3, SampleBuffer::Fill::Zero));
  EXPECT_TRUE(zero.IsMapped());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(zero.Data()) % (2 * kMiB), 0u);
  EXPECT_EQ(zero.Data()[0], 0);
  EXPECT_EQ(zero.Data()[5 * kMiB + 2], 0);
  ASSERT_TRUE(silence.Allocate(3 * kMiB, SampleBuffer::Fill::Byte128));
  EXPECT_EQ(silence.Data()[0], 0x80);
  EXPECT_EQ(silence.Data()[3 * kMiB - 1], 0x80);
  // Every byte of the block can be written (the mapping covers the whole size).
  std::memset(zero.Data(), 0x5A, zero.Size());

  SampleBuffer small;
  ASSERT_TRUE(small.Allocate(1000, SampleBuffer::Fill::Zero));
  EXPECT_FALSE(small.IsMapped());
  EXPECT_FALSE(small.Allocate(0, SampleBuffer::Fill::Zero));
  EXPECT_TRUE(small.Empty());
}

TEST(SampleBuffer, ResizingKeepsTheBytesThatRemain) {
  struct Case {
    const char* name;
    size_t from;
    size_t to;
  };
  const Case cases[] = {
      {"mapped, shrink within the last page", 7 * kMiB, 7 * kMiB - 100},
      {"mapped, shrink by pages", 9 * kMiB, 2 * kMiB + 1},
      {"mapped, shrink below the mapping size", 4 * kMiB, 1000},
      {"mapped, grow", 3 * kMiB, 11 * kMiB + 5},
      {"heap, grow into a mapping", 100000, 6 * kMiB},
      {"heap, grow", 1000, 50000},
      {"heap, shrink", 50000, 10},
  };
  for (const Case& c : cases) {
    SampleBuffer b;
    ASSERT_TRUE(b.Allocate(c.from, SampleBuffer::Fill::Undefined)) << c.name;
    FillPattern(b, 0, c.from);
    ASSERT_TRUE(b.Resize(c.to)) << c.name;
    EXPECT_EQ(b.Size(), c.to) << c.name;
    EXPECT_TRUE(HoldsPattern(b, 0, std::min(c.from, c.to))) << c.name;
    if (c.to > c.from) {
      FillPattern(b, c.from, c.to);  // the new bytes are usable
      EXPECT_TRUE(HoldsPattern(b, 0, c.to)) << c.name;
    }
  }
  SampleBuffer b;
  ASSERT_TRUE(b.Allocate(3 * kMiB, SampleBuffer::Fill::Zero));
  ASSERT_TRUE(b.Resize(0));
  EXPECT_TRUE(b.Empty());
}

TEST(SampleBuffer, MovingHandsTheMappingOver) {
  SampleBuffer a;
  ASSERT_TRUE(a.Allocate(4 * kMiB, SampleBuffer::Fill::Undefined));
  FillPattern(a, 0, a.Size());
  const uint8_t* data = a.Data();
  SampleBuffer b(std::move(a));
  EXPECT_TRUE(a.Empty());
  EXPECT_EQ(b.Data(), data);
  SampleBuffer c;
  ASSERT_TRUE(c.Allocate(100, SampleBuffer::Fill::Zero));
  c = std::move(b);
  EXPECT_TRUE(c.IsMapped());
  EXPECT_TRUE(HoldsPattern(c, 0, c.Size()));
}
