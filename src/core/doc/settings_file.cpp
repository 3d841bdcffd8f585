#include "core/doc/settings_file.h"

#include <string_view>

#include "core/io/byte_stream.h"

namespace {

constexpr std::string_view kDefaultsGroup = "Defaults";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A value in double quotes loses them; a backslash inside takes the next character as it is.
std::string Unquoted(std::string_view v) {
  if (v.size() < 2 || v.front() != '"' || v.back() != '"') return std::string(v);
  std::string out;
  v = v.substr(1, v.size() - 2);
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) ++i;
    out += v[i];
  }
  return out;
}

}  // namespace

bool ReadSettingsText(const std::string& text, MemorySettingsStore& store, std::string& error) {
  std::string_view rest = text;
  if (rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());
  bool taking = true;  // values before the first group count as the program's own
  int lineNumber = 0;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = Trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        error = "line " + std::to_string(lineNumber) + " opens a group without closing it";
        return false;
      }
      taking = Trimmed(line.substr(1, line.size() - 2)) == kDefaultsGroup;
      continue;
    }
    const size_t equals = line.find('=');
    const std::string_view name = equals == std::string_view::npos ? line : Trimmed(line.substr(0, equals));
    if (equals == std::string_view::npos || name.empty()) {
      error = "line " + std::to_string(lineNumber) + " is not NAME=VALUE";
      return false;
    }
    if (taking) store.values[std::string(name)] = Unquoted(Trimmed(line.substr(equals + 1)));
  }
  return true;
}

bool ReadSettingsFile(const std::string& path, MemorySettingsStore& store, std::string& error) {
  FileStream file;
  if (!file.Open(path, FileStream::Mode::Read)) {
    error = "cannot be opened";
    return false;
  }
  const uint64_t size = file.Size();
  if (size > kMaxSettingsFileBytes) {
    error = "is larger than a settings file can be (" + std::to_string(kMaxSettingsFileBytes) + " bytes)";
    return false;
  }
  std::string text(static_cast<size_t>(size), '\0');
  if (file.Read(text.data(), text.size()) != text.size()) {
    error = "cannot be read";
    return false;
  }
  return ReadSettingsText(text, store, error);
}
