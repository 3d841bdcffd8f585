#pragma once
// The decibel transform of the level graphs: T(v) = 20 log10(max(|v|, floor) / reference)
// + offset. Spectrum graphs use the floor kSpectrumLevelFloor, and with automatic adjustment
// off the reference full scale (10000 on the level scale) and offset 0, so full scale reads
// 0 dB.
#include <algorithm>
#include <cmath>

inline constexpr double kSpectrumLevelFloor = 0.00001;
inline constexpr double kFullScaleLevel = 10000.0;

inline double LevelToDb(double value, double reference, double offsetDb, double floor) {
  return 20.0 * std::log10(std::max(std::fabs(value), floor) / reference) + offsetDb;
}
