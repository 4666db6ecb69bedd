#pragma once
#include <string>

#include "engine/session.h"

namespace splitwick {

// A path split after its last "/": the folder keeps the delimiter.
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts splitPath(const std::string& path);

// After eEVOfile changed: sets EVOfile, EVOname and EVOdir (forgetting a disc title chosen
// before), enables Read EVO, and points the playlist field at VPLST000.XPL, in the disc's
// ADV_OBJ folder when the EVO lies in its HVDVD_TS folder. Returns true in that case (the playlist
// dialog is then preset too).
bool EVOadj(Session& session);

// After eXPLfile changed: sets XPLfile and XPLdir, enables Read XPL, and when the playlist
// lies in a disc's ADV_OBJ folder points EVOdir at its HVDVD_TS folder. Returns true then.
bool XPLadj(Session& session);

extern const char* const PlaylistFileName; // "VPLST000.XPL"

} // namespace splitwick
