#pragma once
#include "console.h"
#include "request.h"

namespace splitwick::cli {

// Runs the request's job, rendering its events on the console. Returns the process exit code;
// job failures are thrown as JobError (of kind Usage for a request that names streams or
// languages the title does not have), usage errors as UsageError.
int runRequest(const Request& request);

} // namespace splitwick::cli
