// MPEG-2 video cut by its start codes gives what libavcodec's parser gives the same runs, frame
// for frame with the same stamps: ffmpeg's streams whole and damaged, and streams made of start
// codes in any order (field pictures, sequence ends, codes split over runs), in runs of many sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/scan_sink.h"
#include "parser_runs.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using Cut = std::vector<ParsedFrame> (*)(const Bytes&, const std::vector<StampedRun>&);

std::vector<ParsedFrame> cutByFrameCutter(const Bytes& padded,
                                          const std::vector<StampedRun>& runs) {
    return cutByCutter(AV_CODEC_ID_MPEG2VIDEO, padded, runs);
}

void expectCutAsTheParserCuts(Bytes es, uint32_t seed, Cut cut) {
    const size_t size = es.size();
    es.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    // Runs of a pack's payload, give or take, and runs shorter than a start code.
    for (const size_t most : {2000, 5}) {
        const std::vector<StampedRun> runs = runsOf(size, most, seed);
        const std::vector<ParsedFrame> expected = parsedAlone(AV_CODEC_ID_MPEG2VIDEO, es, runs);
        const std::vector<ParsedFrame> got = cut(es, runs);
        ASSERT_EQ(got.size(), expected.size()) << "runs up to " << most;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_TRUE(got[i] == expected[i])
                << "frame " << i << " of " << got.size() << ", runs up to " << most << ": "
                << got[i].bytes.size() << " bytes at " << got[i].pts << "/" << got[i].dts
                << ", the parser's " << expected[i].bytes.size() << " at " << expected[i].pts << "/"
                << expected[i].dts;
    }
}

TEST(Mpeg2Frames, CutAsTheParserCutsEncodedStreams) {
    const struct {
        const char* what;
        Encoded input;
        std::function<void(Bytes&)> damage;
    } rows[] = {
        {"whole", Encoded::Mpeg2At25, [](Bytes&) {}},
        {"long", Encoded::Mpeg2Long, [](Bytes&) {}},
        {"begins mid-picture", Encoded::Mpeg2At25,
         [](Bytes& es) { es.erase(es.begin(), es.begin() + 5001); }},
        {"a byte in nine hundred flipped", Encoded::Mpeg2At25,
         [](Bytes& es) {
             for (size_t at = 17; at < es.size(); at += 900)
                 es[at] ^= uint8_t(1 << (at % 8));
         }},
        {"ends with a sequence end code", Encoded::Mpeg2At25,
         [](Bytes& es) {
             es.insert(es.end(), {0, 0, 1, 0xB7});
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        expectCutAsTheParserCuts(readBytes(encoded(row.input).es), 12345, cutByFrameCutter);
    }
}

// A stream of start codes in any order with bytes between them: sequence headers and their
// extensions, groups, pictures with picture coding extensions of every picture structure,
// slices, sequence end codes, user data; zeros and prefixes among the bytes between.
Bytes madeOfStartCodes(uint32_t seed) {
    uint32_t random = seed;
    const auto next = [&random](uint32_t below) {
        random = random * 1103515245 + 12345;
        return (random >> 8) % below;
    };
    const uint8_t codes[] = {0x00, 0x00, 0x01, 0x01, 0x02, 0xAF, 0xB2, 0xB3,
                             0xB5, 0xB5, 0xB5, 0xB7, 0xB8, 0xB0, 0xFF};
    // Some begin with the end of a prefix, which the parser joins to nothing before the stream.
    const Bytes starts[] = {{}, {1}, {0, 1}, {0, 0, 1}, {1, 0xB7}};
    Bytes es = starts[seed % 5];
    while (es.size() < 60000) {
        const uint8_t code = codes[next(sizeof codes)];
        es.insert(es.end(), {0, 0, 1, code});
        if (code == 0xB5) {
            // A picture coding extension (its picture structure in the third byte) or another.
            es.push_back(next(3) == 0 ? uint8_t(0x10 * next(16)) : 0x8F);
            es.insert(es.end(), {uint8_t(next(256)), uint8_t(0xFC | next(4))});
        }
        for (uint32_t n = next(40); n > 0; --n) {
            const uint32_t kind = next(10);
            es.push_back(kind < 3 ? 0 : kind == 3 ? 1 : uint8_t(next(256)));
        }
    }
    return es;
}

TEST(Mpeg2Frames, CutAsTheParserCutsAnyOrderOfStartCodes) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        expectCutAsTheParserCuts(madeOfStartCodes(seed), seed, cutByStartCodes);
    }
}

// Damage that hides a frame's end for 20 MiB does not make the cutter hold the rest of the title:
// it lets go of the bytes past 16 MiB, and the frames after come out whole.
TEST(Mpeg2Frames, AFrameWhoseEndDamageHidLetsGoOfWhatItHeld) {
    // A picture and its first slice, then no start code for 20 MiB, then the next picture.
    const Bytes last = {0, 0, 1, 0x00, 0x00, 0x0F, 0, 0, 1, 0x01, 0x22, 0x33};
    const size_t size = 20 * 1024 * 1024 + last.size();
    Bytes es(size + AV_INPUT_BUFFER_PADDING_SIZE, 0xFF);
    std::copy(last.begin(), last.end(), es.begin());
    std::copy(last.begin(), last.end(), es.begin() + long(size - last.size()));
    std::vector<StampedRun> runs;
    for (size_t at = 0; at < size; at += 2048)
        runs.push_back({at, std::min<size_t>(2048, size - at), NoTimestamp, NoTimestamp});
    const std::vector<ParsedFrame> frames = cutByStartCodes(es, runs);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_LE(frames[0].bytes.size(), 16u * 1024 * 1024 + 2048);
    EXPECT_EQ(frames[1].bytes, last);
}

} // namespace
} // namespace splitwick::testing
