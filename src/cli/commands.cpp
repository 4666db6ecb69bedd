#include "commands.h"

#include <iostream>

#include "engine/job_error.h"
#include "engine/output_file.h"
#include "engine/plain_controls.h"
#include "jobs/chapter_file.h"
#include "jobs/file_choice.h"
#include "jobs/one_pass.h"
#include "jobs/read_evo.h"
#include "mkv_command.h"
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
    controls.setOption(Option::LpcmWav, request.lpcmWav);
    controls.setOption(Option::SubPgs, request.subPgs);
    controls.setOption(Option::ExtensionsByCodec, request.extByCodec);
    controls.setField(Field::Workdir, request.outputFolder);
    controls.setField(Field::VideoExt, request.videoExt);
    controls.setField(Field::AudioExt, request.audioExt);
    controls.setField(Field::SubExt, request.subExt);
}

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
    InterruptEvents events;
    ConsoleReport report(request.json, ProgressLine::forStderr(request.quiet), events);
    PlainControls controls;
    Session session(controls, report, events);
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
    StopReason stop = StopReason::EndOfFile;
    // Read XPL marks the playlist's streams in the table over the identifiers Read EVO found.
    StreamTable found;
    if (request.command == "read") {
        stop = bCheckClick(session);
        found = session.state.StreamTable;
        if (!request.xplFile.empty() && !InterruptEvents::interrupted())
            bReadXPLClick(session, playlist, view);
    } else {
        JobAfterReads job{request.streams, nullptr};
        if (!request.xplFile.empty())
            job.readPlaylist = [&] {
                bReadXPLClick(session, playlist, view);
                return playlist.title.chaptersFor(session.state.EVOname);
            };
        if (request.command == "mkv") return runMkv(request, session, report, job, playlist);
        if (request.command == "demux") {
            stop = demuxInOnePass(session, job);
        } else {
            RebuildState rebuild;
            stop = rebuildInOnePass(session, rebuild, job);
        }
        found = session.state.StreamTable;
        // The log says "Done." after a cancel too: the files it wrote are not whole.
        if (stop == StopReason::Cancelled)
            std::cerr << "Cancelled: the output files hold what was written until then\n";
    }
    if (request.json) std::cout << summaryJson(session, found, report.lines(), stop) << '\n';
    return exitCode();
}

} // namespace splitwick::cli
