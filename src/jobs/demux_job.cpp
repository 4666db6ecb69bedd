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

DemuxedFiles bDemuxClick(Session& session, const TitleChapters& chapters, bool boxesFromTitle) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    controls.setButtonEnabled(Button::Demux, false);
    controls.showPage(Page::Status);
    state.FrameCount = {0, 0};
    const SplitTitle title = splitTitle(session);
    DemuxedFiles files{outputPrefix(session, title), {}, {}};
    const std::string& prefix = files.prefix;

    std::unique_ptr<SourceFile> source = openEvo(session);
    // Every output is opened before any is emptied, so that a run that cannot start leaves the
    // files of an earlier one as they were.
    OutputSet outputs;
    for (Box box : streamBoxes()) {
        if (!controls.ticked(box)) continue;
        files.streams.push_back(createBoxOutputs(outputs, controls, title, prefix, box,
                                                 controls.caption(box),
                                                 state.StreamTable[tableEntry(box)]));
        session.log("Creating " + files.streams.back().path);
    }
    const std::unique_ptr<OutputFile> chapterFile =
        createChapterFile(session, title, chapters, prefix);
    if (chapterFile) files.chapters = chapterFile->path();
    outputs.truncate();
    if (chapterFile) {
        chapterFile->truncate();
        writeChapterFile(*chapterFile, chapters);
    }
    session.slog("Writing stream(s)", 0);
    StreamWriter writer(outputs, session.report());
    FrameTally frames(controls);
    frames.countWritten(state.FrameCount, outputs);
    TimingRecorder timing;
    TitleMismatch mismatch(session.report(), controls, boxesFromTitle);
    ScanSinks sinks{&writer, &frames, &timing, &mismatch};
    state.Timing = {};
    StopReason stop = demux(session, std::move(source), sinks, state.StreamTable, true);
    keepTiming(state.Timing, timing, state.EVOfile, stop);
    if (auto second = openSecondPart(session, title, stop)) {
        stop = demux(session, std::move(second), sinks, state.StreamTable, true,
                     ScanStart::AfterFirstPart);
        keepTiming(state.Timing, timing, splitPath(title.secondPart).name, stop);
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
