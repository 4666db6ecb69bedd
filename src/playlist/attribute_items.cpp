#include "attribute_items.h"

#include <array>

#include "attr.h"
#include "integer_text.h"
#include "xml_tag.h"

namespace splitwick {

namespace {

// Stores the item's text at its index; an index outside the table names no entry.
void store(AttributeTable& table, const std::string& indexText, const std::string& text) {
    const int32_t index = strictInteger(indexText);
    if (AttributeTable::holds(index)) table[index] = text;
}

} // namespace

void AttributeItems::test(const std::string& tag) {
    using Test = void (AttributeItems::*)(const std::string&);
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
    for (const ItemTest& item : Items)
        if (tag.find(item.element) != std::string::npos) (this->*item.action)(tag);
}

void AttributeItems::playlistTag(const std::string& tag) {
    AttrText(tag, "displayName", playlistTitle_);
}

void AttributeItems::videoItem(const std::string& tag) {
    AttrText(tag, "index", videoIndex_);
    AttrText(tag, "codec", videoCodec_);
    store(playlist_.VideoAttr, videoIndex_, videoCodec_);
}

void AttributeItems::audioItem(const std::string& tag) {
    // An item without "channels" keeps the count of the item before it; only while no item
    // has named one is the suffix left off.
    AttrText(tag, "channels", audioChannels_);
    const std::string suffix = audioChannels_.empty() ? "" : "." + audioChannels_ + "ch";
    AttrText(tag, "codec", audioCodec_);
    AttrText(tag, "index", audioIndex_);
    store(playlist_.AudioAttr, audioIndex_, audioCodec_ + suffix);
}

void AttributeItems::subpictureItem(const std::string& tag) {
    AttrText(tag, "index", subpictureIndex_);
    AttrText(tag, "codec", subpictureCodec_);
    store(playlist_.SubpictureAttr, subpictureIndex_, subpictureCodec_);
}

void AttributeItems::titleSet(const std::string& tag) {
    const XmlTag titleSet = readXmlTag(tag);
    if (!titleSet.opens("TitleSet")) return;
    playlist_.titleSet = {titleSet.firstOf({"timeBase"}), titleSet.firstOf({"defaultLanguage"})};
}

} // namespace splitwick
