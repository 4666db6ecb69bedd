#pragma once
#include <string>
#include <vector>

namespace splitwick::cli {

struct OptionSpec {
    char shortName; // '\0' for none
    const char* name;
    const char* valueName; // nullptr for a flag
    std::string description;
};

struct CommandSpec {
    const char* name;
    const char* file;    // what it reads: "FILE.EVO" or "FILE.XPL"
    const char* summary; // its line in the general help, and the gist of its own help
    std::vector<OptionSpec> options;
};

// The commands, in the order the help lists them.
const std::vector<CommandSpec>& commands();

// nullptr for a name that is no command.
const CommandSpec* findCommand(const std::string& name);

// Understood with any command and without one: quiet, help and version.
const std::vector<OptionSpec>& programOptions();

} // namespace splitwick::cli
