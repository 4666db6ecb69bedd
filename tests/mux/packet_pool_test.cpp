// A packet let go of and made again is as a fresh one: the frame's bytes, no
// stamps, flags, side data or reference of the frame it held before.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "mux/packet_pool.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace splitwick::testing {
namespace {

TEST(PacketPool, APacketMadeAgainHoldsNothingOfTheFrameBefore) {
    PacketPool pool;
    const std::vector<uint8_t> first(5000, 0xAB), second = {1, 2, 3};
    AVPacket* packet = pool.packetOf(first.data(), first.size());
    packet->pts = packet->dts = 9000;
    packet->duration = 3003;
    packet->stream_index = 2;
    packet->flags = AV_PKT_FLAG_KEY;
    ASSERT_NE(av_packet_new_side_data(packet, AV_PKT_DATA_NEW_EXTRADATA, 16), nullptr);
    AVBufferRef* kept = av_buffer_ref(packet->buf);
    releasePacket(packet);
    EXPECT_EQ(packet, nullptr);
    // The muxer's reference alone holds the frame's buffer now.
    EXPECT_EQ(av_buffer_get_ref_count(kept), 1);
    av_buffer_unref(&kept);

    AVPacket* again = pool.packetOf(second.data(), second.size());
    EXPECT_EQ(std::vector<uint8_t>(again->data, again->data + again->size), second);
    EXPECT_EQ(again->pts, AV_NOPTS_VALUE);
    EXPECT_EQ(again->dts, AV_NOPTS_VALUE);
    EXPECT_EQ(again->duration, 0);
    EXPECT_EQ(again->stream_index, 0);
    EXPECT_EQ(again->flags, 0);
    EXPECT_EQ(again->side_data_elems, 0);
    releasePacket(again);
}

} // namespace
} // namespace splitwick::testing
