#include "job_steps.h"

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

// After the first pass: go on into the second part when cbContinue is still ticked and the pass
// was not cancelled.
bool continueWithSecondPart(const Session& session, const SplitTitle& title) {
    return title.hasSecondPart && session.controls.option(Option::Continue) &&
           !session.state.Cancelled;
}

} // namespace

void openEvo(Session& session, const char* phaseAfterOpening) {
    JobState& state = session.state;
    session.log("Opening file " + state.EVOfile);
    session.slog("Opening", 0);
    state.Source = std::make_unique<SourceFile>(session.controls.field(Field::EVOfile));
    if (phaseAfterOpening != nullptr) session.slog(phaseAfterOpening, 0);
    session.log("File size: " + std::to_string(state.Source->size() / MiB) + " Mbytes.");
}

void finishJob(Session& session) {
    session.log("Done.");
    session.slog("Ready", 0);
    session.slog("", 1);
}

void logFrameCounts(Session& session) {
    for (int i = 0; i < 2; ++i) {
        const int64_t frames = session.state.FrameCount[i];
        if (frames > 0)
            session.log(std::to_string(frames) + " frames count in video stream " +
                        std::to_string(i) + ".");
    }
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

OutputSlot createOutput(const SplitTitle& title, const std::string& name) {
    std::error_code ec;
    if (title.hasSecondPart && std::filesystem::equivalent(name, title.secondPart, ec))
        throw cannotCreate(name, FileInUse);
    return std::make_unique<OutputFile>(name);
}

void passOverParts(Session& session, const SplitTitle& title, const std::function<void()>& pass) {
    pass();
    if (!continueWithSecondPart(session, title)) return;
    JobState& state = session.state;
    state.Source.reset();
    state.Source = std::make_unique<SourceFile>(title.secondPart);
    session.log("Continue on " + splitPath(title.secondPart).name);
    pass();
}

} // namespace splitwick
