// The plan of a mux: which video takes the rate measured.
#include <gtest/gtest.h>

#include "jobs/plan.h"

namespace splitwick::testing {
namespace {

// Timestamps that repeat, or step by one tick, measure as rates no disc plays: given to the
// track as its default duration they would stretch or squeeze it, so the stream's own timing
// stands and one line says so. MPEG-2 carries its own rate and takes none measured.
TEST(OwnTimingLineRegression, OnlyRawH264AndVc1AtARateNoDiscPlaysGetTheLine) {
    const char* const Line = "Video frame rate 1/1000 fps is none a disc plays at: the video "
                             "track keeps its stream's own timing";
    const struct {
        MuxCodec codec;
        FrameRate rate;
        const char* line;
    } rows[] = {
        {MuxCodec::H264, {24000, 1001}, ""}, {MuxCodec::Vc1, {50, 1}, ""},
        {MuxCodec::H264, {1, 1000}, Line},   {MuxCodec::Vc1, {1, 1000}, Line},
        {MuxCodec::Mpeg2, {1, 1000}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(codecName(row.codec) + " " + row.rate.text());
        EXPECT_EQ(ownTimingLine(row.codec, row.rate), row.line);
    }
}

} // namespace
} // namespace splitwick::testing
