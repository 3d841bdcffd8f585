#pragma once
// Reading samples from a text file ("ウェーブデータのテキスト入力").
//
// The user gives the format and the frame count; the file gives the values, one frame a
// line, in per cent of full scale (-100 to 100). For each line, until the frame count is
// reached:
//   - only the first 159 bytes count (CR LF or LF ends a line);
//   - every occurrence of the delimiter is blanked out with spaces (an empty delimiter
//     blanks nothing);
//   - one number (one channel) or two (left, right) are read as C's scanf "%f%f" reads them;
//     a line that does not give them all, such as a title or a column-name line, is skipped.
// Each value v becomes the sample v * 327.68 (the constant in single precision, the product
// in double), truncated toward zero and limited to -32768..32767; an 8-bit wave stores its
// high byte plus 128. Frames the file does not reach stay silent.
//
// Text is CP932: the delimiter is converted before it is looked for.
#include <cstdint>
#include <string>
#include <string_view>

class ByteStream;
class CWave;

// The rates the input dialog offers; other rates are pulled to the nearer end.
inline constexpr uint32_t kTextInMinRateHz = 5000;
inline constexpr uint32_t kTextInMaxRateHz = 50000;
uint32_t LimitTextInRate(uint32_t rateHz);

// Bytes of a line that are looked at; the rest of a longer line is ignored.
inline constexpr size_t kTextInLineBytes = 159;

struct WaveTextFormat {
  uint32_t rateHz = 44100;
  uint16_t bits = 16;     // 8 or 16
  uint16_t channels = 2;  // 1 or 2
  uint32_t frameCount = 0;
};

enum class WaveTextReadResult {
  kOk,
  kBadFormat,       // bits, channels, rate or frame count cannot make a wave
  kCannotOpen,      // the file cannot be opened for reading
  kCannotAllocate,  // the frames do not fit into memory
};

// A value in per cent of full scale on the sample scale (see above).
int TextPercentToSample(float percent);

// Reads the values of one line (already without its line end) into values[0..channels-1];
// false when the line does not give all of them. delimiterCp932 is blanked out first.
bool ParseWaveTextLine(std::string_view line, const std::string& delimiterCp932, int channels,
                       float values[2]);

// Reads the file into wave, replacing its format and samples. On any failure the wave is
// left exactly as it was. delimiterUtf8 is the delimiter as the user typed it.
WaveTextReadResult ReadWaveText(ByteStream& in, const WaveTextFormat& format,
                                const std::string& delimiterUtf8, CWave& wave);
WaveTextReadResult ReadWaveTextFile(const std::string& path, const WaveTextFormat& format,
                                    const std::string& delimiterUtf8, CWave& wave);
