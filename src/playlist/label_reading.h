#pragma once
#include <string>
#include <utility>
#include <vector>

#include "playlist_tag.h"
#include "playlist_view.h"

namespace splitwick {

// Track and stream numbers count from 1: video tracks and audio streams up to 16, subtitle
// streams up to 32, as the disc's subpicture sub-stream ids reach.
inline bool inStreamRange(TreeBranch branch, int number) {
    return number >= 1 && number <= (branch == TreeBranch::Subtitle ? 32 : 16);
}

// A Video, Audio or Subtitle element as the labels read it: the first of the title's lines to
// name its track or stream number, that number within its group and its media attribute within
// its table.
struct LabelledStream {
    TreeBranch branch = TreeBranch::Video; // Video, Audio or Subtitle
    int number = 0;                        // track for video, streamNumber otherwise
    int mediaAttr = 0;                     // 1 to 8; 0 for none
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

// The tree's title and chapter lines as the labels read them: their holders run on from one
// line to the next that lacks the attribute.
class TreeLines {
  public:
    explicit TreeLines(PlaylistTree& tree) : tree_(tree) {}

    void read(const PlaylistTag& tag);

  private:
    PlaylistTree& tree_;
    std::string titleName_, titleDuration_;
    std::string chapterBegin_, chapterName_;
};

} // namespace splitwick
