// The list of sonvue-cli's commands, in the order --help shows them.
#include "cli/commands.h"

const std::vector<const CliCommand*>& CliCommands() {
  static const std::vector<const CliCommand*> commands = {
      &kInfoCommand,
      &kCutCommand,
      &kEditCommand,
      &kSpectrumCommand,
      &kExportWaveCommand,
      &kImportTextCommand,
      &kRenderCommand,
      &kDocCommand,
      &kPlayCommand,
      &kRecordCommand,
      &kFilterCommand,
      &kConvertCommand,
      &kGenerateCommand,
  };
  return commands;
}
