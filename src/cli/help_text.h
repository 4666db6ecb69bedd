#pragma once
#include <string>

#include "command_options.h"

namespace splitwick::cli {

extern const char* const ProgramName; // "splitwick-cli"

// What --help prints: the commands, the exit status, the program's own options.
std::string generalHelp();
// What COMMAND --help prints: its usage and its options.
std::string commandHelp(const CommandSpec& command);
// The general help followed by the options of every command: --help-all, and the manual page.
std::string allHelp();
// "splitwick-cli VERSION", for --version.
std::string versionText();
// The hint under a usage error.
std::string tryHelpLine(const std::string& command);

} // namespace splitwick::cli
