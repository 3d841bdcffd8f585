#include "core/io/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One conversion through iconv; on an unconvertible or invalid sequence the replacement is
// written and the offending input skipped (a whole UTF-8 character, or one CP932 byte).
std::string Convert(const char* to, const char* from, const std::string& in,
                    const std::string& replacement, bool utf8Input, bool* exact) {
  if (exact) *exact = true;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (exact) *exact = false;
    return in;
  }
  std::string out;
  std::vector<char> buf(4 * in.size() + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (true) {
    char* dst = buf.data();
    size_t dstLeft = buf.size();
    size_t r = iconv(cd, srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
    out.append(buf.data(), buf.size() - dstLeft);
    if (r != static_cast<size_t>(-1)) {
      if (srcLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: replace and skip.
    if (exact) *exact = false;
    out += replacement;
    size_t skip = 1;
    if (utf8Input) {
      auto lead = static_cast<unsigned char>(*src);
      skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (skip > srcLeft) skip = srcLeft;
    }
    src += skip;
    srcLeft -= skip;
    if (srcLeft == 0) break;
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8, bool* exact) {
  return Convert("CP932", "UTF-8", utf8, "?", true, exact);
}

std::string Cp932ToUtf8(const std::string& cp932, bool* exact) {
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false, exact);
}

std::string Utf8ToCp932Within(const std::string& utf8, size_t maxBytes) {
  std::string out = Utf8ToCp932(utf8);
  if (out.size() <= maxBytes) return out;
  // Too long: character by character, so that the cut never splits a double-byte character.
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::string piece = Utf8ToCp932(utf8.substr(i, len));
    if (out.size() + piece.size() > maxBytes) break;
    out += piece;
    i += len;
  }
  return out;
}
