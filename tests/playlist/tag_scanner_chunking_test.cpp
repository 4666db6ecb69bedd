// The tag scanner gives the same lines however the reads cut the playlist.
#include <gtest/gtest.h>

#include <random>

#include "playlist_writer.h"
#include "support/scan_record.h"
#include "tag_lines.h"

namespace splitwick::testing {
namespace {

void expectSameLinesInEveryPieces(const std::string& text) {
    const Bytes bytes(text.begin(), text.end());
    const auto whole = tagLinesInPieces(bytes, pieceSizes(Pieces::Whole, bytes.size()));
    for (auto [pieces, seed] : {std::pair{Pieces::OneByte, 1u},
                                {Pieces::Odd2047, 1u},
                                {Pieces::Random, 1u},
                                {Pieces::Random, 2u}}) {
        SCOPED_TRACE("pieces " + std::to_string(int(pieces)) + ", seed " + std::to_string(seed));
        EXPECT_EQ(tagLinesInPieces(bytes, pieceSizes(pieces, bytes.size(), seed)), whole);
    }
}

TEST(TagScannerChunking, DiscPlaylist) {
    std::vector<std::string> stems;
    for (int i = 1; i <= 60; ++i)
        stems.push_back("FEATURE_" + std::to_string(i));
    expectSameLinesInEveryPieces(xmlDocument(discPlaylist(stems)));
}

TEST(TagScannerChunking, TextRichInMarks) {
    // The bytes that open, close and end tags, comments and declarations, line breaks, and the
    // pieces of UTF-8 sequences, in every order.
    const char marks[] = {'<', '>', '/', '?', '-', '!', '\n', '\r', '\t', ' ', 'a', '\xC3', '\xA9'};
    std::mt19937 random(3);
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += marks[random() % sizeof marks];
    expectSameLinesInEveryPieces(text);
}

} // namespace
} // namespace splitwick::testing
