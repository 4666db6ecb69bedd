#include "read_evo.h"

#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "engine/job_error.h"
#include "engine/scrambled_packs.h"
#include "engine/stream_finder.h"
#include "job_steps.h"
#include "timing_lines.h"

namespace splitwick {

void labelBoxes(Controls& controls, const StreamTable& table) {
    for (Box box : streamBoxes()) {
        const int32_t id = table[tableEntry(box)];
        const bool found = id >= 0;
        controls.setBoxEnabled(box, found);
        controls.setTicked(box, found);
        if (found) controls.setCaption(box, streamName(box.kind, id) + captionSuffix(box));
    }
}

void requireStreams(const StreamTable& found, const std::string& evoPath) {
    for (Box box : streamBoxes())
        if (found[tableEntry(box)] >= 0) return;
    throw JobError("No stream found in \"" + fullPath(evoPath) + "\"");
}

StopReason bCheckClick(Session& session) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    controls.setButtonEnabled(Button::Check, false);
    Resetcbs(controls);
    controls.showPage(Page::Status);
    state.FrameCount = {0, 0};
    StreamFinder finder(session.report());
    FrameTally frames(controls);
    frames.countEveryStream(state.FrameCount);
    TimingRecorder timing;
    ScrambleTally scrambled;
    ScanSinks sinks{&finder, &frames, &timing, &scrambled};
    const StopReason stop =
        demux(session, openEvo(session, "Reading"), sinks, state.StreamTable, false);
    dropCountsOfStoppedPass(state.FrameCount, stop);
    state.Timing = {};
    keepTiming(state.Timing, timing, state.EVOfile, stop);
    labelBoxes(controls, state.StreamTable);
    state.ScrambledPacks = scrambled.scrambled();
    finishJob(session);
    if (scrambled.scrambled() > 0) session.log(scrambled.line());
    // Late streams (audio starting minutes in, subpictures) would otherwise go without a word.
    if (const std::string missing = finder.missingStreamsLine();
        stop == StopReason::FastCheckLimit && !missing.empty())
        session.log(missing);
    logFrameCounts(session.report(), state.FrameCount);
    logTiming(session.report(), state.Timing, state.StreamTable);
    controls.setButtonEnabled(Button::Check, true);
    return stop;
}

} // namespace splitwick
