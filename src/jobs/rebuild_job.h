#pragma once
#include "plan.h"
#include "read_evo.h"

namespace splitwick {

// What a rebuild did.
struct RebuildResult {
    StopReason stop = StopReason::EndOfFile; // why its last pass ended
    // What its own read of the first part found; nothing when the window's Read EVO read before.
    ReadResult read;
    // Its own read of the playlist, when it made one.
    std::optional<PlaylistRead> playlist;
    Plan plan;
};

// Rebuild: the copy of the title's EVOs, one after another, into STEM.rebuilt.EVO, keeping the
// chosen streams only, in one pass over each. Without the window's reads before it, the job is
// Read EVO, Read XPL (with a playlist) and Rebuild in one pass, with the lines of those jobs one
// after another, as a demux gives them. The drop tests look up the streams the pass has found up
// to the end of the chunk in hand; the system headers written before the first part's streams
// were all known are set right once they are.
RebuildResult rebuild(const JobRequest& request, JobEvents& events);

} // namespace splitwick
