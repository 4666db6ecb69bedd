#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/playlist_view.h"
#include "support/job_error_of.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick::testing {

// A disc folder with ADV_OBJ/VPLST000.XPL, read as the window's Read XPL reads it.
class XplTest : public ::testing::Test {
  protected:
    XplTest();

    // Writes the playlist.
    void choosePlaylist(const std::string& text);
    // Read XPL for the EVO of this stem; gives whether it found the EVO's title.
    bool read(const std::string& evoName);

    // "cbAudio00: caption | hint" for every stream the title labels, in name order, as the
    // window's boxes show them.
    std::vector<std::string> enabledBoxes() const;

    TempFolder disc;
    std::string playlistPath;
    size_t filesOpenBefore = 0; // when the last read began
    RecordingEvents rs;
    PlaylistRead playlist;
    PlainPlaylistView view;
};

// Every line of the memo, as it shows them.
std::vector<std::string> linesOf(const MemoLines& memo);
// A memo of these lines: each pair of leading spaces is a level of indentation.
MemoLines memoOf(const std::vector<std::string>& lines);

// Every text between the element's start and end tags in the XML, in order.
std::vector<std::string> elementTexts(const std::string& xml, const std::string& element);

// A small playlist: these attribute items, and one title "Main" that plays MAIN.MAP with these
// elements. Lines end in LF.
std::string tinyPlaylist(const std::string& items, const std::string& titleBody);

} // namespace splitwick::testing
