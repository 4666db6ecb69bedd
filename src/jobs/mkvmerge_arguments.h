#pragma once
#include <string>
#include <vector>

#include "mux_plan.h"

namespace splitwick {

// mkvmerge's arguments for the plan, writing into the partial file (where mkvmerge writes until
// the file is complete): machine-readable progress ("#GUI#progress N%"), the title and
// chapters, then per stream file (each holds one track, track 0) its language, name, flags,
// delay and, for video whose raw stream carries no frame rate mkvmerge can rely on, the
// measured rate as the default duration when it is a disc's. Track flags are all given, since
// Matroska takes a missing default flag for "default". File names are absolute or begin with
// "./": mkvmerge reads a leading "+" or "=" as an instruction, even in an option file.
std::vector<std::string> mkvmergeArguments(const MuxPlan& plan, const std::string& partial);

// The log line for a video track that would take the measured rate but was measured at none a
// disc plays (repeated or erratic timestamps): its stream's own timing stands. Empty when
// there is none.
std::string ownTimingLine(const MuxPlan& plan);

} // namespace splitwick
