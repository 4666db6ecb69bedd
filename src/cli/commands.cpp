#include "commands.h"

#include <algorithm>
#include <iostream>
#include <map>

#include "engine/job_error.h"
#include "engine/output_file.h"
#include "engine/plain_controls.h"
#include "jobs/chapter_file.h"
#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "playlist/read_xpl.h"
#include "summary.h"

namespace splitwick::cli {

namespace {

// 0, or 128 + the signal that stopped the jobs.
int exitCode() {
    return InterruptEvents::interrupted() ? InterruptEvents::exitCode() : 0;
}

void applyOptions(const Request& request, PlainControls& controls) {
    controls.setOption(Option::FastCheck, request.fastCheck);
    controls.setOption(Option::CountFrames, request.countFrames);
    controls.setOption(Option::Continue, request.continueSplit);
    controls.setField(Field::Workdir, request.outputFolder);
    controls.setField(Field::VideoExt, request.videoExt);
    controls.setField(Field::AudioExt, request.audioExt);
    controls.setField(Field::SubExt, request.subExt);
}

// The boxes the reads enabled: every stream Read EVO found or, after Read XPL, every stream the
// playlist's title names. Boxes ticked before and disabled since are not among them.
std::vector<Box> enabledBoxes(const Controls& controls) {
    std::vector<Box> boxes;
    for (Box box : allBoxes())
        if (controls.boxEnabled(box)) boxes.push_back(box);
    return boxes;
}

// Ticks exactly the boxes named; a box whose stream the file lacks cannot be ticked in the
// window either.
void tickStreams(const std::vector<Box>& wanted, Controls& controls, const std::string& file) {
    for (Box box : wanted)
        if (!controls.boxEnabled(box))
            throw JobError("No stream for " + boxName(box) + " in " + file);
    for (Box box : allBoxes())
        controls.setTicked(box, std::find(wanted.begin(), wanted.end(), box) != wanted.end());
}

void demux(Session& session, const Playlist& playlist) {
    bDemuxClick(session, playlist.title.chaptersFor(session.state.EVOname));
}

void rebuild(Session& session, const Playlist&) {
    RebuildState rebuild;
    bRebuildClick(session, rebuild);
}

// The commands that read the file first, tick the boxes asked for, then run a job on them.
const std::map<std::string, void (*)(Session&, const Playlist&)> JobsAfterRead = {
    {"demux", demux},
    {"rebuild", rebuild},
};

// Chooses the files as browsing for them would: the EVO first, then the playlist.
void chooseFiles(const Request& request, Session& session) {
    if (!request.evoFile.empty()) {
        session.controls.setField(Field::EVOfile, request.evoFile);
        EVOadj(session);
    }
    if (!request.xplFile.empty()) {
        session.controls.setField(Field::XPLfile, request.xplFile);
        XPLadj(session);
    }
}

// xpl --chapters: the title that plays the EVO must have chapters, or there is nothing to
// write.
void writeChapters(const std::string& path, const Session& session, const Playlist& playlist) {
    const TitleChapters chapters = playlist.title.chaptersFor(session.state.EVOname);
    if (chapters.marks.empty())
        throw JobError(session.state.XPLfile + " gives no chapters for " + session.state.EVOname);
    OutputFile file(path);
    file.truncate();
    writeChapterFile(file, chapters);
}

} // namespace

int runRequest(const Request& request) {
    ConsoleReport report(request.json, ProgressLine::forStderr(request.quiet));
    PlainControls controls;
    InterruptEvents events;
    Session session(controls, report, events);
    report.follow(session.state);
    events.attach(session);
    applyOptions(request, controls);
    chooseFiles(request, session);
    Playlist playlist;
    PlainPlaylistView view;

    if (request.command == "xpl") {
        const bool titleFound = bReadXPLClick(session, playlist, view);
        if (!request.chaptersFile.empty()) writeChapters(request.chaptersFile, session, playlist);
        if (request.json) {
            writePlaylistJson(std::cout, controls, view, report.lines(), titleFound,
                              playlist.title);
            std::cout << '\n';
        } else if (request.tree) {
            std::cout << treeText(view.tree);
        }
        return exitCode();
    }
    bCheckClick(session);
    if (!request.xplFile.empty() && !InterruptEvents::interrupted())
        bReadXPLClick(session, playlist, view);
    const auto job = JobsAfterRead.find(request.command);
    if (job != JobsAfterRead.end() && !InterruptEvents::interrupted()) {
        tickStreams(request.streams.value_or(enabledBoxes(controls)), controls,
                    session.state.EVOfile);
        job->second(session, playlist);
    }
    if (request.json) std::cout << summaryJson(session, report.lines()) << '\n';
    return exitCode();
}

} // namespace splitwick::cli
