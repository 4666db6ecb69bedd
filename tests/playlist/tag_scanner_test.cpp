#include <gtest/gtest.h>

#include <string_view>

#include "playlist/tag_scanner.h"

namespace splitwick {
namespace {

using Lines = std::vector<std::string>;

// The memo lines of the text, fed in these chunks.
Lines scan(std::initializer_list<std::string_view> chunks) {
    Lines lines;
    TagScanner scanner([&](uint8_t indentLevels, const std::string& text) {
        lines.push_back(std::string(2 * indentLevels, ' ') + text);
    });
    for (std::string_view chunk : chunks)
        scanner.feed({reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size()});
    return lines;
}

TEST(TagScanner, IndentsTwoSpacesPerOpenElement) {
    EXPECT_EQ(scan({"<?xml version=\"1.0\"?>\n<a>\n<b x=\"1\"/>\n<c>\n<d/>\n</c>\n"
                    "<!-- note -->\n</a>\n"}),
              (Lines{"<?xml version=\"1.0\"?>", "<a>", "  <b x=\"1\"/>", "  <c>", "    <d/>",
                     "  </c>", "  <!-- note -->", "</a>"}));
}

TEST(TagScanner, ExplicitClosingTagStandsAtItsOpeningTagsIndentation) {
    EXPECT_EQ(scan({"<a><Video track=\"1\"></Video><b/></a>"}),
              (Lines{"<a>", "  <Video track=\"1\">", "  </Video>", "  <b/>", "</a>"}));
}

TEST(TagScanner, FoldsLineBreaksInsideATagIntoOneSpace) {
    EXPECT_EQ(scan({"<Title\r\n\t\tid=\"T1\"\r\n\t\tdisplayName=\"Main\">"}),
              (Lines{"<Title id=\"T1\" displayName=\"Main\">"}));
    // Spaces are text and stay as written.
    EXPECT_EQ(scan({"<a  b\n  c>"}), (Lines{"<a  b   c>"}));
}

TEST(TagScanner, PassesUtf8Through) {
    EXPECT_EQ(scan({"<Subtitle description=\"Français 日本語\"/>"}),
              (Lines{"<Subtitle description=\"Français 日本語\"/>"}));
}

TEST(TagScanner, AngleBracketInCharacterDataEndsALineOfIndentation) {
    EXPECT_EQ(scan({"<a>x > y</a>"}), (Lines{"<a>", "  ", "</a>"}));
}

TEST(TagScanner, DeclarationRaisesTheDepthForTheRestOfTheFile) {
    EXPECT_EQ(scan({"<!DOCTYPE p>\n<p>\n</p>\n"}), (Lines{"<!DOCTYPE p>", "  <p>", "  </p>"}));
}

TEST(TagScanner, TagsRunOnAcrossChunks) {
    EXPECT_EQ(scan({"<a><b x=\"1", "\"/></", "a>"}), (Lines{"<a>", "  <b x=\"1\"/>", "</a>"}));
    // A comment's end split between chunks still closes it.
    EXPECT_EQ(scan({"<a><!-- c -", "-><b/></a>"}),
              (Lines{"<a>", "  <!-- c -->", "  <b/>", "</a>"}));
}

TEST(TagScanner, UnclosedElementsOfTextThatIsNotXmlIndentNoDeeperThan64Levels) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "<a>";
    const Lines lines = scan({text});
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[63], std::string(126, ' ') + "<a>");
    EXPECT_EQ(lines[64], std::string(128, ' ') + "<a>");
    EXPECT_EQ(lines[99], std::string(128, ' ') + "<a>");
}

} // namespace
} // namespace splitwick
