#pragma once
#include <optional>
#include <string>
#include <vector>

#include "title_chapters.h"

namespace splitwick {

// What putting a title's chapters in time order changed.
struct ChapterReorder {
    int moved = 0;      // the fewest chapters that had to move
    int duplicates = 0; // dropped: the same time and name as an earlier one
    bool operator==(const ChapterReorder&) const = default;
};

// Sorts the chapters by their start, those of the same start in the playlist's order, and
// drops exact duplicates: a chapter must not end (at the next one's start) before it begins.
ChapterReorder putInTimeOrder(std::vector<ChapterMark>& chapters);

// "Chapters of Main: 2 moved into time order, 1 duplicate dropped"; nothing when nothing
// changed.
std::optional<std::string> reorderLine(const std::string& titleName, const ChapterReorder& change);

} // namespace splitwick
