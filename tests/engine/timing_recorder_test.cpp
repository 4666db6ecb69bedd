// Which picture of video stream 0 a part's timeline starts from: the earliest presented among
// the packets decoded in its first second, B-frames before the first packet's included, a jump
// back of the stamps not.
#include "engine/timing_recorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace splitwick {
namespace {

constexpr int64_t F = 3754; // a picture at 24000/1001
constexpr int64_t S = 90000;
constexpr int64_t Wrap = int64_t(1) << 33;

struct Stamps {
    int64_t pts, dts;
};

TEST(TimingRecorder, ThePartStartsAtTheEarliestPictureOfItsFirstSecond) {
    const struct {
        const char* what;
        std::vector<Stamps> packets;
        int64_t reference;
    } rows[] = {
        {"B-frames shown before the first picture",
         {{S, S - F}, {S - 2 * F, S - 2 * F}},
         S - 2 * F},
        {"B-frames decoded just before the first DTS (open GOP)",
         {{S + 2 * F, S + F}, {S, S}, {S + F, S + F}},
         S},
        {"stamps a second later are past the first second",
         {{S, S - F}, {2 * S + F, 2 * S}, {S + F, S + F}},
         S},
        {"stamps that jump back two seconds across the wrap: the track goes on from the first",
         {{S, S - F}, {S + F, S}, {Wrap - S, Wrap - S - F}, {Wrap - S + F, Wrap - S}},
         S},
    };
    const Track video{{IdField::StreamId, 0xE2}, &StreamCodecs[1]};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TimingRecorder recorder;
        uint32_t pending = 0;
        for (const Stamps& stamps : row.packets) {
            PayloadRun run{PacketKind::Video, nullptr,    0,          &video,
                           pending,           stamps.pts, stamps.dts, false};
            recorder.payload(run);
        }
        EXPECT_EQ(recorder.endPart("A.EVO").referencePts, row.reference);
    }
}

} // namespace
} // namespace splitwick
