#include "commands.h"

#include <algorithm>
#include <iostream>

#include "dry_run.h"
#include "engine/job_error.h"
#include "engine/output_file.h"
#include "engine/stop_reason.h"
#include "jobs/chapter_file.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "jobs/read_evo.h"
#include "jobs/stream_jobs.h"
#include "mkv_command.h"
#include "mux/disc_title_choice.h"
#include "playlist/disc_titles.h"
#include "playlist/read_xpl.h"
#include "summary.h"
#include "titles_command.h"

namespace splitwick::cli {

namespace {

// 0, or 128 + the signal that stopped the jobs.
int exitCode() {
    return InterruptEvents::interrupted() ? InterruptEvents::exitCode() : 0;
}

void applyOptions(const Request& request, JobRequest& job) {
    job.fastCheck = request.fastCheck;
    job.countFrames = request.countFrames;
    job.continueParts = request.continueSplit;
    job.lpcmWav = request.lpcmWav;
    job.subPgs = request.subPgs;
    job.extensionsByCodec = request.extByCodec;
    job.outputFolder = request.outputFolder;
    job.extensions = {request.videoExt, request.audioExt, request.subExt};
    if (request.command == "mkv") job.writeForMux();
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

// Chooses the files as browsing for them would: the EVO first, then the playlist.
void chooseFiles(const Request& request, Session& session) {
    if (!request.evoFile.empty()) {
        session.request.evoPath = request.evoFile;
        evoChosen(session);
    }
    if (!request.xplFile.empty()) {
        session.request.playlistPath = request.xplFile;
        playlistChosen(session);
    }
}

// xpl --chapters: the title that plays the EVO must have chapters, or there is nothing to
// write.
void writeChapters(const std::string& path, const Session& session, const Playlist& playlist) {
    const TitleChapters chapters = playlist.title.chaptersFor(session.state.evoName);
    if (chapters.marks.empty())
        throw JobError(JobErrorKind::Input, session.state.playlistFile + " gives no chapters for " +
                                                session.state.evoName);
    OpenFiles files; // the command's only file: the playlist is read and closed
    OutputFile file(path, files);
    writeChapterFile(file, chapters);
    file.close();
}

// After Read XPL, before the pass: the title's labels say which streams there are. A stream
// asked for by name must be among them; --lang picks the streams of its languages, and every
// video stream. Gives the streams the job takes (none: every stream the reads made known).
std::optional<std::vector<Box>> pickStreams(const Request& request, const StreamChoice& streams,
                                            const TitleInfo& title) {
    if (!request.languages.empty()) {
        const auto& wanted = request.languages;
        std::vector<Box> boxes;
        for (Box box : streamBoxes()) {
            const std::optional<TrackLanguage> track = title.track(box);
            const bool ofLanguage =
                track && std::find(wanted.begin(), wanted.end(), track->language) != wanted.end();
            if (streams[box].known() && (box.kind == TrackKind::Video || ofLanguage))
                boxes.push_back(box);
        }
        return boxes;
    }
    for (Box box : request.streams.value_or(std::vector<Box>{}))
        if (!streams[box].known())
            throw UsageError("--streams: the playlist's title has no stream for " + boxName(box),
                             request.command);
    return request.streams;
}

// The request's jobs, whose failures runRequest tells.
int runCommand(const Request& request, Session& session, ConsoleReport& report) {
    applyOptions(request, session.request);
    // demux, rebuild and mkv take a disc for its title.
    const bool discInput =
        request.command != "read" && request.command != "xpl" && isDiscPath(request.evoFile);
    if (!discInput) chooseFiles(request, session);
    Playlist playlist;
    PlainPlaylistView view;

    if (request.command == "titles") {
        const Disc disc = readDisc(request.disc);
        std::cout << (request.json ? titlesJson(disc) + "\n" : titlesText(disc));
        return 0;
    }
    // A disc's title: its first clip is the EVO, its playlist labels the streams.
    std::optional<TitleInfo> discTitle;
    if (discInput) discTitle = chooseDiscTitle(session, askedTitle(request), request.allowMissing);
    const bool withPlaylist = !request.xplFile.empty() || discTitle;
    if (request.command == "xpl") {
        const bool titleFound = readPlaylist(session, playlist, view);
        if (!request.chaptersFile.empty()) writeChapters(request.chaptersFile, session, playlist);
        if (request.json) {
            writePlaylistJson(std::cout, session.streams, view, report.lines(), titleFound,
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
        stop = readEvo(session);
        found = session.state.streamTable;
        if (!request.xplFile.empty() && !InterruptEvents::interrupted())
            readPlaylist(session, playlist, view);
    } else {
        // What would fail only after the reads fails now.
        requireOutputFolder(request.outputFolder);
        StreamJob job{request.streams, nullptr};
        if (withPlaylist)
            job.readPlaylist = [&] {
                readPlaylist(session, playlist, view);
                // The title chosen, not the first that plays its first clip.
                if (discTitle) playlist.title = *discTitle;
                job.boxes = pickStreams(request, session.streams, playlist.title);
                return playlist.title.chaptersFor(session.state.evoName);
            };
        if (request.dryRun)
            return dryRun(request, session, report, playlist, view,
                          [&] { return pickStreams(request, session.streams, playlist.title); });
        if (request.command == "mkv") return runMkv(request, session, report, job, playlist);
        if (request.command == "demux") {
            stop = demux(session, job);
        } else {
            RebuildState rebuilt;
            stop = rebuild(session, rebuilt, job);
        }
        found = session.state.streamTable;
        // The log says "Done." after a cancel too: the files it wrote are not whole.
        if (stop == StopReason::Cancelled) std::cerr << CancelledLine << '\n';
    }
    if (request.json) std::cout << summaryJson(session, found, report.lines(), stop) << '\n';
    return exitCode();
}

} // namespace

int runRequest(const Request& request) {
    InterruptEvents events;
    ConsoleReport report(request.json, ProgressLine::forStderr(request.quiet), events);
    Session session(report, events);
    events.attach(session);
    // A script reading --json gets one object also when the run fails; main tells the error on
    // stderr as ever.
    try {
        return runCommand(request, session, report);
    } catch (const UsageError& error) {
        if (request.json)
            std::cout << failureJson(error.what(), "", ExitUsage, report.lines(), &session) << '\n';
        throw;
    } catch (const std::exception& error) {
        const auto* jobError = dynamic_cast<const JobError*>(&error);
        if (request.json)
            std::cout << failureJson(errorBoxText(error.what()),
                                     jobError != nullptr ? errorBoxText(jobError->detail()) : "",
                                     ExitFailed, report.lines(), &session)
                      << '\n';
        throw;
    }
}

} // namespace splitwick::cli
