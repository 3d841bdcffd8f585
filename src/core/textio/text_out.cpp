#include "core/textio/text_out.h"

#include <charconv>
#include <cstring>

namespace {

constexpr size_t kFlushBytes = size_t{1} << 20;

__extension__ typedef unsigned __int128 Uint128;

}  // namespace

void AppendFixed6(std::string& out, double value) {
  // Exact in integers for the values files hold: value = mantissa * 2^-shift, so
  // value * 10^6 = mantissa * 10^6 / 2^shift, rounded half to even as printf rounds in the
  // default rounding mode. Below 2^42 the shift is at least 11 and the quotient fits.
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (exponent < 1075 - 10) {
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    const uint64_t mantissa = exponent == 0 ? fraction : fraction | uint64_t{1} << 52;
    const int shift = exponent == 0 ? 1074 : 1075 - exponent;
    uint64_t millionths = 0;
    if (shift < 128) {
      const Uint128 scaled = static_cast<Uint128>(mantissa) * 1000000u;
      millionths = static_cast<uint64_t>(scaled >> shift);
      const Uint128 rest = scaled & ((static_cast<Uint128>(1) << shift) - 1);
      const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
      if (rest > half || (rest == half && (millionths & 1) != 0)) ++millionths;
    }
    char digits[32];
    char* p = digits;
    if (bits >> 63) *p++ = '-';
    p = std::to_chars(p, digits + sizeof digits, millionths / 1000000).ptr;
    *p++ = '.';
    uint64_t decimals = millionths % 1000000;
    for (int i = 5; i >= 0; --i) {
      p[i] = static_cast<char>('0' + decimals % 10);
      decimals /= 10;
    }
    out.append(digits, p + 6);
    return;
  }
  // Larger values, infinities and NaN: std::to_chars with a precision rounds the exact
  // binary value as glibc's printf does. 330 characters hold the widest double.
  char digits[330];
  const auto result = std::to_chars(digits, digits + sizeof digits, value,
                                    std::chars_format::fixed, 6);
  out.append(digits, result.ptr);
}

void AppendInteger(std::string& out, int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

bool TextFileOut::Begin(const std::string& path) {
  direct_ = nullptr;
  buffer_.clear();
  buffer_.reserve(kFlushBytes + 4096);
  failed_ = !writer_.Begin(path);
  return !failed_;
}

void TextFileOut::Begin(ByteStream& stream) {
  direct_ = &stream;
  buffer_.clear();
  buffer_.reserve(kFlushBytes + 4096);
  failed_ = false;
}

bool TextFileOut::WriteBuffer() {
  if (failed_) return false;
  ByteStream& target = direct_ ? *direct_ : writer_.Stream();
  if (!buffer_.empty() && !target.Write(buffer_.data(), buffer_.size())) {
    failed_ = true;
    if (!direct_) writer_.Abort();
  }
  buffer_.clear();
  return !failed_;
}

bool TextFileOut::Flush() {
  if (buffer_.size() < kFlushBytes) return !failed_;
  return WriteBuffer();
}

bool TextFileOut::Commit() {
  if (!WriteBuffer()) return false;
  if (direct_) return true;
  if (!writer_.Commit()) {
    failed_ = true;
    return false;
  }
  return true;
}
