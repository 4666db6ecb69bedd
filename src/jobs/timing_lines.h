#pragma once
#include "engine/frame_counter.h"
#include "engine/job_events.h"
#include "engine/stream_timing.h"

namespace splitwick {

// Read EVO's timing lines, behind its frame counts: "Video frame rate: 24000/1001 fps." and,
// for each audio and subpicture stream, where it starts against the picture, named by its
// label: "DD+.stream.00 starts 37 ms after the picture." Only what was measured in the title's
// first part, the one Read EVO reads.
void logTiming(JobEvents& events, const TitleTiming& timing);

// "N frames count in video stream 0." (and 1) for each counter above 0.
void logFrameCounts(JobEvents& events, const FrameCounts& frames);

} // namespace splitwick
