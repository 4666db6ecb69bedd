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
#include "summary.h"

namespace splitwick::cli {

namespace {

constexpr int ExitInterrupted = 130;

void applyOptions(const Request& request, PlainControls& controls) {
    controls.setOption(Option::FastCheck, request.fastCheck);
    controls.setOption(Option::CountFrames, request.countFrames);
    controls.setOption(Option::Continue, request.continueSplit);
    controls.setField(Field::Workdir, request.outputFolder);
    controls.setField(Field::VideoExt, request.videoExt);
    controls.setField(Field::AudioExt, request.audioExt);
    controls.setField(Field::SubExt, request.subExt);
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

} // namespace

int runRequest(const Request& request) {
    ConsoleReport report(request.json);
    PlainControls controls;
    InterruptEvents events;
    Session session(controls, report, events);
    events.attach(session);
    applyOptions(request, controls);

    controls.setField(Field::EVOfile, request.evoFile);
    EVOadj(session);
    bCheckClick(session);
    const auto job = JobsAfterRead.find(request.command);
    if (job != JobsAfterRead.end() && !InterruptEvents::interrupted()) {
        if (request.streams) tickStreams(*request.streams, controls, session.state.EVOfile);
        job->second(session);
    }
    if (request.json) std::cout << summaryJson(session, report.lines()) << '\n';
    return InterruptEvents::interrupted() ? ExitInterrupted : 0;
}

} // namespace splitwick::cli
