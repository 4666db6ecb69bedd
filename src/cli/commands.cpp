#include "commands.h"

#include <algorithm>
#include <iostream>
#include <map>

#include "engine/job_error.h"
#include "engine/plain_controls.h"
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

void demux(Session& session) {
    bDemuxClick(session);
}

void rebuild(Session& session) {
    RebuildState rebuild;
    bRebuildClick(session, rebuild);
}

// The commands that read the file first, tick the boxes asked for, then run a job on them.
const std::map<std::string, void (*)(Session&)> JobsAfterRead = {
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

} // namespace

int runRequest(const Request& request) {
    ConsoleReport report(request.json);
    PlainControls controls;
    InterruptEvents events;
    Session session(controls, report, events);
    events.attach(session);
    applyOptions(request, controls);
    chooseFiles(request, session);
    Playlist playlist;
    PlainPlaylistView view;

    if (request.command == "xpl") {
        const bool titleFound = bReadXPLClick(session, playlist, view);
        if (request.json)
            std::cout << playlistJson(controls, view, report.lines(), titleFound) << '\n';
        return exitCode();
    }
    bCheckClick(session);
    if (!request.xplFile.empty() && !InterruptEvents::interrupted())
        bReadXPLClick(session, playlist, view);
    const auto job = JobsAfterRead.find(request.command);
    if (job != JobsAfterRead.end() && !InterruptEvents::interrupted()) {
        tickStreams(request.streams.value_or(enabledBoxes(controls)), controls,
                    session.state.EVOfile);
        job->second(session);
    }
    if (request.json) std::cout << summaryJson(session, report.lines()) << '\n';
    return exitCode();
}

} // namespace splitwick::cli
