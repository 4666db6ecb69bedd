// The frame rate named for a measured frame length: the nearest disc rate within 0.1 %, else the
// rate as measured.
#include <gtest/gtest.h>

#include "engine/stream_timing.h"

namespace splitwick {
namespace {

TEST(FrameRate, NearestDiscRateWithinATenthOfAPercentElseAsMeasured) {
    const struct {
        double frameTicks;
        const char* rate;
    } cases[] = {
        {3753.75, "24000/1001"},
        {3753.0, "24000/1001"},
        {3754.0, "24000/1001"},
        {3750.0, "24"},
        // 24 is within 0.1 % of 24000/1001: between them the nearer one is named.
        {3751.6, "24"},
        {3752.3, "24000/1001"},
        {3600.0, "25"},
        {3003.0, "30000/1001"},
        {1800.0, "50"},
        {1501.5, "60000/1001"},
        // No disc rate near: 29.412 and 15 frames a second.
        {3060.0, "7353/250"},
        {6000.0, "15"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frameRateOf(c.frameTicks).text(), c.rate) << c.frameTicks;
}

} // namespace
} // namespace splitwick
