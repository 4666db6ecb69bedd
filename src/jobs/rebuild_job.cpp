#include "rebuild_job.h"

#include <set>

#include "engine/evo_scan.h"
#include "engine/output_set.h"
#include "engine/path_parts.h"
#include "engine/stream_finder.h"
#include "engine/timing_recorder.h"
#include "own_reads.h"
#include "rebuild_pass.h"
#include "title_parts.h"

namespace splitwick {

namespace {

// Whether the rebuild keeps a track, and how many video and audio streams it keeps: the names
// asked for, else the names of the streams kept among those met so far.
class KeptStreams {
  public:
    KeptStreams(const JobRequest& request, const Planner& planner, const TitlePlaylist& playlist,
                const TrackList& tracks)
        : request_(request), planner_(planner), playlist_(playlist), tracks_(tracks) {}

    bool kept(const Track& track) const {
        return planner_.chosen(
            labelTrack(track, playlist_.labels(), tracks_.first(track.name()) == &track));
    }

    SystemBounds bounds() const {
        std::set<TrackName> names;
        if (request_.choice.names)
            names.insert(request_.choice.names->begin(), request_.choice.names->end());
        else
            for (const Track& track : tracks_)
                if (kept(track)) names.insert(track.name());
        SystemBounds bounds;
        for (TrackName name : names) {
            if (name.kind == TrackKind::Video) ++bounds.video;
            if (name.kind == TrackKind::Audio) ++bounds.audio;
        }
        return bounds;
    }

  private:
    const JobRequest& request_;
    const Planner& planner_;
    const TitlePlaylist& playlist_;
    const TrackList& tracks_;
};

} // namespace

RebuildResult rebuild(const JobRequest& request, JobEvents& events) {
    OpenFiles files;
    const TitleParts parts = titleParts(request);
    const TitlePlaylist playlist(request, events);
    const Planner planner(request, parts, playlist.title());
    const bool ownReads = !request.earlier;
    RebuildResult result{StopReason::EndOfFile, {}, {}, planner.titleFiles()};
    std::unique_ptr<SourceFile> source =
        openEvo(events, files, parts.first, ownReads ? "Reading" : "Writing EVO...");
    requireLaterParts(parts);
    const int64_t size = source->size();
    OutputSet outputs;
    OutputFile& output = outputs.add(createOutput(files, parts, result.plan.rebuilt));
    if (!ownReads) events.outputCreated(result.plan.rebuilt);

    TrackList& tracks = result.read.tracks;
    const KeptStreams kept(request, planner, playlist, tracks);
    PackEditor editor(
        tracks, [&](const Track& track) { return kept.kept(track); },
        [&] { return kept.bounds(); });
    StreamFinder finder(events);
    ScanSink noLines;
    FrameTally frames(request.countFrames);
    frames.countEveryStream(result.read.frames);
    TimingRecorder timing;
    ScanSinks sinks{ownReads ? static_cast<ScanSink*>(&finder) : &noLines, &frames, &timing};
    EvoScan scan(tracks, sinks);
    PendingBounds pending;
    JobProgress progress(partsSize(parts));
    result.stop = rebuildPass(events, std::move(source), editor, output, progress, &scan, &pending);
    result.read.stop = result.stop;
    keepTiming(result.read.timing, timing, fileNameOf(parts.first), result.stop);
    if (result.stop != StopReason::EndOfFile) result.read.frames = {0, 0};
    if (ownReads) {
        ownReadsEnded(events, request, result.read, playlist, parts.first, size);
        events.outputCreated(result.plan.rebuilt);
    }
    pending.settle(output, editor.bounds());

    for (size_t part = 0; auto later = openLaterPart(events, files, parts, part, result.stop);
         ++part)
        result.stop = rebuildPass(events, std::move(later), editor, output, progress);
    outputs.close();
    events.done();
    result.playlist = playlist.ownRead();
    return result;
}

} // namespace splitwick
