#pragma once
#include <string>
#include <vector>

#include "memo_lines.h"
#include "playlist_view.h"
#include "title_info.h"

namespace splitwick {

class PlaylistTag;

// A Video, Audio or Subtitle element as the labels read it: the first of the title's lines to
// name its track or stream number, that number within its group and its media attribute within
// its table.
struct LabelledStream {
    TreeBranch branch = TreeBranch::Video; // Video, Audio or Subtitle
    int number = 0;                        // track for video, streamNumber otherwise: 1 to 16
    int mediaAttr = 0;                     // 1 to 8
    // Its own "description", else that of the labelled stream of its kind before it, as the
    // label shows it; empty for video.
    std::string description;
};

// The labels' reading of stream elements, line by line.
class StreamLabels {
  public:
    void read(const PlaylistTag& tag);
    const std::vector<LabelledStream>& streams() const { return streams_; }

  private:
    void video(const PlaylistTag& tag);
    void numbered(const PlaylistTag& tag, TreeBranch branch, std::string& description);
    // Marks the number of the branch; false when it was marked already.
    bool markNew(TreeBranch branch, int number);

    std::vector<LabelledStream> streams_;
    std::vector<std::pair<TreeBranch, int>> marked_;
    // Kept from line to line, as the labels read it.
    std::string audioDescription_, subtitleDescription_;
};

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
