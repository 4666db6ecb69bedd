// How frames are timed from the timestamps their packets carried, or from the frames before.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "mux/block_times.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Frame = 3600; // 25 frames a second
constexpr int64_t Ac3 = 2880;   // 1536 samples at 48 kHz
const std::optional<int64_t> None;

struct In {
    In(std::optional<int64_t> pts, std::optional<int64_t> dts, int64_t samplesTicks = 0,
       std::optional<int64_t> framesShownAfter = std::nullopt)
        : pts(pts), dts(dts), samplesTicks(samplesTicks), framesShownAfter(framesShownAfter) {}
    std::optional<int64_t> pts, dts;
    int64_t samplesTicks;
    std::optional<int64_t> framesShownAfter;
};

std::vector<std::optional<BlockTime>> timed(int64_t frameTicks, const std::vector<In>& frames) {
    BlockTimes times(frameTicks);
    std::vector<std::optional<BlockTime>> out;
    for (const In& frame : frames)
        out.push_back(times.next(frame.pts, frame.dts, frame.samplesTicks, frame.framesShownAfter));
    return out;
}

TEST(BlockTimes, FollowTheTimestampsAndFillTheFramesWithout) {
    const struct {
        const char* name;
        int64_t frameTicks;
        std::vector<In> frames;
        std::vector<std::optional<BlockTime>> times;
    } rows[] = {
        {"audio frames behind the first of a packet go on by their length",
         0,
         {{0, 0, Ac3}, {None, None, Ac3}, {None, None, Ac3}, {3 * Ac3, None, Ac3}},
         {BlockTime{0, 0, Ac3}, BlockTime{Ac3, Ac3, Ac3}, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}}},
        {"audio before its first timestamp has no time",
         0,
         {{None, None, Ac3}, {Ac3, None, Ac3}},
         {std::nullopt, BlockTime{Ac3, Ac3, Ac3}}},
        {"video steps learnt from two stamped frames, the delay kept",
         1000,
         {{2 * Frame, 0}, {None, None}, {None, None}, {5 * Frame, 3 * Frame}, {None, None}},
         {BlockTime{2 * Frame, 0, 1000}, BlockTime{2 * Frame + 1000, 1000, 1000},
          BlockTime{2 * Frame + 2000, 2000, 1000}, BlockTime{5 * Frame, 3 * Frame, Frame},
          BlockTime{6 * Frame, 4 * Frame, Frame}}},
        {"video B-frames presented before the frame decoded first",
         Frame,
         {{2 * Frame, -Frame}, {0, None}, {Frame, None}},
         {BlockTime{2 * Frame, -Frame, Frame}, BlockTime{0, 0, Frame},
          BlockTime{Frame, Frame, Frame}}},
        {"video without any timestamp is decoded from a frame before 0 and shown from 0",
         Frame,
         {{None, None}, {None, None}},
         {BlockTime{0, -Frame, Frame}, BlockTime{Frame, 0, Frame}}},
        {"video without timestamps shown in the order its pictures give",
         Frame,
         {{None, None, 0, 3}, {None, None, 0, 0}, {None, None, 0, 0}, {None, None, 0, 3}},
         {BlockTime{2 * Frame, -Frame, Frame}, BlockTime{0, 0, Frame},
          BlockTime{Frame, Frame, Frame}, BlockTime{5 * Frame, 2 * Frame, Frame}}},
        {"a stream that steps back goes on from where it was",
         0,
         {{90000, None, Ac3}, {0, None, Ac3}, {Ac3, None, Ac3}},
         {BlockTime{90000, 90000, Ac3}, BlockTime{90000 + Ac3, 90000 + Ac3, Ac3},
          BlockTime{90000 + 2 * Ac3, 90000 + 2 * Ac3, Ac3}}},
        {"a repeated timestamp moves on by a tick",
         0,
         {{100, None, 0}, {100, None, 0}},
         {BlockTime{100, 100, 0}, BlockTime{101, 101, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto times = timed(row.frameTicks, row.frames);
        ASSERT_EQ(times.size(), row.times.size());
        for (size_t i = 0; i < times.size(); ++i) {
            ASSERT_EQ(times[i].has_value(), row.times[i].has_value()) << "frame " << i;
            if (!times[i]) continue;
            EXPECT_TRUE(*times[i] == *row.times[i]) << "frame " << i << ": " << times[i]->pts << " "
                                                    << times[i]->dts << " " << times[i]->duration;
        }
    }
}

} // namespace
} // namespace splitwick::testing
