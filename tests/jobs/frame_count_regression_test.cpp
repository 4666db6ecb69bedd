// Frame counts past 2^31 start codes: a 32-bit counter overflowed into a negative count.
#include <gtest/gtest.h>

#include "engine/frame_counter.h"
#include "jobs/job_steps.h"
#include "support/pes_fixture.h"
#include "support/recording_session.h"

namespace splitwick::testing {
namespace {

TEST(FrameCountRegression, CountsPast2To31KeepCountingAndAreLoggedWhole) {
    RecordingSession rs;
    const int64_t almostFull = INT32_MAX;
    rs.state().frameCount[0] = almostFull;
    rs.state().frameCount[1] = almostFull + 1000;
    rs.state().streamTable.fill(-1);
    FrameTally frames(rs.request().countFrames);
    frames.countEveryStream(rs.state().frameCount);
    PackScanner scanner(rs.state().streamTable, frames);
    const Bytes pack = videoPack(0xE0, 2);
    scanner.feed(pack.data(), pack.size());
    EXPECT_EQ(rs.state().frameCount[0], almostFull + 2);

    rs.report.lines.clear();
    logFrameCounts(rs.report, rs.state().frameCount);
    EXPECT_EQ(rs.lines(), (std::vector<std::string>{"2147483649 frames count in video stream 0.",
                                                    "2147484647 frames count in video stream 1."}));
}

} // namespace
} // namespace splitwick::testing
