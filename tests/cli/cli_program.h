#pragma once
#include <string>
#include <vector>

#include "support/process.h"

namespace splitwick::testing {

// The built splitwick-cli, and a run of it as a user runs it.
inline const std::string Cli = SPLITWICK_CLI;

inline ProcessResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), Cli);
    return runProcess(args);
}

} // namespace splitwick::testing
