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
#include "parser_runs.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// Whether the sizes alone cut the whole stream.
bool cutBySizesAlone(const Bytes& es, const std::vector<StampedRun>& runs) {
    PacketPool packets;
    DtsFrames frames(NoTimestamp, packets);
    const auto ignore = [](AVPacket* frame, int64_t, int64_t) { releasePacket(frame); };
    for (const StampedRun& run : runs)
        if (!frames.feed(es.data() + run.at, run.length, run.pts, run.dts, ignore)) return false;
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
            const std::vector<ParsedFrame> expected = parsedAlone(AV_CODEC_ID_DTS, es, runs);
            ASSERT_GT(expected.size(), 10u);
            EXPECT_TRUE(cutByCutter(AV_CODEC_ID_DTS, es, runs) == expected);
        }
    }
}

} // namespace
} // namespace splitwick::testing
