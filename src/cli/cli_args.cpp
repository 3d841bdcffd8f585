#include "cli/cli_args.h"

#include <cctype>
#include <cmath>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/io/safe_file.h"
#include "core/platform/prompt.h"

bool CliArgs::Parse(const std::vector<std::string>& argv, const CliOptionSpec& spec) {
  bool optionsEnded = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    // "-" is standard input or output; "--" ends the options, so that a file whose name
    // starts with "-" can be given after it.
    if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
      positional_.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    if (a.compare(0, 2, "--") != 0) {
      error_ = "unknown option " + a + " (a file whose name starts with - goes after --)";
      return false;
    }
    std::string name = a;
    std::string value;
    bool inlineValue = false;
    if (auto eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    if (spec.repeated.count(name)) {
      const bool optional = spec.optionalValue.count(name) > 0;
      if (!inlineValue && i + 1 < argv.size() &&
          (!optional || (argv[i + 1].rfind('-', 0) != 0 && argv[i + 1].find('=') != std::string::npos))) {
        value = argv[++i];
      } else if (!inlineValue && !optional) {
        error_ = name + " needs a value";
        return false;
      }
      repeated_.emplace_back(name, value);
      continue;
    }
    if (values_.count(name)) {
      error_ = name + " is given twice";
      return false;
    }
    if (spec.flags.count(name)) {
      if (inlineValue) {
        error_ = name + " takes no value";
        return false;
      }
      values_[name] = "";
    } else if (spec.valued.count(name)) {
      if (!inlineValue) {
        if (i + 1 >= argv.size()) {
          error_ = name + " needs a value";
          return false;
        }
        value = argv[++i];
      }
      values_[name] = value;
    } else {
      error_ = "unknown option " + name;
      return false;
    }
  }
  return true;
}

std::optional<std::string> CliArgs::Value(const std::string& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool ParseDecimalUInt32(const std::string& text, uint32_t& out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long n = std::strtoull(text.c_str(), nullptr, 10);
  if (n > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

bool ParseDecimalNumber(const std::string& text, double& out) {
  // Digits with at most one full stop among or around them, after an optional minus.
  const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  const std::string body = text.substr(start);
  if (body.empty() || body.find_first_not_of("0123456789.") != std::string::npos ||
      body.find('.') != body.rfind('.') || body.find_first_of("0123456789") == std::string::npos) {
    return false;
  }
  errno = 0;
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(d)) return false;
  // "-0" says nothing "0" does not, and looks like a mistake for a negative value.
  if (start == 1 && d == 0) return false;
  out = d;
  return true;
}

bool CliArgs::UInt(const std::string& name, unsigned long& out, unsigned long fallback) {
  auto v = Value(name);
  if (!v) {
    out = fallback;
    return true;
  }
  return UIntText(name, *v, out);
}

bool CliArgs::UIntText(const std::string& name, const std::string& text, unsigned long& out) {
  uint32_t n = 0;
  if (!ParseDecimalUInt32(text, n)) {
    error_ = name + " needs a whole number from 0 to 4294967295 in decimal digits, not \"" + text + "\"";
    return false;
  }
  out = n;
  return true;
}

bool CliArgs::Double(const std::string& name, double& out, double fallback) {
  auto v = Value(name);
  if (!v) {
    out = fallback;
    return true;
  }
  if (!ParseDecimalNumber(*v, out)) {
    error_ = name + " needs a decimal number such as 12 or 0.5, not \"" + *v + "\"";
    return false;
  }
  return true;
}

bool ParseChannelList(const std::string& text, std::string& letters) {
  letters.clear();
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (item.size() != 1) return false;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])));
    if (letter != 'L' && letter != 'R' && letter != 'M') return false;
    if (letters.find(letter) == std::string::npos) letters += letter;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

int UsageError(const CliCommand& command, const std::string& message) {
  std::fprintf(stderr, "sonvue-cli %s: %s\n(see sonvue-cli %s --help)\n", command.name,
               message.c_str(), command.name);
  return kExitUsage;
}

int RefuseOutputOverInput(const CliCommand& command, const std::string& in, const std::string& out) {
  if (in == "-" || out == "-" || !IsSameFile(in, out)) return kExitOk;
  std::fprintf(stderr, "sonvue-cli %s: %s is the input file %s; choose another output\n", command.name,
               out.c_str(), in.c_str());
  return kExitRefused;
}

namespace {

void PrintToolHelp(FILE* out) {
  std::fprintf(out,
               "usage: sonvue-cli COMMAND [ARGUMENTS]\n"
               "\n"
               "Sonvue's audio analysis engine for scripts. Files are read and written exactly\n"
               "as the desktop program reads and writes them; messages the program would show\n"
               "in a box are printed on stderr as \"TITLE: TEXT\".\n"
               "\n"
               "commands:\n");
  for (const CliCommand* c : CliCommands()) std::fprintf(out, "  %-12s %s\n", c->name, c->summary);
  std::fprintf(out,
               "\n"
               "\"sonvue-cli COMMAND --help\" describes a command, with an example. IN - reads\n"
               "standard input and OUT - writes standard output, so commands join in pipes:\n"
               "  sox in.flac -t wav - | sonvue-cli spectrum - --csv\n"
               "Numbers are decimal digits (0x20, 1e3 and 12abc are refused). Exit status:\n"
               "0 done, 1 refused (a file that cannot be read or written, a range outside the\n"
               "wave, a wave of no samples), 2 wrong command line.\n");
}

}  // namespace

int RunCli(int argc, char** argv) {
  StderrPrompt prompt;
  ScopedPrompt scoped(&prompt);
  // A reader that goes away (sonvue-cli ... - | head) makes the write fail with a message
  // and exit status 1, instead of killing the tool before it can tidy up.
  std::signal(SIGPIPE, SIG_IGN);
  if (argc < 2) {
    PrintToolHelp(stderr);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "--version") {
    std::printf("sonvue-cli %s\n", SONVUE_VERSION);
    return kExitOk;
  }
  if (name == "--help" || name == "-h" || name == "help") {
    PrintToolHelp(stdout);
    return kExitOk;
  }
  for (const CliCommand* c : CliCommands()) {
    if (name != c->name) continue;
    std::vector<std::string> rest(argv + 2, argv + argc);
    for (const std::string& a : rest) {
      if (a == "--help" || a == "-h") {
        std::fputs(c->usage, stdout);
        return kExitOk;
      }
    }
    CliArgs args;
    if (!args.Parse(rest, c->options)) return UsageError(*c, args.error());
    return c->run(args);
  }
  std::fprintf(stderr, "sonvue-cli: unknown command \"%s\"\n", name.c_str());
  PrintToolHelp(stderr);
  return kExitUsage;
}
