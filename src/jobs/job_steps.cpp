#include "job_steps.h"

#include <unistd.h>

#include <filesystem>

#include "engine/job_error.h"
#include "file_choice.h"

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
    session.log("Opening file " + session.state.EVOfile);
    session.slog("Opening", 0);
    auto source = std::make_unique<SourceFile>(session.controls.field(Field::EVOfile));
    if (phaseAfterOpening != nullptr) session.slog(phaseAfterOpening, 0);
    session.log(fileSizeLine(*source));
    return source;
}

std::string fileSizeLine(const SourceFile& source) {
    return "File size: " + std::to_string(source.size() / MiB) + " Mbytes.";
}

void finishJob(Session& session) {
    session.log("Done.");
    session.slog("Ready", 0);
    session.slog("", 1);
}

void dropCountsOfStoppedPass(FrameCounts& frames, StopReason stop) {
    if (stop != StopReason::EndOfFile) frames = {0, 0};
}

void keepTiming(TitleTiming& timing, TimingRecorder& recorder, const std::string& file,
                StopReason stop) {
    PartTiming part = recorder.endPart(file);
    if (stop != StopReason::Cancelled) timing.addPart(std::move(part));
}

void logFrameCounts(Report& report, const FrameCounts& frames) {
    for (int i = 0; i < 2; ++i)
        if (frames[i] > 0)
            report.log(std::to_string(frames[i]) + " frames count in video stream " +
                       std::to_string(i) + ".");
}

SplitTitle splitTitle(const Session& session) {
    SplitTitle title;
    if (!session.controls.option(Option::Continue)) return title;
    if (lastChars(session.state.EVOfile, 6) != "_1.EVO") return title;
    title.secondPart = withoutLast(session.controls.field(Field::EVOfile), 5) + "2.EVO";
    std::error_code ec;
    title.hasSecondPart = std::filesystem::is_regular_file(title.secondPart, ec);
    return title;
}

std::string outputPrefix(const Session& session, const SplitTitle& title) {
    const std::string workdir = session.controls.field(Field::Workdir);
    const std::string folder = workdir.empty() || workdir.back() == '/' ? workdir : workdir + "/";
    return folder + session.state.EVOname + (title.hasSecondPart ? "_2" : "");
}

void requireOutputFolder(const std::string& folder) {
    const std::string path = folder.empty() ? "." : folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        throw JobError("Output folder \"" + fullPath(path) + "\" does not exist");
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        throw JobError("Output folder \"" + fullPath(path) + "\" cannot be written");
}

void refuseSecondPart(const SplitTitle& title, const std::string& name) {
    std::error_code ec;
    if (title.hasSecondPart && std::filesystem::equivalent(name, title.secondPart, ec))
        throw cannotCreate(name, FileInUse);
}

std::unique_ptr<OutputFile> createOutput(const SplitTitle& title, const std::string& name) {
    refuseSecondPart(title, name);
    return std::make_unique<OutputFile>(name);
}

std::unique_ptr<SourceFile> openSecondPart(Session& session, const SplitTitle& title,
                                           StopReason firstPart) {
    if (!title.hasSecondPart || !session.controls.option(Option::Continue) ||
        firstPart != StopReason::EndOfFile)
        return nullptr;
    auto source = std::make_unique<SourceFile>(title.secondPart);
    session.log("Continue on " + splitPath(title.secondPart).name);
    return source;
}

} // namespace splitwick
