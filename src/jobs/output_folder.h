#pragma once
#include <string>

namespace splitwick {

// The output folder a job is about to write into (empty: the current folder) exists and can be
// written; else a JobError naming it, before any work is done.
void requireOutputFolder(const std::string& folder);

} // namespace splitwick
