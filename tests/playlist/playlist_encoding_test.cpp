// Playlists written in UTF-16 (with or without a byte-order mark) or with a UTF-8 mark were read
// as if they held no tag: titles listed nothing, mkv found no title. They read as their UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/playlist_encoding.h"

namespace splitwick::testing {
namespace {

const std::u16string Text = u"<?xml version=\"1.0\"?><Title displayName=\"Ça \U0001D11E\"/>";
const std::string Utf8 = "<?xml version=\"1.0\"?><Title displayName=\"Ça \U0001D11E\"/>";

std::vector<uint8_t> utf16(bool little, bool mark) {
    std::vector<uint8_t> bytes;
    const auto unit = [&](char16_t u) {
        bytes.push_back(uint8_t(little ? u : u >> 8));
        bytes.push_back(uint8_t(little ? u >> 8 : u));
    };
    if (mark) unit(0xFEFF);
    for (char16_t u : Text)
        unit(u);
    return bytes;
}

// Fed `step` bytes at a time, then the end.
std::string decoded(const std::vector<uint8_t>& bytes, size_t step) {
    PlaylistEncoding encoding;
    std::string text;
    const auto take = [&](std::span<const uint8_t> out) { text.append(out.begin(), out.end()); };
    for (size_t at = 0; at < bytes.size(); at += step)
        take(encoding.toUtf8(
            std::span<const uint8_t>(bytes).subspan(at, std::min(step, bytes.size() - at))));
    take(encoding.toUtf8({}));
    return text;
}

TEST(PlaylistEncoding, EveryFormReadsAsItsUtf8WhateverTheChunks) {
    std::vector<uint8_t> marked = {0xEF, 0xBB, 0xBF};
    marked.insert(marked.end(), Utf8.begin(), Utf8.end());
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"UTF-8", std::vector<uint8_t>(Utf8.begin(), Utf8.end())},
        {"UTF-8 with its mark", marked},
        {"UTF-16LE with its mark", utf16(true, true)},
        {"UTF-16BE with its mark", utf16(false, true)},
        {"UTF-16LE without", utf16(true, false)},
        {"UTF-16BE without", utf16(false, false)},
    };
    for (const auto& c : cases)
        for (size_t step : {size_t(1), size_t(3), size_t(4096)})
            EXPECT_EQ(decoded(c.bytes, step), Utf8) << c.name << ", " << step << " at a time";
    // Fewer bytes than a mark: taken as they are.
    EXPECT_EQ(decoded({'<'}, 1), "<");
}

} // namespace
} // namespace splitwick::testing
