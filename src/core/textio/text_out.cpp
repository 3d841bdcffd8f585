#include "core/textio/text_out.h"

#include <charconv>

namespace {

constexpr size_t kFlushBytes = size_t{1} << 20;

}  // namespace

void AppendFixed6(std::string& out, double value) {
  // std::to_chars with a precision rounds the exact binary value correctly, as glibc's
  // printf does, so the digits agree; it ignores the locale's decimal point, which
  // printf would honour. 330 characters hold the widest double in fixed notation.
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
  buffer_.clear();
  buffer_.reserve(kFlushBytes + 4096);
  failed_ = !writer_.Begin(path);
  return !failed_;
}

bool TextFileOut::WriteBuffer() {
  if (failed_) return false;
  if (!buffer_.empty() && !writer_.Stream().Write(buffer_.data(), buffer_.size())) {
    failed_ = true;
    writer_.Abort();
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
  if (!writer_.Commit()) {
    failed_ = true;
    return false;
  }
  return true;
}
