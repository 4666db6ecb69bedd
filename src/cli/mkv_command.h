#pragma once
#include "console.h"
#include "jobs/stream_jobs.h"
#include "playlist/playlist.h"
#include "request.h"

namespace splitwick::cli {

// mkv: demuxes the chosen streams in one pass into the working folder NAME.streams inside the
// output folder, then muxes them with mkvmerge into NAME.mkv beside it; subpictures go beside
// it as files. The folder goes once the .mkv is made, unless asked to stay; after a failure or
// a stop it stays, and the error names it. Gives the exit code.
int runMkv(const Request& request, Session& session, ConsoleReport& report, const StreamJob& job,
           const Playlist& playlist);

} // namespace splitwick::cli
