#include "core/textio/text_in_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// What "%d" and "%f" look at of an edit's text.
constexpr size_t kParsedChars = 99;

// The start of a number: after white space and a "+" sign (which from_chars does not take).
const char* NumberStart(const std::string& text, const char*& end) {
  const char* p = text.data();
  end = p + std::min(text.size(), kParsedChars);
  while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  if (p + 1 < end && *p == '+' && p[1] != '-' && p[1] != '+') ++p;
  return p;
}

}  // namespace

std::string FrameCountText(int32_t frameCount) { return std::to_string(frameCount); }

std::string DurationText(int32_t frameCount, uint32_t rateHz) {
  const double seconds = static_cast<double>(frameCount) / (rateHz == 0 ? 1 : rateHz);
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, seconds,
                                    std::chars_format::fixed, 2);
  std::string text(digits, result.ptr);
  if (text.size() < 6) text.insert(0, 6 - text.size(), ' ');
  return text;
}

int32_t ParseFrameCountText(const std::string& text) {
  const char* end = nullptr;
  const char* p = NumberStart(text, end);
  int64_t value = 0;
  const auto result = std::from_chars(p, end, value);
  if (result.ec == std::errc::invalid_argument) return 0;
  if (result.ec == std::errc::result_out_of_range) {
    return *p == '-' ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
  }
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

double ParseDurationText(const std::string& text) {
  const char* end = nullptr;
  const char* p = NumberStart(text, end);
  double value = 0.0;
  const auto result = std::from_chars(p, end, value);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

int32_t FramesForDuration(double seconds, uint32_t rateHz) {
  const double frames = std::floor(static_cast<double>(rateHz) * seconds + 0.5);
  if (!(frames > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (frames >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(frames);
}
