#pragma once
#include <cstdint>
#include <string>

#include "read_evo.h"
#include "title_playlist.h"

namespace splitwick {

// The end of the reads a job that writes made in its own first pass, told as Read EVO and Read
// XPL would have told them before it: Read EVO's "Done.", frame counts and timing, then the
// playlist's lines. Unless the pass was cancelled the request is then checked against the
// tracks found: the file must have streams, and every name or language asked for must match
// one. Last come the job's own first lines: "Opening file NAME" and its size.
void ownReadsEnded(JobEvents& events, const JobRequest& request, const ReadResult& read,
                   const TitlePlaylist& playlist, const std::string& evoPath, int64_t evoSize);

} // namespace splitwick
