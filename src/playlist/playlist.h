#pragma once
#include <array>
#include <string>

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

// What the playlist reader keeps for the whole run of the program, beside the Session: the
// window and the command line each own one. The tables start empty and are never cleared;
// each read overwrites the entries its items name.
struct Playlist {
    AttributeTable VideoAttr;      // codec of each VideoAttributeItem
    AttributeTable AudioAttr;      // codec and channel suffix of each AudioAttributeItem
    AttributeTable SubpictureAttr; // codec of each SubpictureAttributeItem

    // What the last read found: the attributes of the TitleSet, and what the title that plays
    // the EVO says beyond its labels (nothing when the read found none or failed).
    TitleSetAttributes titleSet;
    TitleInfo title;
};

} // namespace splitwick
