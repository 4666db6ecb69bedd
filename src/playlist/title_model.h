#pragma once
#include <string>
#include <vector>

#include "label_reading.h"
#include "memo_lines.h"
#include "playlist_view.h"
#include "title_info.h"

namespace splitwick {

// A title's lines read once: what the tree, the log and the boxes show of it, and its facts.
struct TitleModel {
    // The tree's Info and Chapter lines as the labels read them: "Name: " and "Duration: " for
    // each title line, "begin: name" for each chapter line.
    PlaylistTree tree;
    std::vector<LabelledStream> streams; // in the lines' order
    // The first title element among the lines; its track names are those of the streams above.
    TitleInfo title;
};

// Reads the lines of the title element that plays the EVO of this stem (Read XPL's cut memo);
// the tree's Info lines begin with "Title: " and the playlist's title, when it has one. The audio
// and subtitle streams of the title's facts are those of its PrimaryAudioVideoClip elements, each
// joined through its track number to the title's TrackNavigationList for the langcode.
TitleModel readTitleModel(const MemoLines& titleLines, const std::string& playlistTitle,
                          const TitleSetAttributes& titleSet, const std::string& evoName);

// Reads every Title element of a playlist's lines the same way, each found for the stem of
// its first clip (empty for a title of no clip). The FirstPlayTitle is none of them.
std::vector<TitleInfo> readTitles(const MemoLines& lines, const TitleSetAttributes& titleSet);

} // namespace splitwick
