#pragma once
// The FFT flag word: how the engine treats a block. Offset 20 of the analysis settings
// record, so its bits are stored in documents as they stand here.
#include <cstdint>

enum FftFlags : uint16_t {
  kFftFastMagnitude = 0x01,
  kFftRestart = 0x02,      // added by the caller only, never stored
  kFftSingle = 0x04,       // averaging "なし"
  kFftWindow = 0x08,       // "ｳｨﾝﾄﾞｳ": Hann window
  kFftCumulative = 0x10,   // averaging "全体"
  kFftMeanRemoval = 0x20,  // "簡易ﾌｨﾙﾀｰ"
  kFftPeakHold = 0x40,     // averaging "ﾋﾟｰｸﾎｰﾙﾄﾞ"
  kFftDecayingPeakHold = 0x80,
};
