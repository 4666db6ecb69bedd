#include "rebuild_job.h"

#include <filesystem>

#include "engine/job_error.h"
#include "job_steps.h"
#include "rebuild_pass.h"

namespace splitwick {

namespace {

// The output is created before the second part is opened, so creating it over the second part
// (a link to it under the output's name) would empty the second part before it is read.
void refuseSecondPartAsOutput(const SplitTitle& title, const std::string& outputName) {
    std::error_code ec;
    if (std::filesystem::equivalent(outputName, title.secondPart, ec))
        throw cannotCreate(outputName, FileInUse);
}

void rebuildParts(Session& session, RebuildState& rebuild, const SplitTitle& title,
                  const std::string& outputName, bool secondPartFollows) {
    JobState& state = session.state;
    SourceHold hold(state);
    openEvo(session);
    if (secondPartFollows) refuseSecondPartAsOutput(title, outputName);
    state.VideoOut[0] = std::make_unique<OutputFile>(outputName);
    session.log("Creating " + outputName);
    session.slog("Writing EVO...", 0);
    Rebuild(session, rebuild);
    if (continueWithSecondPart(session, title)) {
        openSecondPart(session, title);
        Rebuild(session, rebuild);
    }
}

} // namespace

void bRebuildClick(Session& session, RebuildState& rebuild) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    // Enabled again on every way out, a failure included: the user may try again at once.
    ButtonHold rebuildButton(controls, Button::Rebuild, false);
    controls.showPage(Page::Status);
    rebuild.reset();
    std::string stem = outputStem(controls.field(Field::Workdir), state.EVOname);
    const SplitTitle title = splitTitle(session);
    const bool secondPartFollows = title.isFirstPart && title.secondPartExists();
    if (secondPartFollows) stem += "_2";
    try {
        rebuildParts(session, rebuild, title, stem + ".rebuilt.EVO", secondPartFollows);
    } catch (...) {
        dropOutputs(state);
        throw;
    }
    closeOutputs(state);
    finishJob(session);
}

} // namespace splitwick
