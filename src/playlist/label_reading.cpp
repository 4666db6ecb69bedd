#include "label_reading.h"

#include <algorithm>

#include "playlist.h"

namespace splitwick {

void StreamLabels::read(const PlaylistTag& tag) {
    // The trailing space keeps "<VIDEO " from matching a longer name such as "<VIDEOTRACK".
    if (tag.mentions("<VIDEO ")) video(tag);
    if (tag.mentions("<AUDIO ")) numbered(tag, TreeBranch::Audio, audioDescription_);
    if (tag.mentions("<SUBTITLE ")) numbered(tag, TreeBranch::Subtitle, subtitleDescription_);
}

void StreamLabels::video(const PlaylistTag& tag) {
    const int track = tag.labelNumber("track");
    const int media = tag.labelNumber("mediaAttr");
    if (!inStreamRange(TreeBranch::Video, track) || !AttributeTable::holds(media)) return;
    if (markNew(TreeBranch::Video, track))
        streams_.push_back({TreeBranch::Video, track, media, {}});
}

void StreamLabels::numbered(const PlaylistTag& tag, TreeBranch branch, std::string& description) {
    const int number = tag.labelNumber("streamNumber");
    // A stream without mediaAttr names no codec, but is the title's all the same: its label has
    // no codec. One that names an item outside the table is left out.
    const bool named = tag.labelText("mediaAttr").has_value();
    const int media = tag.labelNumber("mediaAttr");
    if (!inStreamRange(branch, number) || (named && !AttributeTable::holds(media))) return;
    if (!markNew(branch, number)) return;
    // Only a stream labelled takes a description: the holder skips those left out.
    keepLabelText(tag, "description", description);
    streams_.push_back({branch, number, media, description});
}

bool StreamLabels::markNew(TreeBranch branch, int number) {
    const std::pair<TreeBranch, int> mark{branch, number};
    if (std::find(marked_.begin(), marked_.end(), mark) != marked_.end()) return false;
    marked_.push_back(mark);
    return true;
}

void TreeLines::read(const PlaylistTag& tag) {
    if (tag.mentions("<TITLE ")) {
        keepLabelText(tag, "displayName", titleName_);
        keepLabelText(tag, "titleDuration", titleDuration_);
        tree_.add(TreeBranch::Info, "Name: " + titleName_);
        tree_.add(TreeBranch::Info, "Duration: " + titleDuration_);
    }
    if (tag.mentions("<CHAPTER ")) {
        keepLabelText(tag, "titleTimeBegin", chapterBegin_);
        keepLabelText(tag, "displayName", chapterName_);
        tree_.add(TreeBranch::Chapter, chapterBegin_ + ": " + chapterName_);
    }
}

} // namespace splitwick
