#pragma once
// The Japanese code page where bytes reach a file (text export and import, the font face
// name in documents). Text is UTF-8 everywhere else. Uses glibc's iconv "CP932", which,
// unlike its "SHIFT_JIS", encodes U+FF5E as 0x81 0x60.
#include <string>

// Converts UTF-8 to CP932. Characters CP932 cannot hold become "?" and clear *exact.
std::string Utf8ToCp932(const std::string& utf8, bool* exact = nullptr);
// Converts CP932 to UTF-8. Invalid bytes become U+FFFD and clear *exact.
std::string Cp932ToUtf8(const std::string& cp932, bool* exact = nullptr);
// Converts UTF-8 to CP932 within maxBytes, cutting only between characters.
std::string Utf8ToCp932Within(const std::string& utf8, size_t maxBytes);
