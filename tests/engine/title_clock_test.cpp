// Where a later part of a title begins on its timeline: where the playlist places its clip,
// unless that is before the part before began; else where the part before's picture ended.
#include "engine/title_clock.h"

#include <gtest/gtest.h>

namespace splitwick {
namespace {

TEST(TitleClock, ALaterPartBeginsWhereItIsPlacedElseWhereThePictureEnded) {
    struct Case {
        const char* what;
        std::optional<int64_t> secondPlaced, thirdPlaced;
        int64_t secondBegins, thirdBegins;
    };
    // Each part's picture runs 90000 ticks from PTS 1000 (the third's PTS start again).
    const Case cases[] = {
        {"not placed: end to end", std::nullopt, std::nullopt, 90000, 180000},
        {"placed with a gap", 90000, 450450, 90000, 450450},
        {"placed over the end of the part before", 90000, 135000, 90000, 135000},
        {"placed before the part before began", 270000, 180000, 270000, 360000},
    };
    for (const Case& c : cases) {
        PartTiming part;
        part.referencePts = 1000;
        part.videoEndPts = 91000;
        TitleClock clock;
        clock.settle(1000);
        EXPECT_EQ(clock.ticks(1000), 0) << c.what;
        clock.endPart(part, c.secondPlaced);
        EXPECT_FALSE(clock.settled()) << c.what;
        clock.settle(1000);
        EXPECT_EQ(clock.ticks(1000), c.secondBegins) << c.what;
        clock.endPart(part, c.thirdPlaced);
        clock.settle(1000);
        EXPECT_EQ(clock.ticks(1500), c.thirdBegins + 500) << c.what;
    }
}

} // namespace
} // namespace splitwick
