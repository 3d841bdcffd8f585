#pragma once
// Command-line arguments of sonvue-cli: positional arguments and "--name value",
// "--name=value" or "--flag" options, checked against what the command accepts. "-" is a
// positional argument (standard input or output); "--" ends the options. Every number on
// the command line is read here, in decimal digits only and checked to its last character,
// so that "0x20", "1e3", "12abc" or "-0" are refused rather than read as something else.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct CliOptionSpec {
  std::set<std::string> valued;  // options that take a value, such as "--from"
  std::set<std::string> flags;   // options without a value, such as "--db"
  // Options that may be given many times, each with a value; Repeated() keeps them in the
  // order given. Those also in optionalValue may go without one: the next argument is then
  // their value only when it does not start with "-" and holds a "=".
  std::set<std::string> repeated = {};
  std::set<std::string> optionalValue = {};
};

class CliArgs {
 public:
  // Parses argv; false with a message in error() for an unknown option (also one of a
  // single dash), a missing value, a value given to a flag or an option given twice.
  bool Parse(const std::vector<std::string>& argv, const CliOptionSpec& spec);

  const std::vector<std::string>& Positional() const { return positional_; }
  // The repeated options as (name, value), in command-line order.
  const std::vector<std::pair<std::string, std::string>>& Repeated() const { return repeated_; }
  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  std::optional<std::string> Value(const std::string& name) const;
  // The option as an unsigned 32-bit number (fallback when absent); false, with error()
  // naming the option, for anything but 1 to 10 decimal digits up to 4294967295.
  bool UInt(const std::string& name, unsigned long& out, unsigned long fallback);
  // A number inside an option's value (such as the 3000 of "--sine 100:3000"), read as UInt
  // reads a whole value; a refusal names the option as `name`.
  bool UIntText(const std::string& name, const std::string& text, unsigned long& out);
  // The option as a decimal number such as 12, -3 or 0.25 (fallback when absent); false,
  // with error() naming the option, for exponents, hexadecimal, inf, nan, "-0" or trailing
  // characters.
  bool Double(const std::string& name, double& out, double fallback);
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> repeated_;
  std::map<std::string, std::string> values_;
  std::string error_;
};

// A whole number of 1 to 10 decimal digits up to 4294967295; false for anything else
// (signs, spaces, "0x", exponents included).
bool ParseDecimalUInt32(const std::string& text, uint32_t& out);
// A decimal number: an optional minus, digits and at most one full stop ("12", "-3",
// "0.25", ".5"); false for exponents, hexadecimal, inf, nan, "-0" and anything trailing.
bool ParseDecimalNumber(const std::string& text, double& out);

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
