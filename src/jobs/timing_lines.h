#pragma once
#include "engine/report.h"
#include "engine/stream_table.h"
#include "engine/stream_timing.h"

namespace splitwick {

// Read EVO's timing lines, behind its frame counts: "Video frame rate: 24000/1001 fps." and,
// for each audio and subpicture stream, where it starts against the picture, named by its
// label: "DD+.stream.00 starts 37 ms after the picture." Only what was measured in the title's
// first part, the one Read EVO reads.
void logTiming(Report& report, const TitleTiming& timing, const StreamTable& found);

} // namespace splitwick
