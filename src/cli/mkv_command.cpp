#include "mkv_command.h"

#include <filesystem>
#include <iostream>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "mux/matroska_output.h"
#include "summary.h"

namespace splitwick::cli {

namespace {

// The mkv command has no choice of LPCM as raw samples: the way out it offers is to leave the
// stream out.
const char* const LeaveOut = ". Leave the stream out of the .mkv with --streams";

// The .mkv must not take the place of the source, as no output of a Demux may.
void refuseSource(const Session& session, const SplitTitle& title, const std::string& mkv) {
    std::error_code ec;
    if (std::filesystem::equivalent(mkv, session.request.evoPath, ec))
        throw cannotCreate(mkv, FileInUse);
    refuseLaterParts(title, mkv);
}

// A stop (Ctrl-C, SIGTERM) during the pass: the .mkv is not made.
int stopped(const Request& request, const Session& session, const ConsoleReport& report) {
    if (request.json)
        std::cout << summaryJson(session, session.state.streamTable, report.lines(),
                                 StopReason::Cancelled)
                  << '\n';
    std::cerr << "Stopped." << '\n';
    return InterruptEvents::exitCode();
}

} // namespace

int runMkv(const Request& request, Session& session, ConsoleReport& report, const StreamJob& job,
           const Playlist& playlist) {
    // The stem of the .mkv is that of the demux's outputs: NAME_1_2 for both parts of a title.
    const SplitTitle title = splitTitle(session);
    const std::string output = outputPrefix(session, title) + ".mkv";
    refuseSource(session, title, output);
    report.namedAfter(splitPath(output).name);
    const std::unique_ptr<MatroskaOutput> mkv =
        openMatroskaOutput({output, playlist.title, session.state, request.keepStreams,
                            session.request.subPgs, session.openFiles},
                           report);
    StreamJob withMkv = job;
    withMkv.alsoWrites = mkv.get();
    DemuxedFiles files;
    StopReason stop = StopReason::EndOfFile;
    try {
        stop = demux(session, withMkv, &files);
        if (stop != StopReason::EndOfFile) return stopped(request, session, report);
        mkv->finish();
    } catch (const LpcmFormatError& error) {
        throw JobError(JobErrorKind::Input, error.reason() + LeaveOut);
    }
    const MkvOfDemux made = mkv->made(files);
    if (const std::string line = besidesLine(made); !line.empty()) report.log(line);
    report.log("Muxed " + output);
    if (request.json) {
        const size_t chapters = playlist.title.chaptersFor(session.state.evoName).marks.size();
        std::cout << summaryJson(session, session.state.streamTable, report.lines(), stop,
                                 mkvJson(made.plan, chapters))
                  << '\n';
    }
    return 0;
}

} // namespace splitwick::cli
