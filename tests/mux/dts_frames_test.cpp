// DTS cut by its frames' sizes gives what libavcodec's parser gives the same runs, frame for
// frame with the same stamps and lengths: plain DTS and DTS-HD Master Audio, in runs of many
// sizes with stamps on some, clean, and damaged so that the parser takes over midway.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/scan_sink.h"
#include "mux/dts_frames.h"
#include "mux/frame_cutter.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

struct Frame {
    Bytes bytes;
    int64_t pts, dts, samples;
    bool operator==(const Frame&) const = default;
};

struct StampedRun {
    size_t at, length;
    int64_t pts;
};

// Runs of 1 to `most` bytes, each seventh up to 4,000, two in three stamped.
std::vector<StampedRun> runsOf(size_t size, size_t most) {
    std::vector<StampedRun> runs;
    uint32_t random = 12345;
    for (size_t at = 0; at < size;) {
        random = random * 1103515245 + 12345;
        const size_t longest = runs.size() % 7 == 0 ? 4000 : most;
        const size_t length = std::min(size - at, size_t(random >> 8) % longest + 1);
        const int64_t pts = runs.size() % 3 == 2 ? NoTimestamp : int64_t(runs.size()) * 100;
        runs.push_back({at, length, pts});
        at += length;
    }
    return runs;
}

int64_t fromAv(int64_t stamp) {
    return stamp == AV_NOPTS_VALUE ? NoTimestamp : stamp;
}

// The parser alone, searching every byte, as the frame cutter ran it before.
std::vector<Frame> parsed(const Bytes& padded, const std::vector<StampedRun>& runs) {
    AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_DTS);
    AVCodecContext* context = avcodec_alloc_context3(nullptr);
    context->codec_id = AV_CODEC_ID_DTS;
    context->codec_type = AVMEDIA_TYPE_AUDIO;
    std::vector<Frame> frames;
    const auto parse = [&](const uint8_t* data, int length, int64_t pts) {
        for (int calls = 0; calls < 100; ++calls) {
            uint8_t* out = nullptr;
            int outLength = 0;
            const int used =
                av_parser_parse2(parser, context, &out, &outLength, data, length, pts, pts, 0);
            if (outLength > 0)
                frames.push_back({Bytes(out, out + outLength), fromAv(parser->pts),
                                  fromAv(parser->dts), parser->duration});
            data += used;
            length -= used;
            pts = AV_NOPTS_VALUE;
            if (length == 0) return;
        }
    };
    for (const StampedRun& run : runs)
        parse(padded.data() + run.at, int(run.length),
              run.pts == NoTimestamp ? AV_NOPTS_VALUE : run.pts);
    parse(nullptr, 0, AV_NOPTS_VALUE);
    av_parser_close(parser);
    avcodec_free_context(&context);
    return frames;
}

std::vector<Frame> cut(const Bytes& padded, const std::vector<StampedRun>& runs) {
    std::vector<Frame> frames;
    FrameCutter cutter(AV_CODEC_ID_DTS, [&](const CutFrame& frame) {
        frames.push_back({Bytes(frame.packet->data, frame.packet->data + frame.packet->size),
                          frame.pts, frame.dts, frame.samples});
        AVPacket* packet = frame.packet;
        av_packet_free(&packet);
    });
    for (const StampedRun& run : runs) {
        // Each run in a buffer of its own, as the pass's chunks are: nothing is read before it.
        Bytes own(padded.begin() + long(run.at),
                  padded.begin() + long(run.at + run.length + AV_INPUT_BUFFER_PADDING_SIZE));
        cutter.feed(own.data(), run.length, run.pts, run.pts);
    }
    cutter.finish();
    return frames;
}

// Whether the sizes alone cut the whole stream.
bool cutBySizesAlone(const Bytes& es, const std::vector<StampedRun>& runs) {
    DtsFrames frames(NoTimestamp);
    const auto ignore = [](const uint8_t*, size_t, int64_t, int64_t) {};
    for (const StampedRun& run : runs)
        if (!frames.feed(es.data() + run.at, run.length, run.pts, run.pts, ignore)) return false;
    return true;
}

constexpr uint8_t CoreSync[4] = {0x7F, 0xFE, 0x80, 0x01};
constexpr uint8_t SubstreamSync[4] = {0x64, 0x58, 0x20, 0x25};

Bytes::iterator syncAfter(Bytes& es, size_t from, const uint8_t (&sync)[4]) {
    return std::search(es.begin() + long(from), es.end(), sync, sync + 4);
}

TEST(DtsFrames, CutAsTheParserCutsCleanAndDamagedStreams) {
    const struct {
        const char* what;
        Encoded input;
        std::function<void(Bytes&)> damage;
        bool bySizesAlone;
    } rows[] = {
        {"plain DTS", Encoded::Dts, [](Bytes&) {}, true},
        {"DTS-HD MA", Encoded::DtsHdMa, [](Bytes&) {}, true},
        {"a core's FSIZE changed", Encoded::Dts,
         [](Bytes& es) { syncAfter(es, 30000, CoreSync)[6] ^= 0x10; }, false},
        {"a substream's size changed", Encoded::DtsHdMa,
         [](Bytes& es) { syncAfter(es, 30000, SubstreamSync)[7] ^= 0x04; }, false},
        {"begins mid-frame", Encoded::DtsHdMa,
         [](Bytes& es) { es.erase(es.begin(), es.begin() + 1000); }, false},
        {"bytes between frames", Encoded::Dts,
         [](Bytes& es) {
             es.insert(syncAfter(es, 40000, CoreSync), {0, 0, 0x7F, 0xFE});
         },
         false},
        {"a truncated last frame", Encoded::DtsHdMa, [](Bytes& es) { es.resize(es.size() - 700); },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Bytes es = readBytes(encoded(row.input).es);
        row.damage(es);
        const size_t size = es.size();
        es.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
        // Runs of a pack's payload, give or take, and runs shorter than a sync word.
        for (const size_t most : {600, 7}) {
            const std::vector<StampedRun> runs = runsOf(size, most);
            EXPECT_EQ(cutBySizesAlone(es, runs), row.bySizesAlone);
            const std::vector<Frame> expected = parsed(es, runs);
            ASSERT_GT(expected.size(), 10u);
            EXPECT_TRUE(cut(es, runs) == expected);
        }
    }
}

} // namespace
} // namespace splitwick::testing
