#include "mkv_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "engine/job_error.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "mux/mkv_of_demux.h"
#include "mux/mux_runner.h"
#include "summary.h"

namespace splitwick::cli {

namespace {

// The folder the streams are demuxed into, beside the .mkv of the same stem.
class WorkFolder {
  public:
    explicit WorkFolder(std::string path) : path_(std::move(path)) {
        // One left by an earlier run is used again: its files are overwritten, as a Demux
        // overwrites its outputs.
        if (::mkdir(path_.c_str(), 0777) != 0 && errno != EEXIST)
            throw cannotCreate(fullPath(path_), systemReason(errno));
    }
    const std::string& path() const { return path_; }

    // Whatever failed is told with the folder that holds what was written before it; a folder
    // still empty (the source could not be opened) goes.
    [[noreturn]] void failed(const std::exception& error) const {
        if (::rmdir(path_.c_str()) == 0) throw;
        const auto* jobError = dynamic_cast<const JobError*>(&error);
        const std::string detail = jobError != nullptr ? jobError->detail() : "";
        throw JobError(error.what(), (detail.empty() ? "" : errorBoxText(detail) + "\n") + kept());
    }
    std::string kept() const { return "The demuxed streams are kept in " + fullPath(path_); }

    // The files the mux took, then the folder, when nothing else is left in it.
    void remove(const MuxPlan& plan) const {
        removeMuxInputs(plan);
        ::rmdir(path_.c_str());
    }

  private:
    std::string path_;
};

// A file of the working folder, moved beside the .mkv: the output prefix of the demux (the
// folder and the stem) gives way to that of the .mkv.
std::string moveBeside(const std::string& path, const DemuxedFiles& files,
                       const std::string& stem) {
    if (path.empty()) return path;
    const std::string target = stem + path.substr(files.prefix.size());
    if (std::rename(path.c_str(), target.c_str()) != 0)
        throw cannotCreate(fullPath(target), systemReason(errno));
    return target;
}

// Subpictures and the streams of no codec the mux knows stay files of their own.
void moveBesides(MkvOfDemux& mkv, const DemuxedFiles& files, const std::string& stem,
                 Report& report) {
    for (DemuxedStream& stream : mkv.besides) {
        stream.path = moveBeside(stream.path, files, stem);
        stream.timestamps = moveBeside(stream.timestamps, files, stem);
    }
    const std::string line = besidesLine(mkv);
    if (!line.empty()) report.log(line);
}

// A stop (Ctrl-C, SIGTERM) during the demux or the mux: the streams stay for another try.
int stopped(const WorkFolder& work, const Request& request, const Session& session,
            const ConsoleReport& report) {
    if (request.json)
        std::cout << summaryJson(session, session.state.StreamTable, report.lines(),
                                 StopReason::Cancelled)
                  << '\n';
    std::cerr << "Stopped. " << errorBoxText(work.kept()) << '\n';
    return InterruptEvents::exitCode();
}

} // namespace

int runMkv(const Request& request, Session& session, ConsoleReport& report,
           const JobAfterReads& job, const Playlist& playlist) {
    // The stem of the .mkv is that of the demux's outputs: NAME_1_2 for both parts of a title.
    const std::string stem = outputPrefix(session, splitTitle(session));
    const WorkFolder work(stem + ".streams");
    report.inTwoPhases(splitPath(stem).name + ".mkv");
    session.controls.setField(Field::Workdir, work.path());
    DemuxedFiles files;
    MkvOfDemux mkv;
    StopReason stop = StopReason::EndOfFile;
    try {
        stop = demuxInOnePass(session, job, &files);
        if (stop != StopReason::EndOfFile) return stopped(work, request, session, report);
        mkv = mkvOfDemux(files, session.state, playlist.title, stem + ".mkv");
        moveBesides(mkv, files, stem, report);
        const MuxListeners listeners{[&](int percent) { report.muxedPercent(percent); },
                                     [](const std::string& warning) {
                                         std::cerr << "mkvmerge warning: " << warning << '\n';
                                     }};
        const MuxEnd end = muxAndWait(
            mkv.plan, report, [] { return InterruptEvents::interrupted(); }, listeners);
        if (end == MuxEnd::Cancelled) return stopped(work, request, session, report);
    } catch (const std::exception& error) {
        work.failed(error);
    }
    if (request.keepStreams)
        report.log(work.kept());
    else
        work.remove(mkv.plan);
    if (request.json) {
        const size_t chapters = playlist.title.chaptersFor(session.state.EVOname).marks.size();
        std::cout << summaryJson(session, session.state.StreamTable, report.lines(), stop,
                                 mkvJson(mkv.plan, chapters))
                  << '\n';
    }
    return 0;
}

} // namespace splitwick::cli
