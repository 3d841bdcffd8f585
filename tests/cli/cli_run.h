#pragma once
// Runs the built sonvue-cli as a separate process and collects its exit status and output.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& s) {
  std::string q(1, '\'');
  for (char c : s) {
    if (c == '\'') q.append("'\\''");
    else q.push_back(c);
  }
  q.push_back('\'');
  return q;
}

// The shell words that run sonvue-cli with the arguments, for composing pipelines.
inline std::string SonvueCliLine(const std::vector<std::string>& args) {
  std::string cmd = ShellQuote(SONVUE_CLI_PATH);
  for (const std::string& a : args) {
    cmd.push_back(' ');
    cmd.append(ShellQuote(a));
  }
  return cmd;
}

// Runs a shell command line (pipes and redirections of standard input allowed) and collects
// the exit status of its last command, its standard output and its standard error.
inline CliResult RunShellLine(const std::string& line) {
  TempDir dir;
  const std::string cmd = "( " + line + " ) >" + ShellQuote(dir.Path("out")) + " 2>" + ShellQuote(dir.Path("err"));
  int raw = std::system(("bash -c " + ShellQuote(cmd)).c_str());
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  auto out = ReadAllBytes(dir.Path("out"));
  auto err = ReadAllBytes(dir.Path("err"));
  r.out.assign(out.begin(), out.end());
  r.err.assign(err.begin(), err.end());
  return r;
}

inline CliResult RunSonvueCli(const std::vector<std::string>& args) { return RunShellLine(SonvueCliLine(args)); }
