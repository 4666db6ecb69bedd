#include "job_steps.h"

#include <unistd.h>

#include <filesystem>

#include "engine/job_error.h"
#include "file_choice.h"
#include "output_names.h"

namespace splitwick {

namespace {

// The last k characters, or the whole text when it is shorter.
std::string lastChars(const std::string& text, size_t k) {
    return text.size() <= k ? text : text.substr(text.size() - k);
}

// The text less its last k characters; empty when it has no more than k.
std::string withoutLast(const std::string& text, size_t k) {
    return text.size() <= k ? std::string() : text.substr(0, text.size() - k);
}

} // namespace

std::unique_ptr<SourceFile> openEvo(Session& session, const char* phaseAfterOpening) {
    session.log("Opening file " + session.state.evoFile);
    session.slog("Opening", 0);
    auto source = std::make_unique<SourceFile>(session.request.evoPath, session.openFiles);
    if (phaseAfterOpening != nullptr) session.slog(phaseAfterOpening, 0);
    session.log(fileSizeLine(*source));
    return source;
}

std::string fileSizeLine(const SourceFile& source) {
    return "File size: " + std::to_string(source.size() / MiB) + " Mbytes.";
}

void dropCountsOfStoppedPass(FrameCounts& frames, StopReason stop) {
    if (stop != StopReason::EndOfFile) frames = {0, 0};
}

void keepTiming(TitleTiming& timing, TimingRecorder& recorder, const std::string& file,
                StopReason stop, StreamWriter* writer) {
    PartTiming part = recorder.endPart(file);
    if (writer != nullptr) writer->endPart(part);
    if (stop != StopReason::Cancelled) timing.addPart(std::move(part));
}

void logFrameCounts(Report& report, const FrameCounts& frames) {
    for (int i = 0; i < 2; ++i)
        if (frames[i] > 0)
            report.log(std::to_string(frames[i]) + " frames count in video stream " +
                       std::to_string(i) + ".");
}

SplitTitle splitTitle(const Session& session) {
    const JobState& state = session.state;
    if (!state.titleName.empty()) {
        SplitTitle title{{}, safeNamePart(state.titleName), true};
        for (size_t i = 1; i < state.titleClips.size(); ++i)
            title.laterParts.push_back(state.titleClips[i].path);
        return title;
    }
    SplitTitle title{{}, state.evoName, false};
    if (!session.request.continueParts) return title;
    if (lastChars(state.evoFile, 6) != "_1.EVO") return title;
    const std::string secondPart = withoutLast(session.request.evoPath, 5) + "2.EVO";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(secondPart, ec)) return title;
    return {{secondPart}, state.evoName + "_2", false};
}

std::string outputPrefix(const Session& session, const SplitTitle& title) {
    const std::string& workdir = session.request.outputFolder;
    const std::string folder = workdir.empty() || workdir.back() == '/' ? workdir : workdir + "/";
    return folder + title.stem;
}

void requireOutputFolder(const std::string& folder) {
    const std::string path = folder.empty() ? "." : folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        throw JobError(JobErrorKind::Refused,
                       "Output folder \"" + fullPath(path) + "\" does not exist");
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        throw JobError(JobErrorKind::Refused,
                       "Output folder \"" + fullPath(path) + "\" cannot be written");
}

void refuseLaterParts(const SplitTitle& title, const std::string& name) {
    for (const std::string& part : title.laterParts) {
        std::error_code ec;
        if (std::filesystem::equivalent(name, part, ec)) throw cannotCreate(name, FileInUse);
    }
}

std::unique_ptr<OutputFile> createOutput(Session& session, const SplitTitle& title,
                                         const std::string& name) {
    refuseLaterParts(title, name);
    return std::make_unique<OutputFile>(name, session.openFiles);
}

std::unique_ptr<SourceFile> openLaterPart(Session& session, const SplitTitle& title, size_t index,
                                          StopReason partBefore) {
    if (index >= title.laterParts.size() || partBefore != StopReason::EndOfFile ||
        !(title.fromDisc || session.request.continueParts))
        return nullptr;
    auto source = std::make_unique<SourceFile>(title.laterParts[index], session.openFiles);
    session.log("Continue on " + splitPath(title.laterParts[index]).name);
    return source;
}

} // namespace splitwick
