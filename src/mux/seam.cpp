#include "seam.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/stream_timing.h"

namespace splitwick {

namespace {

// A later part whose first picture's PTS is this many pictures from the end of the part before
// goes on from it: its clock runs on.
constexpr int64_t RunsOnPictures = 3;

// "1:02:03.456"; below 0 written as 0.
std::string timeText(int64_t ticks) {
    const int64_t ms = std::max<int64_t>(ticks, 0) / 90;
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(ms / 3'600'000), static_cast<long long>(ms / 60'000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

} // namespace

std::string seamLine(int64_t ticks, const std::string& file, const std::string& text) {
    return "Seam at " + timeText(ticks) + " (" + file + "): " + text;
}

SeamStart seamStart(const SeamFacts& seam, int64_t referencePts) {
    const int64_t end = seam.beforeEnded.value_or(seam.beforeBegan);
    // A picture measured longer spans pictures whose packets carried no PTS.
    const int64_t picture = std::min(seam.pictureTicks, int64_t(LongestPictureTicks));
    if (seam.beforeEndPts) {
        const int64_t on = ptsDifference(referencePts, *seam.beforeEndPts);
        if (std::abs(on) <= RunsOnPictures * picture) return {end + on, ""};
    }
    if (!seam.placed) return {end, ""};
    const int64_t placed = *seam.placed;
    const char* wrong = placed < seam.beforeBegan ? "before the clip before it began"
                        : seam.titleLength && placed > *seam.titleLength ? "past the title's end"
                                                                         : nullptr;
    if (wrong != nullptr)
        return {end, seamLine(end, seam.file,
                              "its place " + timeText(placed) + " is " + wrong +
                                  ", passed over: it goes on where the clip before ended")};
    if (std::abs(placed - end) <= picture) return {end, ""};
    if (placed < end) return {placed, ""};
    char gap[32];
    std::snprintf(gap, sizeof gap, "%.3f s", double(placed - end) / TicksPerSecond);
    return {placed, seamLine(end, seam.file, std::string("a gap of ") + gap + " kept")};
}

} // namespace splitwick
