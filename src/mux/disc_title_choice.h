#pragma once
#include "engine/session.h"
#include "playlist/disc_titles.h"

namespace splitwick {

// Chooses a disc's title as the input of the jobs, as choosing its first clip's EVO and its
// playlist would, and then its later clips and its name: Demux, Rebuild and the mux read its
// clips' EVOs in order into one set of outputs named after the title. A clip whose EVO is missing
// fails with an error naming it; with leaveOutMissing it is left out, with a line saying so.
// Gives the title as Read XPL would find it for the first clip read: its chapters, languages
// and names, on the timeline of the outputs.
TitleInfo chooseDiscTitle(Session& session, const DiscTitle& title, bool leaveOutMissing);

} // namespace splitwick
