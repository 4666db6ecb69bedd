#pragma once
#include <string>

#include "engine/path_parts.h"
#include "engine/session.h"

namespace splitwick {

// After the request's EVO changed: sets evoFile, evoName and evoFolder (forgetting a disc title
// chosen before), and points the request's playlist at VPLST000.XPL, in the disc's ADV_OBJ
// folder when the EVO lies in its HVDVD_TS folder. Returns true in that case (the playlist
// dialog is then preset too).
bool evoChosen(Session& session);

// After the request's playlist changed: sets playlistFile and playlistFolder, and when the playlist
// lies in a disc's ADV_OBJ folder points evoFolder at its HVDVD_TS folder. Returns true then.
bool playlistChosen(Session& session);

extern const char* const PlaylistFileName; // "VPLST000.XPL"

} // namespace splitwick
