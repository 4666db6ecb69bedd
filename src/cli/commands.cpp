#include "commands.h"

#include <iostream>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/output_file.h"
#include "engine/path_parts.h"
#include "jobs/chapter_file.h"
#include "jobs/demux_job.h"
#include "jobs/disc_title_input.h"
#include "jobs/dry_run.h"
#include "jobs/file_choice.h"
#include "jobs/output_folder.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "mux/matroska_output.h"
#include "playlist/disc_titles.h"
#include "playlist/read_xpl.h"
#include "summary.h"
#include "titles_command.h"

namespace splitwick::cli {

namespace {

// 0, or 128 + the signal that stopped the jobs.
int exitCode() {
    return ConsoleEvents::interrupted() ? ConsoleEvents::exitCode() : 0;
}

// The mkv command has no choice of LPCM as raw samples: the way out it offers is to leave the
// stream out.
const char* const LeaveOut = ". Leave the stream out of the .mkv with --streams";

JobRequest jobRequest(const Request& request) {
    JobRequest job;
    job.evoPath = request.evoFile;
    job.playlistPath = request.xplFile;
    job.choice = {request.streams, request.languages};
    job.writes = request.command == "rebuild" ? Writes::Rebuilt : Writes::Streams;
    job.outputFolder = request.outputFolder;
    job.extensions = {request.videoExt, request.audioExt, request.subExt};
    job.fastCheck = request.fastCheck;
    job.countFrames = request.countFrames;
    job.continueParts = request.continueSplit;
    job.lpcmWav = request.lpcmWav;
    job.extensionsByCodec = request.extByCodec;
    job.subPgs = request.subPgs;
    job.mkv = request.command == "mkv";
    job.keepStreams = request.keepStreams;
    job.clusterCrc = request.clusterCrc;
    job.lpcmFlac = request.lpcmFlac;
    job.flacLevel = request.flacLevel;
    job.dtsCore = request.dtsCore;
    return job;
}

// demux or mkv of a disc: the title asked for, from the playlist asked for (alone, so that its
// titles are not taken for language copies of another's).
DiscTitle askedTitle(const Request& request) {
    Disc disc = readDisc(request.evoFile);
    if (!request.playlistName.empty())
        disc = readDisc(disc.folder + "ADV_OBJ/" + request.playlistName);
    const DiscTitle* title = request.title > 0 ? disc.title(request.title, "") : disc.mainTitle();
    if (title == nullptr && request.title > 0)
        throw JobError(JobErrorKind::Input, "No title " + std::to_string(request.title) + " in \"" +
                                                fullPath(request.evoFile) + "\"");
    if (title == nullptr)
        throw JobError(JobErrorKind::Input,
                       "No title plays a clip in \"" + fullPath(request.evoFile) + "\"");
    return *title;
}

// xpl --chapters: the title that plays the EVO must have chapters, or there is nothing to
// write.
void writeChapters(const Request& request, const std::string& evoName, const PlaylistRead& read) {
    const TitleChapters chapters = read.title.chaptersFor(evoName);
    if (chapters.marks.empty())
        throw JobError(JobErrorKind::Input,
                       fileNameOf(request.xplFile) + " gives no chapters for " + evoName);
    const std::string& path = request.chaptersFile;
    OpenFiles files; // the command's only file: the playlist is read and closed
    OutputFile file(path, files);
    writeChapterFile(file, chapters);
    file.close();
}

int runXpl(const Request& request, ConsoleEvents& events) {
    PlainPlaylistView view;
    const std::string evoName = evoStem(request.evoFile);
    const PlaylistRead read = readPlaylist(request.xplFile, evoName, view, events);
    if (!request.chaptersFile.empty()) writeChapters(request, evoName, read);
    if (request.json) {
        writePlaylistJson(std::cout, read, view, events.lines());
        std::cout << '\n';
    } else if (request.tree) {
        std::cout << treeText(view.tree);
    }
    return exitCode();
}

int runRead(const Request& request, const JobRequest& job, ConsoleEvents& events) {
    const ReadResult read = readEvo(job, events);
    std::optional<PlaylistRead> playlist;
    if (!request.xplFile.empty() && !ConsoleEvents::interrupted()) {
        PlainPlaylistView view;
        playlist = readPlaylist(request.xplFile, evoStem(job.evoPath), view, events);
    }
    if (request.json) {
        RunSummary run{
            knownStreams({read.tracks.begin(), read.tracks.end()}, playlist ? &*playlist : nullptr),
            std::nullopt, read.stop, read.scrambledPacks, read.timing};
        if (request.countFrames && read.stop == StopReason::EndOfFile) run.frames = read.frames;
        std::cout << summaryJson(events.lines(), run) << '\n';
    }
    return exitCode();
}

// "Track cbAudio00: FLAC, eng, "English", delay 0 ms, default"
void printTrack(const TrackPlan& track, const char* core) {
    std::cout << "Track " << track.track.track.name().jsonName() << core << ": "
              << codecName(*track.mkvCodec) << ", " << track.mkvLabel.language << ", \""
              << track.mkvLabel.name << "\", delay " << track.delayMs.value_or(0) << " ms"
              << (track.mkvDefault ? ", default" : "") << (track.mkvForced ? ", forced" : "")
              << '\n';
}

void printPlan(const Plan& plan) {
    for (const std::string& file : plan.files())
        std::cout << "Would write " << file << '\n';
    for (const TrackPlan& track : plan.tracks) {
        if (!track.mkvCodec) continue;
        printTrack(track, "");
        if (track.mkvCore) printTrack(corePlan(track), " core");
    }
    std::cout << "Chapters: " << plan.chapterCount << '\n';
}

int runDryRun(const Request& request, const JobRequest& job, ConsoleEvents& events) {
    const Plan plan = dryRun(job, events);
    if (request.json)
        std::cout << dryRunJson(events.lines(), plan) << '\n';
    else
        printPlan(plan);
    return 0;
}

// After a stop (Ctrl-C, SIGTERM) the files written so far are kept, as a cancel keeps them; a
// .mkv is not made.
void tellStopped(const Request& request) {
    std::cerr << (request.command == "mkv" ? "Stopped." : CancelledLine) << '\n';
}

int runDemux(const Request& request, const JobRequest& job, ConsoleEvents& events) {
    DemuxResult result;
    try {
        result = demux(job, events, job.mkv ? matroskaWriterMaker() : nullptr);
    } catch (const LpcmFormatError& error) {
        if (!job.mkv) throw;
        throw JobError(JobErrorKind::Input, error.reason() + LeaveOut);
    }
    if (result.stop == StopReason::Cancelled) tellStopped(request);
    if (request.json) {
        RunSummary run{knownStreams({result.read.tracks.begin(), result.read.tracks.end()},
                                    result.playlist ? &*result.playlist : nullptr),
                       std::nullopt, result.stop, 0, result.timing};
        if (request.countFrames && result.stop == StopReason::EndOfFile)
            run.frames = result.written;
        const std::string mkv = result.mkvTracks.empty()
                                    ? ""
                                    : mkvJson(result.plan.mkv, result.mkvTracks,
                                              result.plan.chapterCount, result.mkvLeftOut);
        std::cout << summaryJson(events.lines(), run, mkv) << '\n';
    }
    return exitCode();
}

int runRebuild(const Request& request, const JobRequest& job, ConsoleEvents& events) {
    const RebuildResult result = rebuild(job, events);
    if (result.stop == StopReason::Cancelled) tellStopped(request);
    if (request.json) {
        RunSummary run{knownStreams({result.read.tracks.begin(), result.read.tracks.end()},
                                    result.playlist ? &*result.playlist : nullptr),
                       std::nullopt, result.stop, 0, result.read.timing};
        if (request.countFrames && result.stop == StopReason::EndOfFile)
            run.frames = result.read.frames;
        std::cout << summaryJson(events.lines(), run) << '\n';
    }
    return exitCode();
}

// The request's jobs, whose failures runRequest tells.
int runCommand(const Request& request, ConsoleEvents& events) {
    if (request.command == "titles") {
        const Disc disc = readDisc(request.disc);
        std::cout << (request.json ? titlesJson(disc) + "\n" : titlesText(disc));
        return 0;
    }
    if (request.command == "xpl") return runXpl(request, events);
    JobRequest job = jobRequest(request);
    if (request.command == "read") return runRead(request, job, events);
    // demux, rebuild and mkv take a disc for its title.
    if (isDiscPath(request.evoFile))
        chooseDiscTitle(job, askedTitle(request), request.allowMissing, events);
    // What would fail only after the reads fails now.
    requireOutputFolder(request.outputFolder);
    if (request.dryRun) return runDryRun(request, job, events);
    if (request.command == "rebuild") return runRebuild(request, job, events);
    return runDemux(request, job, events);
}

} // namespace

int runRequest(const Request& request) {
    ConsoleEvents events(request.json, ProgressLine::forStderr(request.quiet));
    // A script reading --json gets one object also when the run fails; main tells the error on
    // stderr as ever.
    try {
        return runCommand(request, events);
    } catch (const std::exception& error) {
        const auto* jobError = dynamic_cast<const JobError*>(&error);
        const bool usage = dynamic_cast<const UsageError*>(&error) != nullptr ||
                           (jobError != nullptr && jobError->kind() == JobErrorKind::Usage);
        if (request.json) {
            const std::vector<KnownStream> streams = knownStreams(events.tracksFound(), nullptr);
            std::cout << failureJson(errorBoxText(error.what()),
                                     jobError != nullptr ? errorBoxText(jobError->detail()) : "",
                                     usage ? ExitUsage : ExitFailed, events.lines(),
                                     usage ? nullptr : &streams)
                      << '\n';
        }
        throw;
    }
}

} // namespace splitwick::cli
