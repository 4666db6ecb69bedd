#pragma once
#include "engine/job_events.h"
#include "job_request.h"
#include "playlist/disc_titles.h"

namespace splitwick {

// Sets the request's input to a disc's title chosen whole, as choosing its first clip's EVO and
// its playlist would, and then its later clips and its name: Demux, Rebuild and the mux read its
// clips' EVOs in order into one set of outputs named after the title. A clip whose EVO is
// missing fails with an error naming it; with leaveOutMissing it is left out, with a line saying
// so. The title's data (chapters, languages, names) is on the timeline of the outputs: from the
// first clip read.
void chooseDiscTitle(JobRequest& request, const DiscTitle& title, bool leaveOutMissing,
                     JobEvents& events);

} // namespace splitwick
