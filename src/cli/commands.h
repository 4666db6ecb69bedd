#pragma once
#include "console.h"
#include "request.h"

namespace splitwick::cli {

// Runs the request's jobs on a session of plain controls, as the window would run them.
// Returns the process exit code; job failures are thrown as JobError.
int runRequest(const Request& request);

} // namespace splitwick::cli
