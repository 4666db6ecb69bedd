#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/frame_counter.h"

namespace splitwick {
namespace {

int64_t count(const std::vector<uint8_t>& bytes, VideoCodec codec) {
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

// The window of four bytes, byte by byte: what the counter must agree with.
int64_t countByWindow(const std::vector<uint8_t>& run, uint8_t last) {
    uint32_t window = 0;
    int64_t count = 0;
    for (size_t i = 0; i < run.size(); ++i) {
        window = window << 8 | run[i];
        count += i >= 3 && window == (0x00000100u | last);
    }
    return count;
}

TEST(FrameCounter, AgreesWithAByteWindowOverRunsOfEveryLengthAndPlace) {
    // Start codes at every place, blocks of 32 bytes and the tail behind them included; zeros
    // and 0x01 far more often than in coded video.
    std::mt19937 random(7);
    for (size_t length = 0; length < 300; ++length) {
        std::vector<uint8_t> run(length);
        for (uint8_t& b : run) {
            const uint32_t r = random() % 8;
            b = r < 3 ? 0x00 : r < 5 ? 0x01 : r == 5 ? 0x09 : uint8_t(random());
        }
        ASSERT_EQ(count(run, VideoCodec::Mpeg2), countByWindow(run, 0x00)) << length;
        ASSERT_EQ(count(run, VideoCodec::H264), countByWindow(run, 0x09)) << length;
    }
}

TEST(PacketFrameCounter, CodeCutBetweenRunsOfOnePacketCountsOnceButNotBetweenPackets) {
    // 42 00 | 00 01 | 00 42: one picture start code, cut twice.
    const std::vector<std::vector<uint8_t>> runs = {{0x42, 0x00}, {0x00, 0x01}, {0x00, 0x42}};
    for (bool samePacket : {true, false}) {
        PacketFrameCounter counter;
        int64_t frames = 0;
        for (size_t i = 0; i < runs.size(); ++i)
            frames += counter.count(runs[i].data(), runs[i].size(), VideoCodec::Mpeg2,
                                    i > 0 && samePacket);
        EXPECT_EQ(frames, samePacket ? 1 : 0);
    }
    // A run that went by uncounted leaves nothing to join.
    PacketFrameCounter counter;
    counter.count(runs[0].data(), 2, VideoCodec::Mpeg2, false);
    counter.forget();
    EXPECT_EQ(
        counter.count(std::vector<uint8_t>{0x00, 0x01, 0x00}.data(), 3, VideoCodec::Mpeg2, true),
        0);
}

} // namespace
} // namespace splitwick
