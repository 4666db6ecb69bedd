#include "file_choice.h"

#include "engine/path_parts.h"

namespace splitwick {

const char* const PlaylistFileName = "VPLST000.XPL";

namespace {

const std::string EvoFolder = "HVDVD_TS/";
const std::string PlaylistFolder = "ADV_OBJ/";

// The folder beside a disc folder: "D:/HVDVD_TS/" with "HVDVD_TS/" and "ADV_OBJ/" gives
// "D:/ADV_OBJ/"; empty when the folder is not that disc folder.
std::string siblingFolder(const std::string& folder, const std::string& from,
                          const std::string& to) {
    if (!folder.ends_with(from)) return {};
    return folder.substr(0, folder.size() - from.size()) + to;
}

} // namespace

std::string evoStem(const std::string& evoPath) {
    const std::string name = splitPath(evoPath).name;
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

std::string discPlaylistOf(const std::string& evoPath) {
    const std::string folder = siblingFolder(splitPath(evoPath).folder, EvoFolder, PlaylistFolder);
    return folder.empty() ? folder : folder + PlaylistFileName;
}

std::string discEvoFolderOf(const std::string& playlistPath) {
    return siblingFolder(splitPath(playlistPath).folder, PlaylistFolder, EvoFolder);
}

} // namespace splitwick
