#pragma once
// The tag scanner's lines for a text fed in reads of given sizes: whatever the sizes, the lines
// must be the same.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "playlist/memo_lines.h"
#include "playlist/tag_scanner.h"

namespace splitwick::testing {

inline std::vector<std::string> tagLinesInPieces(const std::vector<uint8_t>& text,
                                                 const std::vector<size_t>& pieces) {
    std::vector<std::string> lines;
    // Each line as the memo shows it: its indentation, then its text.
    TagScanner scanner([&](uint8_t indentLevels, const std::string& text) {
        lines.push_back(std::string(indentLevels * MemoLines::IndentUnit, ' ') + text);
    });
    size_t at = 0;
    for (size_t piece : pieces) {
        scanner.feed(std::span(text.data() + at, piece));
        at += piece;
    }
    return lines;
}

} // namespace splitwick::testing
