#include "mkv_command.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "mux/mkv_of_demux.h"
#include "mux/mux_runner.h"
#include "summary.h"

namespace splitwick::cli {

namespace {

// The mkv command has no choice of LPCM as raw samples: the way out it offers is to leave the
// stream out.
const char* const LeaveOut = ". Leave the stream out of the .mkv with --streams";

// The folder the streams are demuxed into, beside the .mkv of the same stem, held by this run
// alone: a second run for the same .mkv would write into and remove the files this one's
// mkvmerge reads.
class WorkFolder {
  public:
    WorkFolder(std::string path, const std::string& mkv) : path_(std::move(path)) {
        // One left by an earlier run is used again: its files are replaced, as a Demux replaces
        // its outputs. One that an ending run removes meanwhile is made anew.
        for (int tries = 0; fd_ < 0 && tries < 3; ++tries)
            takeFolder(mkv);
        if (fd_ < 0) throw cannotCreate(fullPath(path_), systemReason(ENOENT));
    }
    ~WorkFolder() {
        if (fd_ >= 0) ::close(fd_);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::string& path() const { return path_; }

    // Whatever failed is told with the folder that holds what was written before it; a folder
    // left empty (the source could not be opened, the demux failed) goes.
    [[noreturn]] void failed(const JobError& error) const {
        if (::rmdir(path_.c_str()) == 0) throw error;
        const std::string detail = error.detail();
        throw JobError(error.kind(), error.what(),
                       (detail.empty() ? "" : errorBoxText(detail) + "\n") + kept());
    }
    void dropIfEmpty() const { ::rmdir(path_.c_str()); }
    std::string kept() const { return "The demuxed streams are kept in " + fullPath(path_); }

    // The files the mux took, then the folder, when nothing else is left in it.
    void remove(const MuxPlan& plan) const {
        removeMuxInputs(plan);
        ::rmdir(path_.c_str());
    }

  private:
    void takeFolder(const std::string& mkv) {
        if (::mkdir(path_.c_str(), 0777) != 0 && errno != EEXIST)
            throw cannotCreate(fullPath(path_), systemReason(errno));
        const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 && errno == ENOTDIR)
            throw JobError(JobErrorKind::Refused,
                           "\"" + fullPath(path_) + "\" is a file: the streams of " +
                               fullPath(mkv) +
                               " are demuxed into a folder of that name. Move it, or choose "
                               "another --out");
        if (fd < 0) throw cannotCreate(fullPath(path_), systemReason(errno));
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw JobError(JobErrorKind::Refused, "Another run is making " + fullPath(mkv) +
                                                      " from the streams in " + fullPath(path_) +
                                                      ": wait for it to end");
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }

    std::string path_;
    int fd_ = -1;
};

// The .mkv must not take the place of the source, as no output of a Demux may.
void refuseSource(const Session& session, const SplitTitle& title, const std::string& mkv) {
    std::error_code ec;
    if (std::filesystem::equivalent(mkv, session.request.evoPath, ec))
        throw cannotCreate(mkv, FileInUse);
    refuseLaterParts(title, mkv);
}

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
    for (const std::string& line : {besidesLine(mkv), emptyLine(mkv)})
        if (!line.empty()) report.log(line);
}

// A stop (Ctrl-C, SIGTERM) during the demux or the mux: the streams stay for another try.
int stopped(const WorkFolder& work, const Request& request, const Session& session,
            const ConsoleReport& report) {
    if (request.json)
        std::cout << summaryJson(session, session.state.streamTable, report.lines(),
                                 StopReason::Cancelled)
                  << '\n';
    std::cerr << "Stopped. " << errorBoxText(work.kept()) << '\n';
    return InterruptEvents::exitCode();
}

} // namespace

int runMkv(const Request& request, Session& session, ConsoleReport& report,
           const StreamJob& job, const Playlist& playlist) {
    // The stem of the .mkv is that of the demux's outputs: NAME_1_2 for both parts of a title.
    const SplitTitle title = splitTitle(session);
    const std::string stem = outputPrefix(session, title);
    refuseSource(session, title, stem + ".mkv");
    const WorkFolder work(stem + ".streams", stem + ".mkv");
    report.inTwoPhases(splitPath(stem).name + ".mkv");
    session.request.outputFolder = work.path();
    DemuxedFiles files;
    MkvOfDemux mkv;
    StopReason stop = StopReason::EndOfFile;
    try {
        stop = demux(session, job, &files);
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
    } catch (const LpcmFormatError& error) {
        work.failed(JobError(error.kind(), error.reason() + LeaveOut));
    } catch (const JobError& error) {
        work.failed(error);
    } catch (const UsageError&) {
        // A request that the playlist shows wrong stops before anything is demuxed.
        work.dropIfEmpty();
        throw;
    }
    if (request.keepStreams)
        report.log(work.kept());
    else
        work.remove(mkv.plan);
    if (request.json) {
        const size_t chapters = playlist.title.chaptersFor(session.state.evoName).marks.size();
        std::cout << summaryJson(session, session.state.streamTable, report.lines(), stop,
                                 mkvJson(mkv.plan, chapters))
                  << '\n';
    }
    return 0;
}

} // namespace splitwick::cli
