#pragma once
// Joins texts and whole numbers into one text: Join("チャンネル ", 3, " と ", 4).
#include <concepts>
#include <string>
#include <string_view>

namespace text_join_detail {
inline void Append(std::string& out, std::string_view text) { out += text; }
inline void Append(std::string& out, const char* text) { out += text; }
template <std::integral Number>
void Append(std::string& out, Number number) { out += std::to_string(number); }
}  // namespace text_join_detail

// A 16-bit code as it is written in messages: "0x0003".
inline std::string Hex4(unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x0000";
  for (int i = 5; i >= 2; --i, value >>= 4) text[i] = kDigits[value & 0xF];
  return text;
}

template <typename... Parts>
std::string Join(const Parts&... parts) {
  std::string out;
  (text_join_detail::Append(out, parts), ...);
  return out;
}
