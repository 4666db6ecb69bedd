#include "own_reads.h"

#include "engine/path_parts.h"
#include "engine/sizes.h"
#include "plan.h"
#include "timing_lines.h"

namespace splitwick {

void ownReadsEnded(JobEvents& events, const JobRequest& request, const ReadResult& read,
                   const TitlePlaylist& playlist, const std::string& evoPath, int64_t evoSize) {
    events.done();
    logFrameCounts(events, read.frames);
    logTiming(events, read.timing);
    playlist.logLines(events);
    if (read.stop != StopReason::Cancelled) {
        requireStreams(read.tracks, evoPath);
        checkChoice(request.choice, labelTracks(read.tracks, playlist.labels()), playlist.title());
    }
    events.logged("Opening file " + fileNameOf(evoPath));
    events.logged("File size: " + std::to_string(evoSize / MiB) + " Mbytes.");
}

} // namespace splitwick
