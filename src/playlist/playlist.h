#pragma once
#include <array>
#include <string>
#include <vector>

#include "title_info.h"

namespace splitwick {

// Eight texts numbered 1 to 8, as the playlist's attribute items index them.
class AttributeTable {
  public:
    static constexpr int Entries = 8;
    static bool holds(int index) { return index >= 1 && index <= Entries; }

    // Only for an index that holds() accepts.
    std::string& operator[](int index) { return entries_.at(index - 1); }
    const std::string& operator[](int index) const { return entries_.at(index - 1); }

  private:
    std::array<std::string, Entries> entries_{};
};

// The playlist's media attribute items, by index.
struct AttributeTables {
    AttributeTable VideoAttr;      // codec of each VideoAttributeItem
    AttributeTable AudioAttr;      // codec and channel suffix of each AudioAttributeItem
    AttributeTable SubpictureAttr; // codec of each SubpictureAttributeItem
};

// A stream the playlist's title names, as Read XPL labels it.
struct StreamLabel {
    TrackName name;
    std::string label;       // names its files: "DD+.6ch.stream.00.English", "VC-1.stream.0"
    std::string description; // the playlist's words on it: the label, for audio and subtitles
};

// The words on a stream of this kind where the playlist's title gives none: the window's hint
// over its page of boxes, "Check the desired video stream".
std::string kindWords(TrackKind kind);

// What Read XPL found in a playlist: its attribute items, the attributes of its TitleSet, and the
// title that plays the EVO with the streams it labels; no title when none plays it (or the read
// was stopped).
struct PlaylistRead {
    AttributeTables attributes;
    TitleSetAttributes titleSet;
    bool titleFound = false;
    TitleInfo title;
    std::vector<StreamLabel> labels; // in the title's lines' order

    // The label of the stream of this name; nullptr when the title names none.
    const StreamLabel* label(TrackName name) const;
};

} // namespace splitwick
