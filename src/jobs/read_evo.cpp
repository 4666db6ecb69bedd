#include "read_evo.h"

#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "engine/job_error.h"
#include "engine/scrambled_packs.h"
#include "engine/stream_finder.h"
#include "job_steps.h"
#include "timing_lines.h"

namespace splitwick {

void labelStreams(StreamChoice& streams, const StreamTable& table) {
    for (Box box : streamBoxes()) {
        const int32_t id = table[tableEntry(box)];
        StreamEntry& entry = streams[box];
        entry.chosen = id >= 0;
        if (id < 0) {
            entry.learnt = LearntFrom::Nothing;
            continue;
        }
        entry.learnt = LearntFrom::Scan;
        entry.label = scannedLabel(box, id);
    }
}

void requireStreams(const StreamTable& found, const std::string& evoPath) {
    for (Box box : streamBoxes())
        if (found[tableEntry(box)] >= 0) return;
    throw JobError(JobErrorKind::Input, "No stream found in \"" + fullPath(evoPath) + "\"");
}

StopReason readEvo(Session& session) {
    JobState& state = session.state;
    session.streams.forget();
    state.frameCount = {0, 0};
    StreamFinder finder(session.report());
    FrameTally frames(session.request.countFrames);
    frames.countEveryStream(state.frameCount);
    TimingRecorder timing;
    ScrambleTally scrambled;
    ScanSinks sinks{&finder, &frames, &timing, &scrambled};
    const StopReason stop =
        scanEvo(session, openEvo(session, "Reading"), sinks, state.streamTable, ScanMode::Read);
    dropCountsOfStoppedPass(state.frameCount, stop);
    state.timing = {};
    keepTiming(state.timing, timing, state.evoFile, stop);
    labelStreams(session.streams, state.streamTable);
    state.scrambledPacks = scrambled.scrambled();
    finishJob(session);
    if (scrambled.scrambled() > 0) session.log(scrambled.line());
    // Late streams (audio starting minutes in, subpictures) would otherwise go without a word.
    if (const std::string missing = finder.missingStreamsLine();
        stop == StopReason::FastCheckLimit && !missing.empty())
        session.log(missing);
    logFrameCounts(session.report(), state.frameCount);
    logTiming(session.report(), state.timing, state.streamTable);
    return stop;
}

} // namespace splitwick
