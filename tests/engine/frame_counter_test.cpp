#include <gtest/gtest.h>

#include <vector>

#include "engine/frame_counter.h"

namespace splitwick {
namespace {

int32_t count(const std::vector<uint8_t>& bytes, VideoCodec codec) {
    return countFrames(bytes.data(), bytes.size(), codec);
}

TEST(FrameCounter, CountsEachCodecsOwnStartCode) {
    const std::vector<uint8_t> run = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x09,
                                      0x00, 0x00, 0x01, 0x0D, 0x00, 0x00, 0x01, 0xB3};
    EXPECT_EQ(count(run, VideoCodec::Mpeg2), 1);
    EXPECT_EQ(count(run, VideoCodec::H264), 1);
    EXPECT_EQ(count(run, VideoCodec::Vc1), 1);
}

TEST(FrameCounter, OverlappingCodesCountAndCodesCutByTheRunsEdgeDoNot) {
    EXPECT_EQ(count({0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00}, VideoCodec::Mpeg2), 2);
    EXPECT_EQ(count({0x55, 0x00, 0x00, 0x01}, VideoCodec::Mpeg2), 0);
    EXPECT_EQ(count({0x00, 0x01, 0x00}, VideoCodec::Mpeg2), 0);
    EXPECT_EQ(count({}, VideoCodec::Mpeg2), 0);
}

} // namespace
} // namespace splitwick
