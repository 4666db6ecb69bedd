#include "file_choice.h"

namespace splitwick {

const char* const PlaylistFileName = "VPLST000.XPL";

namespace {

const std::string EvoFolder = "HVDVD_TS/";
const std::string PlaylistFolder = "ADV_OBJ/";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The folder beside a disc folder: "D:/HVDVD_TS/" with "HVDVD_TS/" and "ADV_OBJ/" gives
// "D:/ADV_OBJ/"; empty when the folder is not that disc folder.
std::string siblingFolder(const std::string& folder, const std::string& from,
                          const std::string& to) {
    if (!endsWith(folder, from)) return {};
    return folder.substr(0, folder.size() - from.size()) + to;
}

} // namespace

bool evoChosen(Session& session) {
    JobState& state = session.state;
    JobRequest& request = session.request;
    const PathParts parts = splitPath(request.evoPath);
    state.evoFile = parts.name;
    state.evoName = state.evoFile.size() > 4 ? state.evoFile.substr(0, state.evoFile.size() - 4)
                                             : std::string();
    state.evoFolder = parts.folder;
    state.titleClips.clear();
    state.titleName.clear();
    request.playlistPath = PlaylistFileName;
    const std::string playlistDir = siblingFolder(state.evoFolder, EvoFolder, PlaylistFolder);
    const bool onDisc = !playlistDir.empty();
    if (onDisc) {
        state.playlistFolder = playlistDir;
        state.playlistFile = PlaylistFileName;
        request.playlistPath = state.playlistFolder + state.playlistFile;
    }
    return onDisc;
}

bool playlistChosen(Session& session) {
    JobState& state = session.state;
    const PathParts parts = splitPath(session.request.playlistPath);
    state.playlistFile = parts.name;
    state.playlistFolder = parts.folder;
    const std::string evoDir = siblingFolder(state.playlistFolder, PlaylistFolder, EvoFolder);
    if (evoDir.empty()) return false;
    state.evoFolder = evoDir;
    return true;
}

} // namespace splitwick
