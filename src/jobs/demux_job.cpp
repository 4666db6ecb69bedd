#include "demux_job.h"

#include "engine/demux.h"
#include "job_steps.h"

namespace splitwick {

namespace {

const std::string& extensionFor(BoxKind kind, const std::string (&extensions)[3]) {
    return extensions[static_cast<int>(kind)];
}

// Creates the outputs of the ticked boxes, in box order, each in its box's slot.
void createOutputs(Session& session, const SplitTitle& title, const std::string& outputPrefix) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    const std::string extensions[3] = {controls.field(Field::VideoExt),
                                       controls.field(Field::AudioExt),
                                       controls.field(Field::SubExt)};
    for (Box box : streamBoxes()) {
        if (!controls.ticked(box)) continue;
        const std::string stem = outputPrefix + "." + safeNamePart(controls.caption(box));
        const std::string name = stem + "." + safeNamePart(extensionFor(box.kind, extensions));
        OutputSlot output = createOutput(title, name);
        switch (box.kind) {
        case BoxKind::Video:
            state.VideoOut[box.index] = std::move(output);
            break;
        case BoxKind::Audio:
            state.AudioOut[box.index] = std::move(output);
            break;
        case BoxKind::Subpicture:
            state.SubOut[box.index] = std::move(output);
            state.PtsOut[box.index] = createOutput(title, stem + ".pts");
            break;
        }
        session.log("Creating " + name);
    }
}

// The chapters go beside the streams, under the streams' prefix; a split title's chapters
// already cover both parts.
void createChapterFile(Session& session, const SplitTitle& title, const TitleChapters& chapters,
                       const std::string& outputPrefix) {
    if (chapters.marks.empty()) return;
    const std::string name = outputPrefix + ".chapters.xml";
    writeChapterFile(*createOutput(title, name), chapters);
    session.log("Creating " + name);
}

void demuxParts(Session& session, const SplitTitle& title, const std::string& outputPrefix,
                const TitleChapters& chapters) {
    SourceHold hold(session.state);
    openEvo(session);
    createOutputs(session, title, outputPrefix);
    createChapterFile(session, title, chapters, outputPrefix);
    session.slog("Writing stream(s)", 0);
    passOverParts(session, title, [&] { demux(session, true); });
}

} // namespace

void bDemuxClick(Session& session) {
    bDemuxClick(session, TitleChapters{});
}

void bDemuxClick(Session& session, const TitleChapters& chapters) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    controls.setButtonEnabled(Button::Demux, false);
    controls.showPage(Page::Status);
    state.FrameCount = {0, 0};
    std::string outputPrefix = outputStem(controls.field(Field::Workdir), state.EVOname);
    const SplitTitle title = splitTitle(session);
    if (title.isFirstPart && title.secondPartExists()) outputPrefix += "_2";
    try {
        demuxParts(session, title, outputPrefix, chapters);
    } catch (...) {
        dropOutputs(state);
        throw;
    }
    closeOutputs(state);
    finishJob(session);
    logFrameCounts(session);
    controls.setButtonEnabled(Button::Demux, true);
}

} // namespace splitwick
