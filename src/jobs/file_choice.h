#pragma once
#include <string>

namespace splitwick {

extern const char* const PlaylistFileName; // "VPLST000.XPL"

// The EVO's name less its folder and its last four characters (".EVO"): the stem of every
// output; empty for a name of four characters or fewer.
std::string evoStem(const std::string& evoPath);

// The playlist an EVO's disc has: VPLST000.XPL in the disc's ADV_OBJ folder when the EVO lies
// in its HVDVD_TS folder; empty when it lies elsewhere.
std::string discPlaylistOf(const std::string& evoPath);

// The folder of a disc's EVOs, with its "/", when the playlist lies in the disc's ADV_OBJ
// folder; empty when it lies elsewhere.
std::string discEvoFolderOf(const std::string& playlistPath);

} // namespace splitwick
