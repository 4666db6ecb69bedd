#include "demux_job.h"

#include "demux_outputs.h"
#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "engine/stream_writer.h"
#include "file_choice.h"
#include "job_steps.h"
#include "title_mismatch.h"

namespace splitwick {

DemuxedFiles bDemuxClick(Session& session) {
    return bDemuxClick(session, TitleChapters{});
}

DemuxedFiles bDemuxClick(Session& session, const TitleChapters& chapters, bool boxesFromTitle,
                         PassWriter* alsoWrites) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    controls.setButtonEnabled(Button::Demux, false);
    controls.showPage(Page::Status);
    state.FrameCount = {0, 0};
    const SplitTitle title = splitTitle(session);
    DemuxedFiles files{outputPrefix(session, title), {}, {}};
    const std::string& prefix = files.prefix;

    std::unique_ptr<SourceFile> source = openEvo(session);
    OutputSet outputs;
    AlsoWrites also(alsoWrites);
    for (Box box : streamBoxes()) {
        if (!controls.ticked(box)) continue;
        const int32_t streamId = state.StreamTable[tableEntry(box)];
        if (!also.ownFiles(outputs, box, controls.caption(box), streamId)) continue;
        files.streams.push_back(createBoxOutputs(outputs, controls, title, prefix, box,
                                                 controls.caption(box), streamId));
        session.log("Creating " + files.streams.back().path);
    }
    if (also.chapterFile())
        files.chapters = createChapterFile(outputs, session, title, chapters, prefix);
    session.slog("Writing stream(s)", 0);
    StreamWriter writer(outputs, session.report());
    FrameTally frames(controls);
    frames.countWritten(state.FrameCount, outputs);
    TimingRecorder timing;
    TitleMismatch mismatch(session.report(), controls, boxesFromTitle);
    ScanSinks sinks{&writer, &also.sink(), &frames, &timing, &mismatch};
    state.Timing = {};
    writer.timeBy(timing);
    StopReason stop = demux(session, std::move(source), sinks, state.StreamTable, true);
    also.partEnded();
    keepTiming(state.Timing, timing, state.EVOfile, stop, &writer);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part) {
        writer.timeBy(timing);
        stop = demux(session, std::move(later), sinks, state.StreamTable, true,
                     ScanStart::AfterFirstPart);
        also.partEnded();
        keepTiming(state.Timing, timing, splitPath(title.laterParts[part]).name, stop, &writer);
    }
    dropCountsOfStoppedPass(state.FrameCount, stop);
    outputs.close();
    if (stop == StopReason::EndOfFile) mismatch.dropStreamsNeverMet(files);

    finishJob(session);
    logFrameCounts(session.report(), state.FrameCount);
    controls.setButtonEnabled(Button::Demux, true);
    return files;
}

} // namespace splitwick
