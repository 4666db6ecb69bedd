#include "commands.h"

#include <algorithm>
#include <iostream>

#include "dry_run.h"
#include "engine/job_error.h"
#include "engine/output_file.h"
#include "engine/plain_controls.h"
#include "engine/stop_reason.h"
#include "jobs/chapter_file.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "jobs/one_pass.h"
#include "jobs/read_evo.h"
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

// demux or mkv of a disc: the title asked for, from the playlist asked for (alone, so that its
// titles are not taken for language copies of another's).
DiscTitle askedTitle(const Request& request) {
    Disc disc = readDisc(request.evoFile);
    if (!request.playlistName.empty())
        disc = readDisc(disc.folder + "ADV_OBJ/" + request.playlistName);
    const DiscTitle* title = request.title > 0 ? disc.title(request.title, "") : disc.mainTitle();
    if (title == nullptr && request.title > 0)
        throw JobError("No title " + std::to_string(request.title) + " in \"" +
                       fullPath(request.evoFile) + "\"");
    if (title == nullptr)
        throw JobError("No title plays a clip in \"" + fullPath(request.evoFile) + "\"");
    return *title;
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
    writeChapterFile(file, chapters);
    file.close();
}

// After Read XPL, before the pass: the title's labels say which streams there are. A box asked
// for by name must be among them; --lang picks the boxes of its languages, and every video box.
// Gives the boxes the job takes (none: every box the reads enabled).
std::optional<std::vector<Box>> pickStreams(const Request& request, const Controls& controls,
                                            const TitleInfo& title) {
    if (!request.languages.empty()) {
        const auto& wanted = request.languages;
        std::vector<Box> boxes;
        for (Box box : streamBoxes()) {
            const std::optional<TrackLanguage> track = title.track(box);
            const bool ofLanguage =
                track && std::find(wanted.begin(), wanted.end(), track->language) != wanted.end();
            if (controls.boxEnabled(box) && (box.kind == BoxKind::Video || ofLanguage))
                boxes.push_back(box);
        }
        return boxes;
    }
    for (Box box : request.streams.value_or(std::vector<Box>{}))
        if (!controls.boxEnabled(box))
            throw UsageError("--streams: the playlist's title has no stream for " + boxName(box),
                             request.command);
    return request.streams;
}

// The request's jobs, whose failures runRequest tells.
int runCommand(const Request& request, Session& session, PlainControls& controls,
               ConsoleReport& report) {
    applyOptions(request, controls);
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
        // What would fail only after the reads fails now.
        requireOutputFolder(request.outputFolder);
        JobAfterReads job{request.streams, nullptr};
        if (withPlaylist)
            job.readPlaylist = [&] {
                bReadXPLClick(session, playlist, view);
                // The title chosen, not the first that plays its first clip.
                if (discTitle) playlist.title = *discTitle;
                job.boxes = pickStreams(request, controls, playlist.title);
                return playlist.title.chaptersFor(session.state.EVOname);
            };
        if (request.dryRun)
            return dryRun(request, session, report, playlist, view,
                          [&] { return pickStreams(request, controls, playlist.title); });
        if (request.command == "mkv") return runMkv(request, session, report, job, playlist);
        if (request.command == "demux") {
            stop = demuxInOnePass(session, job);
        } else {
            RebuildState rebuild;
            stop = rebuildInOnePass(session, rebuild, job);
        }
        found = session.state.StreamTable;
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
    PlainControls controls;
    Session session(controls, report, events);
    events.attach(session);
    // A script reading --json gets one object also when the run fails; main tells the error on
    // stderr as ever.
    try {
        return runCommand(request, session, controls, report);
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
