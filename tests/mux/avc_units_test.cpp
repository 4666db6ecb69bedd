// H.264 converted to length-prefixed units here is what libavformat's Matroska muxer makes of
// the start-code stream itself: the same decoder record and, frame for frame, the same bytes;
// and the muxer's rules for where a unit begins and ends hold on frames built for them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/scan_sink.h"
#include "mux/avc_units.h"
#include "mux/frame_cutter.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

extern "C" {
#include <libavutil/md5.h>
}

namespace splitwick::testing {
namespace {

std::string hex(const uint8_t* data, size_t size) {
    std::string text;
    char two[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(two, sizeof two, "%02x", data[i]);
        text += two;
    }
    return text;
}

std::string md5Of(const AVPacket& packet) {
    uint8_t sum[16];
    av_md5_sum(sum, packet.data, packet.size);
    return hex(sum, sizeof sum);
}

TEST(AvcUnits, RecordAndFramesAreTheMuxersOwn) {
    for (const Encoded input : {Encoded::H264At24000_1001, Encoded::H264At25}) {
        TempFolder folder;
        // Its frames stamped by their number: the raw stream gives B-frames none.
        const std::string mkv = folder / "muxed.mkv";
        runCommand("ffmpeg -nostdin -v error " + elementary("h264", input) +
                   " -c copy -bsf:v setts=pts=N:dts=N -f matroska " + inQuotes(mkv));
        const std::string record = runCommand(
            "mkvmerge -J " + inQuotes(mkv) +
            " | sed -n 's/.*\"codec_private_data\": \"\\([0-9a-f]*\\)\".*/\\1/p' | tr -d '\\n'");

        AvcUnits units;
        std::vector<std::string> frames;
        FrameCutter cutter(AV_CODEC_ID_H264, [&](const CutFrame& frame) {
            AVPacket* converted = units.lengthPrefixed(*frame.packet);
            frames.push_back(md5Of(*converted));
            releasePacket(converted);
            AVPacket* packet = frame.packet;
            av_packet_free(&packet);
        });
        Bytes es = readBytes(encoded(input).es);
        const size_t size = es.size();
        es.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
        for (size_t at = 0; at < size; at += 2000)
            cutter.feed(es.data() + at, std::min<size_t>(2000, size - at), NoTimestamp,
                        NoTimestamp);
        cutter.finish();

        const std::vector<uint8_t>& extradata = cutter.parameters().extradata;
        const std::vector<uint8_t> ours =
            AvcUnits::configuration(extradata.data(), extradata.size());
        ASSERT_FALSE(ours.empty());
        EXPECT_EQ(hex(ours.data(), ours.size()), record);
        EXPECT_EQ(frames, frameHashes("-i " + inQuotes(mkv) + " -map 0:v", "-c copy"));
    }
}

TEST(AvcUnits, UnitsBeginAndEndAsTheMuxerCutsThem) {
    const struct {
        const char* what;
        Bytes frame, units;
    } rows[] = {
        {"three- and four-byte start codes",
         {0, 0, 0, 1, 9, 0xF0, 0, 0, 1, 0x65, 0x88},
         {0, 0, 0, 2, 9, 0xF0, 0, 0, 0, 2, 0x65, 0x88}},
        {"bytes before the first start code are dropped",
         {7, 7, 0, 0, 1, 9, 0x10},
         {0, 0, 0, 2, 9, 0x10}},
        {"zeros behind a unit stay with it but for the start code's own",
         {0, 0, 1, 0x41, 0x9A, 0, 0, 0, 0, 0, 1, 0x41},
         {0, 0, 0, 4, 0x41, 0x9A, 0, 0, 0, 0, 0, 1, 0x41}},
        {"a start code at the very end ends the unit and begins none",
         {0, 0, 1, 0x41, 0x9A, 0, 0, 1},
         {0, 0, 0, 2, 0x41, 0x9A}},
        {"no start code: no unit", {0x41, 0x9A, 0x11, 0x22}, {}},
    };
    AvcUnits units;
    PacketPool pool;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        AVPacket* frame = pool.packetOf(row.frame.data(), row.frame.size());
        AVPacket* converted = units.lengthPrefixed(*frame);
        EXPECT_EQ(Bytes(converted->data, converted->data + converted->size), row.units);
        releasePacket(converted);
        releasePacket(frame);
    }
}

// Set-ups the muxer would refuse, or take as they are, are left to it (empty); High profile
// records tell the SPS's chroma format and bit depths, read past emulation prevention bytes.
TEST(AvcUnits, RecordsOfSetups) {
    const Bytes pps = {0, 0, 0, 1, 0x68, 0xEE, 0x3C, 0x80};
    const auto setup = [&](Bytes sps) {
        sps.insert(sps.begin(), {0, 0, 0, 1});
        sps.insert(sps.end(), pps.begin(), pps.end());
        return sps;
    };
    const Bytes ppsRecord = {1, 0, 4, 0x68, 0xEE, 0x3C, 0x80};
    const auto record = [&](Bytes head, Bytes sps, Bytes tail) {
        head.push_back(0);
        head.push_back(uint8_t(sps.size()));
        head.insert(head.end(), sps.begin(), sps.end());
        head.insert(head.end(), ppsRecord.begin(), ppsRecord.end());
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    // ue(v) 0, 2, 2, 2: the SPS's id, 4:2:2, 10-bit luma and chroma.
    const Bytes high422 = {0x67, 0x64, 0x00, 0x1F, 0xB6, 0xC0};
    const Bytes main = {0x67, 0x4D, 0x40, 0x1E, 0xEC, 0xA0};
    const Bytes escaped = {0x67, 0x64, 0x00, 0x00, 0x03, 0xB6, 0xC0};
    const struct {
        const char* what;
        Bytes setup, record;
    } rows[] = {
        {"High 4:2:2 10-bit", setup(high422),
         record({1, 0x64, 0x00, 0x1F, 0xFF, 0xE1}, high422, {0xFE, 0xFA, 0xFA, 0})},
        {"Main: no chroma fields", setup(main),
         record({1, 0x4D, 0x40, 0x1E, 0xFF, 0xE1}, main, {})},
        {"an emulation prevention byte before the fields", setup(escaped),
         record({1, 0x64, 0x00, 0x00, 0xFF, 0xE1}, escaped, {0xFE, 0xFA, 0xFA, 0})},
        {"no PPS", Bytes{0, 0, 0, 1, 0x67, 0x64, 0x00, 0x1F, 0xB6, 0xC0}, {}},
        {"not beginning with a start code",
         [&] {
             Bytes late = setup(high422);
             late.insert(late.begin(), {0x09, 0x10});
             return late;
         }(),
         {}},
        {"a chroma format past 4:4:4", setup({0x67, 0x64, 0x00, 0x1F, 0x84, 0x00}), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(AvcUnits::configuration(row.setup.data(), row.setup.size()), row.record);
    }
}

} // namespace
} // namespace splitwick::testing
