#include "rebuild_job.h"

#include "engine/output_set.h"
#include "job_steps.h"
#include "rebuild_pass.h"

namespace splitwick {

void bRebuildClick(Session& session, RebuildState& rebuild) {
    Controls& controls = session.controls;
    // Enabled again on every way out, a failure included: the user may try again at once.
    ButtonHold rebuildButton(controls, Button::Rebuild, false);
    controls.showPage(Page::Status);
    rebuild.reset();
    const SplitTitle title = splitTitle(session);
    const std::string outputName = outputPrefix(session, title) + ".rebuilt.EVO";

    std::unique_ptr<SourceFile> source = openEvo(session);
    OutputSet outputs;
    OutputFile& output = outputs.add(createOutput(title, outputName));
    session.log("Creating " + outputName);
    session.slog("Writing EVO...", 0);
    // The boxes are read as each pack comes: they count whether enabled or not.
    PackEditor editor(
        session.state.StreamTable, [&](Box box) { return controls.ticked(box); }, rebuild);
    StopReason stop = Rebuild(session, std::move(source), editor, output);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part)
        stop = Rebuild(session, std::move(later), editor, output);
    outputs.close();
    finishJob(session);
}

} // namespace splitwick
