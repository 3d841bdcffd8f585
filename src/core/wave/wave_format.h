#pragma once
// The 18-byte format record of a wave, laid out as the extended WAVE format chunk: it is
// stored as it is in ".wft" documents and in the "fmt " chunk of WAVE files.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct WaveFormatRecord {
  uint16_t formatTag = 1;  // 1: PCM
  uint16_t channels = 1;
  uint32_t samplesPerSec = 22050;
  uint32_t avgBytesPerSec = 22050;
  uint16_t blockAlign = 1;  // bytes per frame
  uint16_t bitsPerSample = 8;
  uint16_t extraSize = 0;
};
#pragma pack(pop)

static_assert(sizeof(WaveFormatRecord) == 18);
static_assert(offsetof(WaveFormatRecord, samplesPerSec) == 4);
static_assert(offsetof(WaveFormatRecord, avgBytesPerSec) == 8);
static_assert(offsetof(WaveFormatRecord, blockAlign) == 12);
static_assert(offsetof(WaveFormatRecord, bitsPerSample) == 14);
static_assert(offsetof(WaveFormatRecord, extraSize) == 16);

inline constexpr uint16_t kWaveFormatPcm = 1;
