#pragma once
#include "console.h"
#include "jobs/stream_jobs.h"
#include "playlist/playlist.h"
#include "request.h"

namespace splitwick::cli {

// mkv: writes the chosen streams into NAME.mkv in the output folder in the one pass that reads
// the source; the streams Matroska does not take go beside it as files, and with --keep-streams
// every stream. A failure or a stop leaves no NAME.mkv. Gives the exit code.
int runMkv(const Request& request, Session& session, ConsoleReport& report, const StreamJob& job,
           const Playlist& playlist);

} // namespace splitwick::cli
