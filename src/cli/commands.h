#pragma once
// The commands of sonvue-cli, each defined in its own file.
#include "cli/cli_args.h"

extern const CliCommand kInfoCommand;
extern const CliCommand kCutCommand;
extern const CliCommand kEditCommand;
extern const CliCommand kPlayCommand;
extern const CliCommand kRecordCommand;
extern const CliCommand kRenderCommand;
extern const CliCommand kDocCommand;
extern const CliCommand kSpectrumCommand;
extern const CliCommand kExportWaveCommand;
extern const CliCommand kImportTextCommand;
extern const CliCommand kFilterCommand;
extern const CliCommand kConvertCommand;
extern const CliCommand kGenerateCommand;
