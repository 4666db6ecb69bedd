#include "dry_run.h"

#include <algorithm>
#include <iostream>

#include "engine/job_error.h"
#include "jobs/demux_outputs.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "jobs/read_evo.h"
#include "mux/mkv_of_demux.h"
#include "playlist/read_xpl.h"
#include "summary.h"

namespace splitwick::cli {

namespace {

struct Plan {
    std::vector<std::string> files;
    MuxPlan mux; // the tracks, labelled as the .mkv would take them
    size_t chapters = 0;
};

// The outputs of the chosen boxes, named as the job names them: mkv's .mkv, beside it the
// streams it cannot take and, with --keep-streams, every stream and the chapters.
Plan planOf(const Request& request, const Session& session, const TitleInfo& title,
            const std::vector<Box>& chosen) {
    const std::string prefix = outputPrefix(session, splitTitle(session));
    Plan plan;
    plan.chapters = title.chaptersFor(session.state.evoName).marks.size();
    DemuxedFiles files{prefix, {}, plan.chapters > 0 ? prefix + ".chapters.xml" : ""};
    for (Box box : streamBoxes())
        if (std::find(chosen.begin(), chosen.end(), box) != chosen.end())
            files.streams.push_back(boxOutputNames(session.request, prefix, box,
                                                   session.streams[box].label,
                                                   session.state.streamTable[tableEntry(box)]));
    const MkvOfDemux muxed = mkvOfDemux(files, session.state, title, prefix + ".mkv");
    plan.mux = muxed.plan;
    const auto addFiles = [&](const std::vector<DemuxedStream>& streams) {
        for (const DemuxedStream& stream : streams)
            for (const std::string& path : {stream.path, stream.timestamps})
                if (!path.empty()) plan.files.push_back(path);
    };
    if (request.command == "rebuild") {
        plan.files = {prefix + ".rebuilt.EVO"};
    } else if (request.command == "mkv" && !request.keepStreams) {
        plan.files = {prefix + ".mkv"};
        addFiles(muxed.besides);
    } else {
        if (request.command == "mkv") plan.files = {prefix + ".mkv"};
        addFiles(files.streams);
        if (!files.chapters.empty()) plan.files.push_back(files.chapters);
    }
    return plan;
}

// The streams asked for (none: every stream the reads made known), each of which must have a
// stream, less those whose stream the file lacks: they would get no file.
std::vector<Box> chosenBoxes(const Session& session, const StreamTable& found,
                             const std::optional<std::vector<Box>>& asked) {
    const StreamChoice& streams = session.streams;
    if (asked)
        for (Box box : *asked)
            if (!streams[box].known())
                throw JobError(JobErrorKind::Input,
                               "No stream for " + boxName(box) + " in " + session.state.evoFile);
    std::vector<Box> chosen;
    for (Box box : streamBoxes()) {
        const bool wanted = asked ? std::find(asked->begin(), asked->end(), box) != asked->end()
                                  : streams[box].known();
        if (wanted && found[tableEntry(box)] >= 0) chosen.push_back(box);
    }
    return chosen;
}

void printPlan(const Plan& plan) {
    for (const std::string& file : plan.files)
        std::cout << "Would write " << file << '\n';
    for (const MuxTrack& track : plan.mux.tracks)
        std::cout << "Track " << boxName(track.box) << ": " << codecName(track.codec) << ", "
                  << track.label.language << ", \"" << track.label.name << "\", delay "
                  << track.delayMs << " ms\n";
    std::cout << "Chapters: " << plan.chapters << '\n';
}

} // namespace

int dryRun(const Request& request, Session& session, ConsoleReport& report, Playlist& playlist,
           PlainPlaylistView& view,
           const std::function<std::optional<std::vector<Box>>()>& pickStreams) {
    readEvo(session);
    const StreamTable found = session.state.streamTable;
    requireStreams(found, session.request.evoPath);
    if (!request.xplFile.empty()) readPlaylist(session, playlist, view);
    const std::vector<Box> chosen =
        chosenBoxes(session, found, request.xplFile.empty() ? request.streams : pickStreams());
    // The codecs and names come from the streams Read EVO found, as in the job's own pass.
    session.state.streamTable = found;
    const Plan plan = planOf(request, session, playlist.title, chosen);
    if (request.json)
        std::cout << dryRunJson(report.lines(), plan.files, plan.mux, plan.chapters) << '\n';
    else
        printPlan(plan);
    return 0;
}

} // namespace splitwick::cli
