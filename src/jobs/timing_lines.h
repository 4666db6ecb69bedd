#pragma once
#include "engine/report.h"
#include "engine/stream_table.h"
#include "engine/stream_timing.h"

namespace splitwick {

// Read EVO's timing lines, behind its frame counts: "Video frame rate: 24000/1001 fps." and,
// for each audio and subpicture stream, where it starts against the picture, named by its
// caption: "DD+.stream.00 starts 37 ms after the picture." Only what was measured.
void logTiming(Report& report, const PartTiming& part, const StreamTable& found);

} // namespace splitwick
