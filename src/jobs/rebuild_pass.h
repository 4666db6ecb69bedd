#pragma once
#include "engine/session.h"
#include "rebuild_state.h"

namespace splitwick {

// One pass of the rebuild: reads Source pack by pack from its position to its end (or to a
// cancel, seen after the pack in hand) and appends the packs kept to the output in VideoOut[0].
// Shows "Rebuilding NAME a/b Mbytes, Remaining time: ..." in panel 1 and lets the window's events
// through every 4 MiB. bCancel is enabled for the pass's time.
void Rebuild(Session& session, RebuildState& rebuild);

} // namespace splitwick
