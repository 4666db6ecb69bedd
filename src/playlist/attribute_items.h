#pragma once
#include <string>
#include <string_view>

#include "playlist.h"
#include "playlist_tag.h"

namespace splitwick {

// The tests every scanned tag passes through: the playlist's title and its media attribute
// items, filling the attribute tables. Its value holders live for one read and keep their
// value from tag to tag, as a holder is left alone when the tag lacks the attribute: the
// playlist's closing tag thus keeps the title, and an item's closing tag rewrites its entry.
// The TitleSet's attributes go to the read whole, for the title's data.
class AttributeItems {
  public:
    explicit AttributeItems(PlaylistRead& read) : read_(read) {}

    // Throws JobError when an item's "index" is not an integer.
    void test(std::string_view tag);

    const std::string& playlistTitle() const { return playlistTitle_; }

  private:
    void playlistTag(const PlaylistTag& tag);
    void videoItem(const PlaylistTag& tag);
    void audioItem(const PlaylistTag& tag);
    void subpictureItem(const PlaylistTag& tag);
    void titleSet(const PlaylistTag& tag);

    PlaylistRead& read_;
    std::string playlistTitle_;
    std::string videoIndex_, videoCodec_;
    std::string audioChannels_, audioCodec_, audioIndex_;
    std::string subpictureIndex_, subpictureCodec_;
};

} // namespace splitwick
