#pragma once
#include "engine/job_events.h"
#include "job_request.h"
#include "plan.h"

namespace splitwick {

// A job's plan in place of the job, writing nothing: the reads as the job would make them (Read
// EVO of the whole file, then Read XPL when there is a playlist), the request checked against
// what they found, then the plan of the chosen tracks, timed by the read.
Plan dryRun(const JobRequest& request, JobEvents& events);

} // namespace splitwick
