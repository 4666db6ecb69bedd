#pragma once
#include <functional>

#include "console.h"
#include "playlist/playlist.h"
#include "playlist/playlist_view.h"
#include "request.h"

namespace splitwick::cli {

// --dry-run of demux, rebuild and mkv: the reads as the job would run them (Read EVO of the
// whole file; with a playlist Read XPL, then pickStreams on the boxes), then the plan in place
// of the job: the files it would write, the tracks with their codec, language, name and delay,
// and the number of chapters. Nothing is written. Gives the exit code.
int dryRun(const Request& request, Session& session, ConsoleReport& report, Playlist& playlist,
           PlainPlaylistView& view,
           const std::function<std::optional<std::vector<Box>>()>& pickStreams);

} // namespace splitwick::cli
