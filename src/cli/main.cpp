#include "cli/cli_args.h"

int main(int argc, char** argv) { return RunCli(argc, argv); }
