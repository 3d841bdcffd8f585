#include "core/io/archive.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(Archive, FieldsAreLittleEndianAndFixedWidth) {
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    ar.WriteU16(0x0102);
    ar.WriteI32(-2);
    ar.WriteF64(1.5);
    ar.WriteF32(-0.25f);
  }
  const std::vector<uint8_t> expected = {0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0,
                                         0xF8, 0x3F, 0, 0, 0x80, 0xBE};
  EXPECT_EQ(mem.Bytes(), expected);

  mem.Seek(0);
  CArchive in(mem, CArchive::Mode::Load);
  EXPECT_EQ(in.ReadU16(), 0x0102);
  EXPECT_EQ(in.ReadI32(), -2);
  EXPECT_EQ(in.ReadF64(), 1.5);
  EXPECT_EQ(in.ReadF32(), -0.25f);
  EXPECT_FALSE(in.Failed());
  EXPECT_EQ(in.BytesRemaining(), 0u);
}

TEST(Archive, ShortReadFailsCleanlyWithZeros) {
  MemoryStream mem(std::vector<uint8_t>{1, 2, 3});
  CArchive ar(mem, CArchive::Mode::Load);
  EXPECT_EQ(ar.BytesRemaining(), 3u);
  EXPECT_EQ(ar.ReadU32(), 0u);  // only 3 bytes there
  EXPECT_TRUE(ar.Failed());
  EXPECT_EQ(ar.ReadU16(), 0u);  // stays failed
}

TEST(Archive, LargeBlocksPassTheBufferInBothDirections) {
  std::vector<uint8_t> big(3 * CArchive::kDefaultBufferBytes + 17);
  std::iota(big.begin(), big.end(), uint8_t{0});
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    ar.WriteU8(7);
    ar.Write(big.data(), big.size());
    ar.WriteU8(9);
  }
  ASSERT_EQ(mem.Size(), big.size() + 2);
  mem.Seek(0);
  CArchive in(mem, CArchive::Mode::Load);
  EXPECT_EQ(in.ReadU8(), 7);
  EXPECT_EQ(in.BytesRemaining(), big.size() + 1);
  std::vector<uint8_t> back(big.size());
  ASSERT_TRUE(in.Read(back.data(), back.size()));
  EXPECT_EQ(back, big);
  EXPECT_EQ(in.ReadU8(), 9);
  EXPECT_FALSE(in.Failed());
}

TEST(Archive, FieldHelpersDescribeBothDirections) {
  struct Rec {
    uint16_t a = 1;
    int32_t b = -5;
    double c = 2.25;
    void Serialize(CArchive& ar) {
      ar.Field(a);
      ar.Field(b);
      ar.Field(c);
    }
  } out, in{0, 0, 0};
  MemoryStream mem;
  {
    CArchive ar(mem, CArchive::Mode::Store);
    out.Serialize(ar);
  }
  mem.Seek(0);
  CArchive ar(mem, CArchive::Mode::Load);
  in.Serialize(ar);
  EXPECT_EQ(in.a, 1);
  EXPECT_EQ(in.b, -5);
  EXPECT_EQ(in.c, 2.25);
}
