#pragma once
// Command-line arguments of sonvue-cli: positional arguments and "--name value" or
// "--flag" options, checked against what the command accepts.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct CliOptionSpec {
  std::set<std::string> valued;  // options that take a value, such as "--from"
  std::set<std::string> flags;   // options without a value, such as "--db"
};

class CliArgs {
 public:
  // Parses argv; false with a message in error() for an unknown option or a missing value.
  bool Parse(const std::vector<std::string>& argv, const CliOptionSpec& spec);

  const std::vector<std::string>& Positional() const { return positional_; }
  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  std::optional<std::string> Value(const std::string& name) const;
  // The option as an unsigned 32-bit number; false (with error()) when it is not one.
  bool UInt(const std::string& name, unsigned long& out, unsigned long fallback);
  bool Double(const std::string& name, double& out, double fallback);
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
  std::string error_;
};

// A --channels list: L, R and M (either case) separated by commas, each kept once in the
// order given, as upper-case letters in letters. False for anything else or an empty list.
bool ParseChannelList(const std::string& text, std::string& letters);

// One sub-command of sonvue-cli.
struct CliCommand {
  const char* name;
  const char* summary;  // one line for the tool's --help
  const char* usage;    // the command's --help text
  CliOptionSpec options;
  int (*run)(CliArgs& args);
};

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the input or the request was refused
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Prints "sonvue-cli NAME: MESSAGE" on stderr and returns kExitUsage.
int UsageError(const CliCommand& command, const std::string& message);

// An output that is the input file itself (the same device and inode, also through links)
// would destroy the input: prints why and returns kExitRefused; kExitOk otherwise.
int RefuseOutputOverInput(const CliCommand& command, const std::string& in, const std::string& out);

const std::vector<const CliCommand*>& CliCommands();
int RunCli(int argc, char** argv);
