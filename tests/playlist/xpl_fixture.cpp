#include "xpl_fixture.h"

#include <algorithm>
#include <filesystem>

#include "playlist/read_xpl.h"
#include "playlist_writer.h"

namespace splitwick::testing {

XplTest::XplTest() : playlistPath(disc / "ADV_OBJ/VPLST000.XPL") {
    std::filesystem::create_directory(disc / "ADV_OBJ");
}

void XplTest::choosePlaylist(const std::string& text) {
    writeTextFile(playlistPath, text);
}

bool XplTest::read(const std::string& evoName) {
    filesOpenBefore = openFileDescriptors();
    playlist = readPlaylist(playlistPath, evoName, view, rs);
    return playlist.titleFound;
}

std::vector<std::string> XplTest::enabledBoxes() const {
    std::vector<StreamLabel> labels = playlist.labels;
    std::stable_sort(labels.begin(), labels.end(),
                     [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::string> boxes;
    for (const StreamLabel& label : labels)
        boxes.push_back(
            label.name.jsonName() + ": " + label.label + " | " +
            (label.description.empty() ? kindWords(label.name.kind) : label.description));
    return boxes;
}

std::vector<std::string> linesOf(const MemoLines& memo) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < memo.size(); ++i)
        lines.push_back(memo.line(i));
    return lines;
}

MemoLines memoOf(const std::vector<std::string>& lines) {
    MemoLines memo;
    for (const std::string& line : lines) {
        const size_t levels = std::min(line.find_first_not_of(' '), line.size()) / 2;
        memo.append(static_cast<uint8_t>(levels), std::string_view(line).substr(levels * 2));
    }
    return memo;
}

std::vector<std::string> elementTexts(const std::string& xml, const std::string& element) {
    std::vector<std::string> texts;
    const std::string open = "<" + element + ">", close = "</" + element + ">";
    for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
        at += open.size();
        texts.push_back(xml.substr(at, xml.find(close, at) - at));
    }
    return texts;
}

std::string tinyPlaylist(const std::string& items, const std::string& titleBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\" "
           "displayName=\"TINY\">\n"
           "<MediaAttributeList>\n" +
           items +
           "</MediaAttributeList>\n"
           "<TitleSet>\n"
           "<Title id=\"T1\" displayName=\"Main\" titleDuration=\"00:01:00:00\">\n"
           "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/MAIN.MAP\">\n" +
           titleBody +
           "</PrimaryAudioVideoClip>\n"
           "</Title>\n"
           "</TitleSet>\n"
           "</Playlist>\n";
}

} // namespace splitwick::testing
