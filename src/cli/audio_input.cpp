#include "cli/audio_input.h"

namespace {

bool ParseChannelNumber(const std::string& text, int& out) {
  uint32_t n = 0;
  if (!ParseDecimalUInt32(text, n) || n < 1 || n > 65535) return false;
  out = static_cast<int>(n);
  return true;
}

}  // namespace

bool ParsePick(const std::string& text, ChannelPick& pick) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return false;
  ChannelPick parsed;
  if (!ParseChannelNumber(text.substr(0, comma), parsed.first) ||
      !ParseChannelNumber(text.substr(comma + 1), parsed.second)) {
    return false;
  }
  pick = parsed;
  return true;
}

int ParsePickOption(CliArgs& args, const CliCommand& command, ChannelPick& pick) {
  pick = ChannelPick{};
  auto text = args.Value(kPickOption);
  if (!text) return kExitOk;
  if (!ParsePick(*text, pick)) {
    return UsageError(command, "--pick takes two channel numbers from 1 separated by a comma (such as 3,4), not \"" +
                                   *text + "\"");
  }
  return kExitOk;
}
