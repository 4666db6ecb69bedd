// A title's chapters put in time order, exact duplicates dropped, and the line that says so.
#include <gtest/gtest.h>

#include "playlist/chapter_order.h"

namespace splitwick::testing {
namespace {

TEST(ChapterOrder, SortedByStartWithDuplicatesDroppedAndTheChangeSaid) {
    using Marks = std::vector<ChapterMark>;
    const struct {
        Marks playlist;
        Marks ordered;
        ChapterReorder change;
        const char* line; // "" for none
    } cases[] = {
        {{{0, "A"}, {5, "B"}}, {{0, "A"}, {5, "B"}}, {0, 0}, ""},
        {{}, {}, {0, 0}, ""},
        // One late chapter moves; those of the same start keep the playlist's order.
        {{{0, "A"}, {9, "C"}, {5, "B"}, {5, "B2"}},
         {{0, "A"}, {5, "B"}, {5, "B2"}, {9, "C"}},
         {1, 0},
         "Chapters of Main: 1 moved into time order"},
        // Backwards: all but one move.
        {{{9, "C"}, {5, "B"}, {0, "A"}}, {{0, "A"}, {5, "B"}, {9, "C"}}, {2, 0}, ""},
        // A duplicate is the same time and name; the same time under another name stays.
        {{{0, "A"}, {5, "B"}, {5, "B"}, {5, "b"}, {0, "A"}},
         {{0, "A"}, {5, "B"}, {5, "b"}},
         {0, 2},
         "Chapters of Main: 2 duplicates dropped"},
        {{{5, "B"}, {0, "A"}, {5, "B"}, {9, "C"}, {2, "A2"}},
         {{0, "A"}, {2, "A2"}, {5, "B"}, {9, "C"}},
         {2, 1},
         "Chapters of Main: 2 moved into time order, 1 duplicate dropped"},
    };
    for (const auto& c : cases) {
        Marks marks = c.playlist;
        const ChapterReorder change = putInTimeOrder(marks);
        EXPECT_EQ(marks, c.ordered) << c.line;
        EXPECT_EQ(change, c.change) << c.line;
        if (*c.line != '\0') {
            EXPECT_EQ(reorderLine("Main", change), c.line);
        }
        if (change == ChapterReorder{}) {
            EXPECT_EQ(reorderLine("Main", change), std::nullopt);
        }
    }
}

} // namespace
} // namespace splitwick::testing
