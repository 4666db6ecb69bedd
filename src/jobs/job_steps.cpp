#include "job_steps.h"

#include <algorithm>
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

// After the first pass: go on into the second part when cbContinue is still ticked, the pass
// was not cancelled, and the partner exists now.
bool continueWithSecondPart(const Session& session, const SplitTitle& title) {
    return session.controls.option(Option::Continue) && !session.state.Cancelled &&
           title.isFirstPart && title.secondPartExists();
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

std::string safeNamePart(std::string part) {
    std::replace(part.begin(), part.end(), '/', '_');
    return part;
}

std::string outputStem(const std::string& workdir, const std::string& evoName) {
    if (workdir.empty()) return evoName;
    return workdir + (workdir.back() == '/' ? "" : "/") + evoName;
}

bool SplitTitle::secondPartExists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(secondPart, ec);
}

SplitTitle splitTitle(const Session& session) {
    SplitTitle title;
    if (!session.controls.option(Option::Continue)) return title;
    title.isFirstPart = lastChars(session.state.EVOfile, 6) == "_1.EVO";
    title.secondPart = withoutLast(session.controls.field(Field::EVOfile), 5) + "2.EVO";
    return title;
}

OutputSlot createOutput(const SplitTitle& title, const std::string& name) {
    std::error_code ec;
    if (title.isFirstPart && std::filesystem::equivalent(name, title.secondPart, ec))
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
