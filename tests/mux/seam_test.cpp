// Where a later part of a title begins: on from the part before, at its place, or, when its
// place cannot be, on from the part before with a line.
#include <gtest/gtest.h>

#include "mux/seam.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Picture = 3754;
constexpr int64_t S = 90000;

TEST(Seam, LaterPartBeginsWhereItsClockOrItsPlaceSays) {
    // The part before began at 10 s, its picture ended at 70 s, at PTS 1,000,000.
    const SeamFacts before{"L1_FEATURE.EVO", 10 * S,  70 * S, 1'000'000,
                           std::nullopt,     120 * S, Picture};
    const struct {
        const char* name;
        std::optional<int64_t> placed;
        int64_t referencePts;
        SeamStart start;
        int64_t pictureTicks = Picture; // as the part before's first second measured it
    } rows[] = {
        {"PTS that run on a picture later, whatever the place",
         50 * S,
         1'000'000 + Picture,
         {70 * S + Picture, ""}},
        {"PTS that start again without a place", std::nullopt, 5000, {70 * S, ""}},
        {"PTS a second before the end, after a first second of stamps 0.8 s apart",
         std::nullopt,
         1'000'000 - S,
         {70 * S, ""},
         72000},
        {"a place within a picture of the end: on from it",
         70 * S + Picture - 10,
         5000,
         {70 * S, ""}},
        {"a place a second later: the gap kept",
         71 * S,
         5000,
         {71 * S, "Seam at 0:01:10.000 (L1_FEATURE.EVO): a gap of 1.000 s kept"}},
        {"a place a second earlier: there", 69 * S, 5000, {69 * S, ""}},
        {"a place past the title's end",
         121 * S,
         5000,
         {70 * S, "Seam at 0:01:10.000 (L1_FEATURE.EVO): its place 0:02:01.000 is past the "
                  "title's end, passed over: it goes on where the clip before ended"}},
        {"a place before the part before began",
         9 * S,
         5000,
         {70 * S, "Seam at 0:01:10.000 (L1_FEATURE.EVO): its place 0:00:09.000 is before the "
                  "clip before it began, passed over: it goes on where the clip before ended"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SeamFacts seam = before;
        seam.placed = row.placed;
        seam.pictureTicks = row.pictureTicks;
        const SeamStart start = seamStart(seam, row.referencePts);
        EXPECT_EQ(start.ticks, row.start.ticks);
        EXPECT_EQ(start.line, row.start.line);
    }
}

} // namespace
} // namespace splitwick::testing
