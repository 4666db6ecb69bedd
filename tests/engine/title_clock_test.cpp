// Where a later part of a title begins on its timeline: where the part before's picture ended,
// unless its seam puts it elsewhere (which the Matroska seams decide).
#include "engine/title_clock.h"

#include <gtest/gtest.h>

namespace splitwick {
namespace {

TEST(TitleClock, ALaterPartBeginsWhereThePictureEndedOrWhereItIsStarted) {
    struct Case {
        const char* what;
        std::optional<int64_t> secondStarts;
        int64_t secondBegins, thirdBegins;
    };
    // Each part's picture runs 90000 ticks from PTS 1000 (the later parts' PTS start again).
    const Case cases[] = {
        {"end to end", std::nullopt, 90000, 180000},
        {"the second started with a gap", 450450, 450450, 540450},
    };
    for (const Case& c : cases) {
        PartTiming part;
        part.referencePts = 1000;
        part.videoEndPts = 91000;
        TitleClock clock;
        clock.settle(1000);
        EXPECT_EQ(clock.ticks(1000), 0) << c.what;
        clock.endPart(part);
        EXPECT_FALSE(clock.settled()) << c.what;
        clock.settle(1000);
        if (c.secondStarts) clock.startAt(*c.secondStarts);
        EXPECT_EQ(clock.ticks(1000), c.secondBegins) << c.what;
        EXPECT_EQ(clock.start(), c.secondBegins) << c.what;
        clock.endPart(part);
        clock.settle(1000);
        EXPECT_EQ(clock.ticks(1500), c.thirdBegins + 500) << c.what;
    }
}

} // namespace
} // namespace splitwick
