#include "core/textio/wave_text_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/io/byte_stream.h"
#include "core/io/cp932.h"
#include "core/platform/hooks.h"
#include "core/wave/wave.h"

namespace {

// Sample-scale steps per per cent of full scale, in single precision as the file format
// has always used it: 100 % gives 32767.9993 and so 32767 after truncation.
constexpr float kSamplesPerPercent = 327.68f;

constexpr size_t kChunkBytes = size_t{1} << 20;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A magnitude that even a double cannot hold: infinite when its exponent is positive,
// zero when negative (a line of 159 bytes cannot overflow without an exponent).
float OutOfRange(const char* from, const char* to) {
  for (const char* p = from; p < to; ++p) {
    if (*p == 'e' || *p == 'E' || *p == 'p' || *p == 'P') {
      return p + 1 < to && p[1] == '-' ? 0.0f : HUGE_VALF;
    }
  }
  return HUGE_VALF;
}

// Reads one number at p as scanf's "%f" does: white space, an optional sign, then a decimal
// or hexadecimal ("0x") number with an optional exponent, "inf", "infinity" or "nan".
// Advances p past what was read; false when no number starts there. Independent of the
// locale (the decimal point is always ".").
bool ScanFloat(const char*& p, const char* end, float& value) {
  while (p < end && IsSpace(*p)) ++p;
  const char* s = p;
  bool negative = false;
  if (s < end && (*s == '+' || *s == '-')) {
    negative = *s == '-';
    ++s;
  }
  if (s < end && (*s == '+' || *s == '-')) return false;
  std::chars_format format = std::chars_format::general;
  if (end - s >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    if ((end - s >= 3 && IsHexDigit(s[2])) || (end - s >= 4 && s[2] == '.' && IsHexDigit(s[3]))) {
      format = std::chars_format::hex;
      s += 2;
    }
    // Otherwise "0x" without digits reads as the number 0, as scanf does.
  }
  float v = 0.0f;
  auto result = std::from_chars(s, end, v, format);
  if (result.ec == std::errc::invalid_argument) return false;
  if (result.ec == std::errc::result_out_of_range) {
    double wide = 0.0;
    auto again = std::from_chars(s, end, wide, format);
    v = again.ec == std::errc() ? static_cast<float>(wide) : OutOfRange(s, result.ptr);
  }
  p = result.ptr;
  // scanf consumes an exponent mark that has no digits after it ("1e" reads as 1).
  const bool hex = format == std::chars_format::hex;
  const char last = p[-1];
  const bool mantissaEnd = last == '.' || (hex ? IsHexDigit(last) : last >= '0' && last <= '9');
  if (p < end && (*p | 0x20) == (hex ? 'p' : 'e') && mantissaEnd) {
    ++p;
    if (p < end && (*p == '+' || *p == '-')) ++p;
  }
  value = negative ? -v : v;
  return true;
}

// Lines of a byte stream, read in large chunks: each without its line end (LF, or CR LF),
// cut to kTextInLineBytes bytes.
class LineReader {
 public:
  explicit LineReader(ByteStream& in) : in_(in), chunk_(kChunkBytes) {}

  // False at the end of the input.
  bool Next(std::string_view& line) {
    // One byte more than a line keeps, so that a CR just after the kept bytes is seen.
    constexpr size_t kKeep = kTextInLineBytes + 1;
    carry_.clear();
    size_t fullLength = 0;
    bool any = false;
    while (true) {
      if (pos_ == size_) {
        size_ = eof_ ? 0 : in_.Read(chunk_.data(), chunk_.size());
        pos_ = 0;
        if (size_ == 0) {
          eof_ = true;
          break;
        }
      }
      any = true;
      const char* start = chunk_.data() + pos_;
      const auto* newline = static_cast<const char*>(std::memchr(start, '\n', size_ - pos_));
      const size_t length = newline ? static_cast<size_t>(newline - start) : size_ - pos_;
      pos_ += length + (newline ? 1 : 0);
      if (newline && fullLength == 0) {
        line = Finish(start, length, length);
        return true;
      }
      if (carry_.size() < kKeep) carry_.append(start, std::min(length, kKeep - carry_.size()));
      fullLength += length;
      if (newline) break;
    }
    if (!any) return false;
    line = Finish(carry_.data(), carry_.size(), fullLength);
    return true;
  }

 private:
  static std::string_view Finish(const char* bytes, size_t kept, size_t fullLength) {
    if (kept == fullLength && kept > 0 && bytes[kept - 1] == '\r') --kept;
    return std::string_view(bytes, std::min(kept, kTextInLineBytes));
  }

  ByteStream& in_;
  std::vector<char> chunk_;
  size_t pos_ = 0;
  size_t size_ = 0;
  bool eof_ = false;
  std::string carry_;  // a line that crosses the end of a chunk
};

bool IsReadable(const WaveTextFormat& format) {
  return (format.bits == 8 || format.bits == 16) && (format.channels == 1 || format.channels == 2) &&
         format.rateHz > 0 && format.frameCount > 0;
}

}  // namespace

uint32_t LimitTextInRate(uint32_t rateHz) {
  return std::clamp(rateHz, kTextInMinRateHz, kTextInMaxRateHz);
}

int TextPercentToSample(float percent) {
  const double d = static_cast<double>(percent) * static_cast<double>(kSamplesPerPercent);
  if (std::isnan(d)) return 0;
  if (d >= 32767.0) return 32767;
  if (d <= -32768.0) return -32768;
  return static_cast<int>(d);
}

bool ParseWaveTextLine(std::string_view line, const std::string& delimiterCp932, int channels,
                       float values[2]) {
  char text[kTextInLineBytes];
  size_t length = std::min(line.size(), sizeof text);
  std::memcpy(text, line.data(), length);
  // scanf sees the line as a C string: it ends at a NUL byte.
  if (const void* nul = std::memchr(text, '\0', length)) {
    length = static_cast<size_t>(static_cast<const char*>(nul) - text);
  }
  const size_t d = delimiterCp932.size();
  if (d > 0) {
    for (size_t i = 0; i + d <= length;) {
      if (std::memcmp(text + i, delimiterCp932.data(), d) == 0) {
        std::memset(text + i, ' ', d);
        i += d;
      } else {
        ++i;
      }
    }
  }
  const char* p = text;
  const char* end = text + length;
  for (int c = 0; c < channels; ++c) {
    if (!ScanFloat(p, end, values[c]) || std::isnan(values[c])) return false;
  }
  return true;
}

WaveTextReadResult ReadWaveText(ByteStream& in, const WaveTextFormat& format,
                                const std::string& delimiterUtf8, CWave& wave) {
  if (!IsReadable(format)) return WaveTextReadResult::kBadFormat;
  WaitCursor busy;
  // The samples go into a wave of their own, which replaces the old one only at the end.
  CWave incoming;
  incoming.SetFormat(format.rateHz, format.bits, format.channels);
  if (!incoming.Allocate(format.frameCount)) return WaveTextReadResult::kCannotAllocate;
  const std::string delimiter = Utf8ToCp932(delimiterUtf8);
  LineReader lines(in);
  std::string_view line;
  uint32_t frame = 0;
  float values[2] = {};
  while (frame < format.frameCount && lines.Next(line)) {
    if (!ParseWaveTextLine(line, delimiter, format.channels, values)) continue;
    incoming.SetSample(frame, TextPercentToSample(values[0]), kChannelLeft);
    if (format.channels == 2) incoming.SetSample(frame, TextPercentToSample(values[1]), kChannelRight);
    ++frame;
  }
  wave.TakeSamplesFrom(incoming);
  return WaveTextReadResult::kOk;
}

WaveTextReadResult ReadWaveTextFile(const std::string& path, const WaveTextFormat& format,
                                    const std::string& delimiterUtf8, CWave& wave) {
  if (!IsReadable(format)) return WaveTextReadResult::kBadFormat;
  FileStream in;
  if (!in.Open(path, FileStream::Mode::Read)) return WaveTextReadResult::kCannotOpen;
  return ReadWaveText(in, format, delimiterUtf8, wave);
}
