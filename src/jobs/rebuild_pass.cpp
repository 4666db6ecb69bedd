#include "rebuild_pass.h"

#include "engine/remaining_time.h"
#include "pack_editor.h"

namespace splitwick {

void Rebuild(Session& session, RebuildState& rebuild) {
    JobState& state = session.state;
    ButtonHold cancelButton(session.controls, Button::Cancel, true);
    state.DemuxMode = true;
    state.Cancelled = false;
    const PassClock clock;
    SourceFile& source = *state.Source;
    OutputFile& output = *state.VideoOut[0];
    PackEditor editor(session, rebuild);
    uint8_t* const pack = state.Buffer.data();

    // An empty source is not read at all: no progress line, nothing written.
    while (source.position() < source.size() && !state.Cancelled) {
        const size_t n = source.read(pack, PackSize);
        const int64_t position = source.position();
        if (position % ProgressStep == 0) {
            session.slog("Rebuilding " + source.fileName() + " " +
                             progressTail(clock, position, source.size()),
                         1);
            // The one point where Cancel can be pressed during the pass.
            session.events.processPendingEvents();
        }
        if (editor.edit(pack, n)) output.write(pack, n);
    }
}

} // namespace splitwick
