#pragma once
// Levels of a whole wave, per channel, on the sample scale against full scale 32768:
// peak (the largest magnitude), RMS (the root of the mean square) and DC offset (the mean),
// each also in dB as 20 log10(value / 32768), so a full-scale square wave reads 0 dB peak
// and RMS, and a full-scale sine 0 dB peak and -3.01 dB RMS. A value of 0 is -infinity dB.
#include <cstdint>
#include <vector>

class CWave;

struct ChannelLevels {
  int peak = 0;          // sample scale, 0..32768
  double rms = 0.0;      // sample scale
  double dcOffset = 0.0; // sample scale, signed
  double PeakDb() const;
  double RmsDb() const;
  double DcOffsetDb() const;  // of the offset's magnitude
};

// One entry per channel of the wave (left first); none for a wave without frames.
std::vector<ChannelLevels> MeasureLevels(const CWave& wave);

// 20 log10(|value| / 32768); -infinity for 0.
double SampleScaleToDb(double value);
