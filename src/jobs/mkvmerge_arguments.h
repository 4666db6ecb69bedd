#pragma once
#include <string>
#include <vector>

#include "mux_plan.h"

namespace splitwick {

// Where mkvmerge writes until the file is complete: STEM.mkv.part beside STEM.mkv, so that a
// failed or stopped mux never leaves a partial file under the final name.
std::string partialPath(const std::string& output);

// mkvmerge's arguments for the plan, writing into the partial file: machine-readable progress
// ("#GUI#progress N%"), the title and chapters, then per stream file (each holds one track,
// track 0) its language, name, flags, delay and, for video whose raw stream carries no frame
// rate mkvmerge can rely on, the measured rate as the default duration. Track flags are all
// given, since Matroska takes a missing default flag for "default".
std::vector<std::string> mkvmergeArguments(const MuxPlan& plan);

} // namespace splitwick
