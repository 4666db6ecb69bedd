#pragma once
#include "jobs/pass_writer.h"

namespace splitwick {

// The Matroska writer lives in a module of its own, loaded as the first .mkv is made: the FFmpeg
// libraries it needs cost every other run of the programs their loading time and memory. The
// maker loads it (once a process) when a demux asks it for the .mkv's writer; a module that
// cannot be loaded is a JobError naming it.
PassWriterMaker matroskaWriterMaker();

} // namespace splitwick
