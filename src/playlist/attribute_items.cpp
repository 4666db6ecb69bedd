#include "attribute_items.h"

#include <array>

#include "integer_text.h"

namespace splitwick {

namespace {

// Stores the item's text at its index; an index outside the table names no entry.
void store(AttributeTable& table, const std::string& indexText, const std::string& text) {
    const int32_t index = strictInteger(indexText);
    if (AttributeTable::holds(index)) table[index] = text;
}

} // namespace

void AttributeItems::test(std::string_view text) {
    using Test = void (AttributeItems::*)(const PlaylistTag&);
    struct ItemTest {
        const char* element;
        Test action;
    };
    static const std::array<ItemTest, 5> Items = {{
        {"Playlist", &AttributeItems::playlistTag},
        {"VideoAttributeItem", &AttributeItems::videoItem},
        {"AudioAttributeItem", &AttributeItems::audioItem},
        {"SubpictureAttributeItem", &AttributeItems::subpictureItem},
        {"TitleSet", &AttributeItems::titleSet},
    }};
    // Most tags are none of these: only those that are get read.
    std::optional<PlaylistTag> tag;
    for (const ItemTest& item : Items) {
        if (text.find(item.element) == std::string_view::npos) continue;
        if (!tag) tag.emplace(text);
        (this->*item.action)(*tag);
    }
}

void AttributeItems::playlistTag(const PlaylistTag& tag) {
    keepLabelText(tag, "displayName", playlistTitle_);
}

void AttributeItems::videoItem(const PlaylistTag& tag) {
    keepLabelText(tag, "index", videoIndex_);
    keepLabelText(tag, "codec", videoCodec_);
    store(read_.attributes.VideoAttr, videoIndex_, videoCodec_);
}

void AttributeItems::audioItem(const PlaylistTag& tag) {
    // An item without "channels" keeps the count of the item before it; only while no item
    // has named one is the suffix left off.
    keepLabelText(tag, "channels", audioChannels_);
    const std::string suffix = audioChannels_.empty() ? "" : "." + audioChannels_ + "ch";
    keepLabelText(tag, "codec", audioCodec_);
    keepLabelText(tag, "index", audioIndex_);
    store(read_.attributes.AudioAttr, audioIndex_, audioCodec_ + suffix);
}

void AttributeItems::subpictureItem(const PlaylistTag& tag) {
    keepLabelText(tag, "index", subpictureIndex_);
    keepLabelText(tag, "codec", subpictureCodec_);
    store(read_.attributes.SubpictureAttr, subpictureIndex_, subpictureCodec_);
}

void AttributeItems::titleSet(const PlaylistTag& tag) {
    if (tag.opens("TitleSet"))
        read_.titleSet = {tag.firstOf({"timeBase"}), tag.firstOf({"defaultLanguage"})};
}

} // namespace splitwick
