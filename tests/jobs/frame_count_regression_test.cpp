// Frame counts past 2^31 start codes: a 32-bit counter overflowed into a negative count.
#include <gtest/gtest.h>

#include "engine/frame_counter.h"
#include "jobs/timing_lines.h"
#include "support/pes_fixture.h"
#include "support/recording_events.h"

namespace splitwick::testing {
namespace {

TEST(FrameCountRegression, CountsPast2To31KeepCountingAndAreLoggedWhole) {
    const int64_t almostFull = INT32_MAX;
    FrameCounts counts = {almostFull, almostFull + 1000};
    FrameTally frames(true);
    frames.countEveryStream(counts);
    TrackList tracks;
    PackScanner scanner(tracks, frames);
    const Bytes pack = videoPack(0xE0, 2);
    scanner.feed(pack.data(), pack.size());
    EXPECT_EQ(counts[0], almostFull + 2);

    RecordingEvents events;
    logFrameCounts(events, counts);
    EXPECT_EQ(events.lines,
              (std::vector<std::string>{"2147483649 frames count in video stream 0.",
                                        "2147484647 frames count in video stream 1."}));
}

} // namespace
} // namespace splitwick::testing
