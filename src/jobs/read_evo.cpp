#include "read_evo.h"

#include "engine/demux.h"
#include "job_steps.h"
#include "stream_names.h"

namespace splitwick {

namespace {

void labelBoxes(Session& session) {
    Controls& controls = session.controls;
    for (Box box : streamBoxes()) {
        const int32_t id = session.state.StreamTable[tableEntry(box)];
        const bool found = id >= 0;
        controls.setBoxEnabled(box, found);
        controls.setTicked(box, found);
        if (found) controls.setCaption(box, streamName(box.kind, id) + captionSuffix(box));
    }
}

} // namespace

void bCheckClick(Session& session) {
    Controls& controls = session.controls;
    controls.setButtonEnabled(Button::Check, false);
    Resetcbs(controls);
    controls.showPage(Page::Status);
    session.state.FrameCount = {0, 0};
    {
        SourceHold hold(session.state);
        openEvo(session, "Reading");
        demux(session, false);
    }
    labelBoxes(session);
    finishJob(session);
    logFrameCounts(session);
    controls.setButtonEnabled(Button::Check, true);
}

} // namespace splitwick
