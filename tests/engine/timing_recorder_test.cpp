// Which picture of video stream 0 a part's timeline starts from: the earliest presented among
// the packets decoded in its first second, B-frames before the first packet's included, a jump
// back of the stamps not; and where it ends: a picture after its latest.
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

PartTiming timingOf(const std::vector<Stamps>& packets) {
    const Track video{{IdField::StreamId, 0xE2}, &StreamCodecs[1]};
    TimingRecorder recorder;
    uint32_t pending = 0;
    for (const Stamps& stamps : packets) {
        PayloadRun run{PacketKind::Video, nullptr,    0,          &video,
                       pending,           stamps.pts, stamps.dts, false};
        recorder.payload(run);
    }
    return recorder.endPart("A.EVO");
}

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
        {"a first picture shown hours after its decoding is damage, not the start",
         {{Wrap - S, Wrap / 3}, {S, S}, {S + F, S + F}},
         S},
        {"a picture shown before its decoding in the first second is damage, not the start",
         {{S, S - F}, {S - 30 * F, S}, {S + F, S + F}},
         S},
        {"stamps that jump back two seconds across the wrap: the track goes on from the first",
         {{S, S - F}, {S + F, S}, {Wrap - S, Wrap - S - F}, {Wrap - S + F, Wrap - S}},
         S},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(timingOf(row.packets).referencePts, row.reference);
    }
}

TEST(TimingRecorder, ThePartEndsAPictureAfterItsLatest) {
    const struct {
        const char* what;
        std::vector<Stamps> packets;
        int64_t end;
    } rows[] = {
        {"film", {{S, S}, {S + F, S + F}, {S + 2 * F, S + 2 * F}}, S + 3 * F},
        {"50 pictures a second", {{S, S}, {S + 1800, S + 1800}, {S + 3600, S + 3600}}, S + 5400},
        {"two stamped pictures far apart in the first second: the step spans unstamped ones",
         {{S, S - F}, {S + 20 * F, S + 19 * F}},
         S + 21 * F},
        {"a picture shown before its decoding is damage, no end",
         {{S, S}, {S + F, S + F}, {600 * S, 9000 * S}},
         S + 2 * F},
        {"a picture shown minutes after its decoding is damage, no end",
         {{S, S}, {S + F, S + F}, {600 * S, 3 * S}},
         S + 2 * F},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(timingOf(row.packets).videoEndPts, row.end);
    }
}

} // namespace
} // namespace splitwick
