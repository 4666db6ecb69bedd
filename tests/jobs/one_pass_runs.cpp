#include "one_pass_runs.h"

#include <algorithm>
#include <filesystem>

#include "engine/job_error.h"
#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "jobs/one_pass.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "playlist/read_xpl.h"
#include "support/recording_session.h"

namespace splitwick::testing {

namespace {

namespace fs = std::filesystem;

// As the command line ticked the boxes after the reads: those asked for, each of which must
// stand for a stream, or every box the reads enabled.
void tickAsAsked(RecordingSession& rs, const Ask& ask) {
    std::vector<Box> wanted;
    for (Box box : allBoxes())
        if (ask.boxes ? std::count(ask.boxes->begin(), ask.boxes->end(), box) > 0
                      : rs.controls.boxEnabled(box))
            wanted.push_back(box);
    for (Box box : wanted)
        if (!rs.controls.boxEnabled(box))
            throw JobError("No stream for " + boxName(box) + " in " + rs.state().EVOfile);
    for (Box box : allBoxes())
        rs.controls.setTicked(box, std::count(wanted.begin(), wanted.end(), box) > 0);
}

template <typename T> std::string orNone(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "none";
}

std::vector<std::string> timingLines(const TitleTiming& timing) {
    std::vector<std::string> lines;
    for (const PartTiming& part : timing.parts) {
        lines.push_back(part.file + " " +
                        (part.videoFrameRate ? part.videoFrameRate->text() : "none") + " " +
                        orNone(part.referencePts) + " seam " + orNone(part.seamMs));
        for (const StreamStart& s : part.streams)
            lines.push_back(boxName(s.box) + " " + std::to_string(s.firstPts) + " " +
                            orNone(s.delayMs) + " seam " + orNone(s.afterSeamMs));
    }
    return lines;
}

} // namespace

std::string describe(const Outcome& outcome) {
    std::string text = "error: " + outcome.error + "\n";
    for (const std::string& line : outcome.lines)
        text += line + "\n";
    for (const auto& [name, bytes] : outcome.files)
        text += name + ": " + std::to_string(bytes.size()) + " bytes\n";
    return text;
}

std::string departure(const Outcome& twoSteps, const Outcome& onePass) {
    // A job that writes stops at the first scrambled pack, which the one pass meets while it is
    // still reading, before Read EVO's lines and counts are out and before the request is checked
    // against them: the two steps must have failed too, on that pack or on the request.
    if (onePass.error.find("is encrypted (its packs are scrambled)") != std::string::npos)
        return twoSteps.error.empty() ? "only the one pass failed" : "";
    if (onePass.error != twoSteps.error) return "the errors differ";
    if (onePass.frames != twoSteps.frames) return "the frame counts differ";
    if (!twoSteps.error.empty()) {
        const size_t read = std::min(onePass.lines.size(), twoSteps.lines.size());
        return std::equal(twoSteps.lines.begin(), twoSteps.lines.end(), onePass.lines.begin(),
                          onePass.lines.begin() + long(read)) &&
                       read == twoSteps.lines.size()
                   ? ""
                   : "the lines before the error differ";
    }
    if (onePass.lines != twoSteps.lines) return "the lines differ";
    if (onePass.boxes != twoSteps.boxes) return "the boxes differ";
    if (onePass.timing != twoSteps.timing) return "the timing differs";
    for (const auto& [name, bytes] : twoSteps.files) {
        const auto other = onePass.files.find(name);
        if (other == onePass.files.end()) return name + " is missing";
        if (other->second != bytes) return name + " differs";
    }
    if (onePass.files.size() != twoSteps.files.size()) return "more files than in two steps";
    return "";
}

Outcome Runs::twoSteps(Job job) {
    return run([&](RecordingSession& rs, Playlist& playlist, PlainPlaylistView& view) {
        bCheckClick(rs.session);
        const StreamTable found = rs.state().StreamTable;
        if (!ask_.playlist.empty()) bReadXPLClick(rs.session, playlist, view);
        requireStreams(found, rs.controls.field(Field::EVOfile));
        tickAsAsked(rs, ask_);
        if (job == Job::Demux) {
            bDemuxClick(rs.session, playlist.title.chaptersFor(rs.state().EVOname),
                        !ask_.playlist.empty());
        } else {
            RebuildState rebuild;
            bRebuildClick(rs.session, rebuild);
        }
    });
}

Outcome Runs::onePass(Job job) {
    return run([&](RecordingSession& rs, Playlist& playlist, PlainPlaylistView& view) {
        JobAfterReads request{ask_.boxes, nullptr};
        if (!ask_.playlist.empty())
            request.readPlaylist = [&] {
                bReadXPLClick(rs.session, playlist, view);
                return playlist.title.chaptersFor(rs.state().EVOname);
            };
        if (job == Job::Demux) {
            demuxInOnePass(rs.session, request);
        } else {
            RebuildState rebuild;
            rebuildInOnePass(rs.session, rebuild, request);
        }
    });
}

// Runs the steps on a session set up as the command line sets it up, into an output folder of
// the same name each time.
template <typename Steps> Outcome Runs::run(const Steps& steps) {
    fs::remove_all(out_.path());
    fs::create_directories(out_.path());
    RecordingSession rs;
    if (cancel_)
        rs.events.onPump = [&rs] {
            if (rs.events.passes.back()) rs.state().Cancelled = true;
        };
    rs.controls.setOption(Option::FastCheck, false);
    rs.controls.setOption(Option::Continue, ask_.continueSplit);
    rs.controls.setOption(Option::LpcmWav, ask_.lpcmWav);
    rs.controls.setOption(Option::ExtensionsByCodec, ask_.extByCodec);
    rs.controls.setField(Field::Workdir, out_.path());
    rs.controls.setField(Field::EVOfile, evo_);
    EVOadj(rs.session);
    if (!ask_.playlist.empty()) rs.controls.setField(Field::XPLfile, ask_.playlist);
    Playlist playlist;
    PlainPlaylistView view;
    Outcome outcome;
    try {
        steps(rs, playlist, view);
    } catch (const JobError& error) {
        outcome.error = error.what();
    }
    outcome.lines = rs.lines();
    for (const std::string& name : fileNamesIn(out_.path()))
        outcome.files[name] = readBytes(out_ / name);
    outcome.frames = rs.state().FrameCount;
    outcome.timing = timingLines(rs.state().Timing);
    for (Box box : allBoxes())
        outcome.boxes.push_back(boxName(box) + (rs.controls.boxEnabled(box) ? " enabled" : "") +
                                (rs.controls.ticked(box) ? " ticked " : " ") +
                                rs.controls.caption(box));
    return outcome;
}

} // namespace splitwick::testing
