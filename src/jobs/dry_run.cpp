#include "dry_run.h"

#include "read_evo.h"
#include "title_parts.h"
#include "title_playlist.h"

namespace splitwick {

Plan dryRun(const JobRequest& request, JobEvents& events) {
    JobRequest whole = request;
    whole.fastCheck = false;
    const ReadResult read = readEvo(whole, events);
    requireStreams(read.tracks, request.evoPath);
    const TitlePlaylist playlist(request, events);
    playlist.logLines(events);
    const std::vector<LabelledTrack> tracks = labelTracks(read.tracks, playlist.labels());
    checkChoice(request.choice, tracks, playlist.title());
    return Planner(request, titleParts(request), playlist.title()).plan(tracks, read.timing);
}

} // namespace splitwick
