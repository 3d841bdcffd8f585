#pragma once
// Writes audio files with the decoder library's own writer, for the tests of the import:
// samples given interleaved, either as integers at the 32-bit full scale (a 24-bit value v
// as v << 8; the library keeps the top bits of each, exactly) or as floating-point values
// (written as they are into float files, converted by the library into other encodings).
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <type_traits>
#include <vector>

// Writes the interleaved samples through the library's writer for int32_t or double.
template <typename Sample>
bool WriteAudio(const std::string& path, int format, int rateHz, int channels, const std::vector<Sample>& interleaved) {
  SF_INFO info{};
  info.samplerate = rateHz;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
  sf_count_t written;
  if constexpr (std::is_same_v<Sample, double>) {
    written = sf_writef_double(f, interleaved.data(), frames);
  } else {
    static_assert(std::is_same_v<Sample, int32_t>);
    written = sf_writef_int(f, interleaved.data(), frames);
  }
  return sf_close(f) == 0 && written == frames;
}

inline bool WriteAudioInts(const std::string& path, int format, int rateHz, int channels,
                           const std::vector<int32_t>& interleaved) {
  return WriteAudio(path, format, rateHz, channels, interleaved);
}

inline bool WriteAudioDoubles(const std::string& path, int format, int rateHz, int channels,
                              const std::vector<double>& interleaved) {
  return WriteAudio(path, format, rateHz, channels, interleaved);
}

// Sines of the given amplitudes (full scale 1.0) and frequencies, one per channel.
inline std::vector<double> Sines(int rateHz, int frames, const std::vector<double>& amplitudes,
                                 const std::vector<double>& frequenciesHz) {
  const size_t channels = amplitudes.size();
  std::vector<double> out(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    for (size_t c = 0; c < channels; ++c) {
      out[static_cast<size_t>(i) * channels + c] =
          amplitudes[c] * std::sin(2 * std::numbers::pi * frequenciesHz[c] * i / rateHz);
    }
  }
  return out;
}
