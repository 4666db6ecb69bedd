#pragma once
#include <functional>
#include <string>
#include <vector>

namespace splitwick::testing {

struct ProcessResult {
    int exitCode = -1; // 128 + signal when killed by one
    std::string out;
    std::string err;
};

// Runs a program with its stdout and stderr captured. onStdoutLine, when given, is called
// with each line as it arrives and with the child's pid, so a test can signal the child.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::function<void(const std::string&, int pid)>& onStdoutLine = {});

} // namespace splitwick::testing
