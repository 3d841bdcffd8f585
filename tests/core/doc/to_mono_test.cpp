// CWavDoc::ToMono: a stereo wave mixed down in place; a wave that already has the channel
// count is left alone.
#include <gtest/gtest.h>

#include "core/doc/wav_doc.h"

TEST(ToMono, MixesAStereoWaveAndLeavesAMonoWaveAlone) {
  for (bool subtract : {false, true}) {
    CWavDoc doc;
    CWave& w = doc.Wave();
    w.SetFormat(44100, 16, 2);
    ASSERT_TRUE(w.Allocate(100));
    for (uint32_t i = 0; i < 100; ++i) {
      w.SetSample(i, 1000, kChannelLeft);
      w.SetSample(i, -3000, kChannelRight);
    }
    EXPECT_TRUE(doc.ToMono(1, subtract));
    EXPECT_EQ(w.Channels(), 1);
    EXPECT_EQ(w.Rate(), 44100u);
    EXPECT_EQ(w.Bits(), 16);
    EXPECT_EQ(w.FrameCount(), 100u);
    EXPECT_EQ(w.GetSample(50, kChannelLeft), subtract ? 2000 : -1000);
    EXPECT_FALSE(doc.ToMono(1, subtract));
    EXPECT_EQ(w.FrameCount(), 100u);
  }
}
