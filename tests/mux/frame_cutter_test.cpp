// Elementary streams that ffmpeg encoded, cut into frames from runs split anywhere: the frames
// ffprobe counts, every byte once, each packet's timestamp on the frame that begins in it, and
// the stream's setup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "engine/scan_sink.h"
#include "mux/frame_cutter.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr size_t RunsAPacket = 3; // the runs of one packet, the first with its timestamps

int64_t framesProbed(const char* format, Encoded input) {
    return std::stoll(runCommand("ffprobe -v error -count_packets -show_entries "
                                 "stream=nb_read_packets -of csv=p=0 " +
                                 elementary(format, input)));
}

// Runs of a pack's payload, give or take, and the whole stream in one run (on which the
// TrueHD parser, taking no byte as it found its first sync, once cut nothing).
TEST(FrameCutter, CutsEveryCodecAsFfprobeDoes) {
    const struct {
        Encoded input;
        AVCodecID codec;
        const char* format;
        bool video;
    } rows[] = {
        {Encoded::H264At24000_1001, AV_CODEC_ID_H264, "h264", true},
        {Encoded::Mpeg2At25, AV_CODEC_ID_MPEG2VIDEO, "mpegvideo", true},
        {Encoded::Ac3, AV_CODEC_ID_AC3, "ac3", false},
        {Encoded::Eac3, AV_CODEC_ID_EAC3, "eac3", false},
        {Encoded::Dts, AV_CODEC_ID_DTS, "dts", false},
        {Encoded::TrueHd, AV_CODEC_ID_TRUEHD, "truehd", false},
    };
    for (const auto& row : rows)
        for (const size_t RunBytes : {size_t(2021), size_t(1) << 30}) {
            SCOPED_TRACE(std::string(row.format) + " in runs of " + std::to_string(RunBytes));
            const Bytes es = readBytes(encoded(row.input).es);
            int64_t frames = 0;
            size_t bytes = 0;
            std::set<int64_t> stampsIn, stampsOut;
            FrameCutter cutter(row.codec, [&](const CutFrame& frame) {
                ++frames;
                bytes += size_t(frame.packet->size);
                if (frame.pts != NoTimestamp) stampsOut.insert(frame.pts);
                EXPECT_EQ(frame.samples > 0, !row.video);
                AVPacket* packet = frame.packet;
                av_packet_free(&packet);
            });
            // The parsers read a little past what they are given, as the pass's buffers allow.
            Bytes padded = es;
            padded.resize(es.size() + AV_INPUT_BUFFER_PADDING_SIZE);
            for (size_t at = 0, run = 0; at < es.size(); at += RunBytes, ++run) {
                const bool first = run % RunsAPacket == 0;
                const int64_t pts = first ? int64_t(run) * 1000 : NoTimestamp;
                if (first) stampsIn.insert(pts);
                cutter.feed(padded.data() + at, std::min(RunBytes, es.size() - at), pts, pts);
            }
            cutter.finish();
            EXPECT_EQ(frames, framesProbed(row.format, row.input));
            EXPECT_EQ(bytes, es.size());
            // Each stamp goes to one frame at most; a packet in which no frame begins gives none.
            EXPECT_TRUE(std::includes(stampsIn.begin(), stampsIn.end(), stampsOut.begin(),
                                      stampsOut.end()));
            EXPECT_TRUE(stampsOut.count(0));
            ASSERT_TRUE(cutter.ready());
            const StreamParameters& found = cutter.parameters();
            if (row.video) {
                EXPECT_EQ(found.width, 640);
                EXPECT_EQ(found.height, 360);
                EXPECT_FALSE(found.extradata.empty());
            } else {
                EXPECT_EQ(found.sampleRate, 48000);
                EXPECT_EQ(found.channels, 2);
            }
        }
}

// An end-of-sequence code behind the last picture goes with it, not into a frame of its own (a
// VC-1 stream of 335 pictures gave 336 blocks): the frames are the pictures ffmpeg decodes,
// every byte once.
TEST(FrameCutterRegression, EndOfSequenceStaysWithTheLastPicture) {
    const Bytes mpeg2End = {0, 0, 1, 0xB7};
    const Bytes h264End = {0, 0, 1, 0x0A, 0, 0, 1, 0x0B};
    const struct {
        const char* name;
        AVCodecID codec;
        Bytes es;
        const char* format;
        Bytes end;
    } rows[] = {
        {"VC-1",
         AV_CODEC_ID_VC1,
         readBytes(SPLITWICK_TEST_DATA "/vc1_ends_sequence.vc1"),
         "vc1",
         {0, 0, 1, 0x0A}},
        {"MPEG-2", AV_CODEC_ID_MPEG2VIDEO, readBytes(encoded(Encoded::Mpeg2At25).es), "mpegvideo",
         mpeg2End},
        {"H.264", AV_CODEC_ID_H264, readBytes(encoded(Encoded::H264At24000_1001).es), "h264",
         h264End},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes es = row.es;
        if (!std::equal(row.end.rbegin(), row.end.rend(), es.rbegin()))
            es.insert(es.end(), row.end.begin(), row.end.end());
        const TempFolder dir;
        writeBytes(dir / "stream", es);
        const size_t pictures =
            outputLines("ffmpeg -nostdin -v error -f " + std::string(row.format) + " -i " +
                        inQuotes(dir / "stream") + " -f framemd5 - | grep -v '^#'")
                .size();
        std::vector<Bytes> frames;
        FrameCutter cutter(row.codec, [&](const CutFrame& frame) {
            frames.emplace_back(frame.packet->data, frame.packet->data + frame.packet->size);
            AVPacket* packet = frame.packet;
            av_packet_free(&packet);
        });
        // The parsers read a little past what they are given, as libavcodec allows.
        Bytes padded = es;
        padded.resize(es.size() + AV_INPUT_BUFFER_PADDING_SIZE);
        for (size_t at = 0; at < es.size(); at += 2021)
            cutter.feed(padded.data() + at, std::min<size_t>(2021, es.size() - at), NoTimestamp,
                        NoTimestamp);
        cutter.finish();
        EXPECT_EQ(frames.size(), pictures);
        Bytes joined;
        for (const Bytes& frame : frames)
            joined.insert(joined.end(), frame.begin(), frame.end());
        EXPECT_TRUE(joined == es);
    }
}

} // namespace
} // namespace splitwick::testing
