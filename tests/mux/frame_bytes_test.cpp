// Frames taken out of the bytes held for them: each packet holds its frame whole with zeroed
// padding behind it (which the parsers and filters read), and the bytes after it stay held.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "mux/frame_bytes.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace splitwick::testing {
namespace {

struct Take {
    size_t append, take; // bytes appended in pieces of 7, then the first `take` taken
};

TEST(FrameBytes, TakenFramesAreWholeAndPaddedAndTheRestStays) {
    // Small frames, a frame outgrowing the room made for the one before, a take of all held.
    const std::vector<std::vector<Take>> cases = {
        {{100, 90}, {100, 110}, {50, 50}},
        {{3000, 2990}, {40000, 40000}, {10, 5}},
        {{200000, 199997}, {9, 12}},
    };
    PacketPool pool;
    for (const std::vector<Take>& takes : cases) {
        FrameBytes held(pool);
        std::vector<uint8_t> expected;
        size_t written = 0;
        for (const Take& step : takes) {
            // No byte is zero: one left behind a frame shows in its padding.
            for (size_t done = 0; done < step.append; done += 7) {
                uint8_t piece[7];
                const size_t length = std::min<size_t>(7, step.append - done);
                for (size_t i = 0; i < length; ++i)
                    piece[i] = uint8_t(written++ % 251 + 1);
                held.append(piece, length);
                expected.insert(expected.end(), piece, piece + length);
            }
            AVPacket* frame = held.takeFront(step.take);
            EXPECT_EQ(std::vector<uint8_t>(frame->data, frame->data + frame->size),
                      std::vector<uint8_t>(expected.begin(), expected.begin() + long(step.take)));
            const std::vector<uint8_t> padding(frame->data + frame->size,
                                               frame->data + frame->size +
                                                   AV_INPUT_BUFFER_PADDING_SIZE);
            EXPECT_EQ(std::accumulate(padding.begin(), padding.end(), 0), 0);
            releasePacket(frame);
            expected.erase(expected.begin(), expected.begin() + long(step.take));
            EXPECT_EQ(std::vector<uint8_t>(held.data(), held.data() + held.size()), expected);
        }
    }
}

} // namespace
} // namespace splitwick::testing
