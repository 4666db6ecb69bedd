#pragma once
#include "engine/session.h"
#include "rebuild_state.h"

namespace splitwick {

// Rebuild: writes a copy of the chosen EVO (stem + ".rebuilt.EVO", in the output folder) that
// keeps only the ticked streams, renumbered per kind in the order they are met. A split title
// goes on into its second part, into the same output, named with "_2" behind the stem.
void bRebuildClick(Session& session, RebuildState& rebuild);

} // namespace splitwick
