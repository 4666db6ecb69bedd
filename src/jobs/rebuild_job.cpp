#include "rebuild_job.h"

#include "job_steps.h"
#include "rebuild_pass.h"

namespace splitwick {

namespace {

void rebuildParts(Session& session, RebuildState& rebuild, const SplitTitle& title,
                  const std::string& outputName) {
    JobState& state = session.state;
    SourceHold hold(state);
    openEvo(session);
    state.VideoOut[0] = createOutput(title, outputName);
    session.log("Creating " + outputName);
    truncateOutputs(state);
    session.slog("Writing EVO...", 0);
    passOverParts(session, title, [&] { Rebuild(session, rebuild); });
}

} // namespace

void bRebuildClick(Session& session, RebuildState& rebuild) {
    Controls& controls = session.controls;
    JobState& state = session.state;
    // Enabled again on every way out, a failure included: the user may try again at once.
    ButtonHold rebuildButton(controls, Button::Rebuild, false);
    controls.showPage(Page::Status);
    rebuild.reset();
    const SplitTitle title = splitTitle(session);
    try {
        rebuildParts(session, rebuild, title, outputPrefix(session, title) + ".rebuilt.EVO");
    } catch (...) {
        dropOutputs(state);
        throw;
    }
    closeOutputs(state);
    finishJob(session);
}

} // namespace splitwick
