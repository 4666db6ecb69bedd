#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace splitwick {

// What is known where a later part of a title begins, in ticks on the title's timeline.
struct SeamFacts {
    std::string file;                    // the later part's file name
    int64_t beforeBegan = 0;             // where the part before began
    std::optional<int64_t> beforeEnded;  // where the part before's video ended
    std::optional<int64_t> beforeEndPts; // the PTS at which it ended
    std::optional<int64_t> placed;       // where the playlist places the later part
    std::optional<int64_t> titleLength;  // the playlist's titleDuration
    int64_t pictureTicks = 0;            // a picture's length
};

// Where the later part begins, and the line that says what was done there (empty for none).
struct SeamStart {
    int64_t ticks;
    std::string line;
};

// The later part goes on from the part before when its first presented picture's PTS follows
// the part before's within a few pictures (a layer break, a split title) or when its place is
// within a picture of that end; else at its place, a gap kept. A place past the title's end or
// before the part before began is passed over: the part goes on where the one before ended.
SeamStart seamStart(const SeamFacts& seam, int64_t referencePts);

// "Seam at 1:02:03.456 (L1_FEATURE.EVO): TEXT".
std::string seamLine(int64_t ticks, const std::string& file, const std::string& text);

} // namespace splitwick
