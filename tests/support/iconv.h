#pragma once
// Decodes a CP932 file with the iconv program, a converter independent of the one the
// program uses; the test fails when iconv refuses a byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

inline std::string Cp932FileViaIconv(const std::string& path) {
  const std::string command = "iconv -f CP932 -t UTF-8 '" + path + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  if (!pipe) {
    ADD_FAILURE() << "cannot run iconv";
    return out;
  }
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << out;
  return out;
}
