#include "demux_job.h"

#include <algorithm>

#include "engine/demux.h"
#include "job_steps.h"
#include "output_names.h"

namespace splitwick {

namespace {

// A subpicture's side file of timestamps.
const std::string PtsExtension = "pts";

const std::string& extensionFor(BoxKind kind, const std::string (&extensions)[3]) {
    return extensions[static_cast<int>(kind)];
}

// Creates the outputs of the ticked boxes, in box order, each in its box's slot.
void createOutputs(Session& session, const SplitTitle& title, const std::string& prefix) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    const std::string extensions[3] = {controls.field(Field::VideoExt),
                                       controls.field(Field::AudioExt),
                                       controls.field(Field::SubExt)};
    for (Box box : streamBoxes()) {
        if (!controls.ticked(box)) continue;
        const std::string extension = safeNamePart(extensionFor(box.kind, extensions));
        const bool withTimestamps = box.kind == BoxKind::Subpicture;
        const std::string stem =
            boxOutputStem(prefix, controls.caption(box), box,
                          std::max(extension.size(), withTimestamps ? PtsExtension.size() : 0));
        const std::string name = stem + "." + extension;
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
            state.PtsOut[box.index] = createOutput(title, stem + "." + PtsExtension);
            break;
        }
        session.log("Creating " + name);
    }
}

// The chapters go beside the streams, under the streams' prefix; a split title's chapters
// already cover both parts. Opened with the streams' outputs, so that it is emptied only when
// they all could be opened.
OutputSlot createChapterFile(Session& session, const SplitTitle& title,
                             const TitleChapters& chapters, const std::string& prefix) {
    if (chapters.marks.empty()) return nullptr;
    const std::string name = prefix + ".chapters.xml";
    OutputSlot file = createOutput(title, name);
    session.log("Creating " + name);
    return file;
}

void demuxParts(Session& session, const SplitTitle& title, const std::string& prefix,
                const TitleChapters& chapters) {
    SourceHold hold(session.state);
    openEvo(session);
    createOutputs(session, title, prefix);
    const OutputSlot chapterFile = createChapterFile(session, title, chapters, prefix);
    truncateOutputs(session.state);
    if (chapterFile) {
        chapterFile->truncate();
        writeChapterFile(*chapterFile, chapters);
    }
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
    const SplitTitle title = splitTitle(session);
    try {
        demuxParts(session, title, outputPrefix(session, title), chapters);
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
