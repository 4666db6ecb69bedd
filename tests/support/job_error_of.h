#pragma once
#include <functional>
#include <string>

namespace splitwick::testing {

// The text of the JobError the call throws; empty when it throws none.
std::string jobErrorOf(const std::function<void()>& call);

} // namespace splitwick::testing
