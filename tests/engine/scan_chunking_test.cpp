// The scanner and the stream writer report the same events, frame counts and outputs however
// the reads cut the file: whole, byte by byte, 2047 bytes at a time or in random pieces.
#include <gtest/gtest.h>

#include <random>

#include "evo_maker/evo_maker.h"
#include "support/pes_fixture.h"
#include "support/scan_record.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using maker::Codec;

void expectSameInEveryPieces(const Bytes& input) {
    TempFolder outputs;
    for (bool demuxMode : {false, true}) {
        SCOPED_TRACE(demuxMode ? "demux mode" : "check mode");
        const ScanRecord whole =
            scanInPieces(input, pieceSizes(Pieces::Whole, input.size()), demuxMode, outputs.path());
        for (auto [pieces, seed] : {std::pair{Pieces::OneByte, 1u},
                                    {Pieces::Odd2047, 1u},
                                    {Pieces::Random, 1u},
                                    {Pieces::Random, 2u}}) {
            SCOPED_TRACE("pieces " + std::to_string(int(pieces)) + ", seed " +
                         std::to_string(seed));
            const ScanRecord cut = scanInPieces(input, pieceSizes(pieces, input.size(), seed),
                                                demuxMode, outputs.path());
            EXPECT_EQ(firstDifference(whole, cut), "");
        }
    }
}

TEST(ScanChunking, MadeFilesOfEveryCodecWithTrapsOrDamage) {
    maker::Recipe recipe;
    recipe.streams = {
        {Codec::Mpeg2, 0xE0, 6},      {Codec::H264, 0xE3, 4},
        {Codec::Vc1, 0x55, 4},        {Codec::DD, 0x81, 1},
        {Codec::DDPlus, 0xC2, 1},     {Codec::DtsHd, 0x8A, 1},
        {Codec::Lpcm, 0xA0, 1},       {Codec::Mlp, 0xB1, 1},
        {Codec::Subpicture, 0x22, 1}, {Codec::ExtSubpicture, 0x63, 1},
        {Codec::MpegAudio, 0xC1, 1},  {Codec::UnknownSubStream, 0x92, 1},
    };
    recipe.size = 1048576;
    recipe.varyHeaders = true;
    recipe.garbageEvery = 3;
    recipe.truncateLastPack = 1000;
    TempFolder folder;
    // Start-code patterns in payloads and skipped packets.
    recipe.startCodeTraps = true;
    maker::makeEvo(recipe, folder / "TRAPS.EVO");
    expectSameInEveryPieces(readBytes(folder / "TRAPS.EVO"));
    // Packets that claim no length, and a stream the scanner reads as bytes between packets.
    recipe.startCodeTraps = false;
    recipe.zeroLengthEvery = 11;
    recipe.streams.push_back({Codec::UnknownStream, 0xE5, 1});
    maker::makeEvo(recipe, folder / "DAMAGED.EVO");
    expectSameInEveryPieces(readBytes(folder / "DAMAGED.EVO"));
}

// Zeros, 0x01 and stream ids far more often than in a real file, so that start codes begin and
// end everywhere.
uint8_t likelyByte(std::mt19937& random) {
    static const uint8_t Ids[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xFD, 0xBD, 0xBE, 0xBF,
                                  0xBC, 0xC0, 0x80, 0x20, 0x55, 0xA0, 0xB0};
    const uint32_t r = random() % 16;
    return r < 6 ? 0x00 : r < 9 ? 0x01 : r < 12 ? Ids[random() % sizeof Ids] : uint8_t(random());
}

Bytes likelyBytes(std::mt19937& random, size_t count) {
    Bytes bytes(count);
    for (uint8_t& b : bytes)
        b = likelyByte(random);
    return bytes;
}

TEST(ScanChunking, NoiseRichInStartCodes) {
    std::mt19937 random(11);
    expectSameInEveryPieces(likelyBytes(random, 300000));
}

TEST(ScanChunking, PacketsOfRandomHeadersPayloadsAndLengths) {
    // Packets of every kind whose header fields, payloads and lengths are drawn from bytes rich
    // in start codes; a length may be a little off, and bytes may lie between packets.
    static const uint8_t Ids[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xFD, 0xBD, 0xBD, 0xBD, 0xBE, 0xC0};
    static const uint8_t Flags[] = {0x00, 0x80, 0xC0, 0x01, 0x81, 0xC1};
    std::mt19937 random(5);
    Bytes input;
    while (input.size() < 400000) {
        const uint8_t id = Ids[random() % sizeof Ids];
        const Bytes header = likelyBytes(random, random() % 12);
        const Bytes payload = likelyBytes(random, random() % 400);
        const int length = int(3 + header.size() + payload.size()) + int(random() % 5) - 2;
        input = input + pes(id, Flags[random() % sizeof Flags], header, payload, length) +
                likelyBytes(random, random() % 3);
    }
    expectSameInEveryPieces(input);
}

TEST(ScanChunking, FrameStartCodeCutByAReadIsCountedOnce) {
    // An MPEG-2 video packet whose payload holds 00 00 01 00 at every place a read may cut it.
    Bytes payload(64, 0x42);
    for (size_t at : {0u, 9u, 18u, 27u, 36u, 45u})
        payload[at] = 0x00, payload[at + 1] = 0x00, payload[at + 2] = 0x01, payload[at + 3] = 0x00;
    expectSameInEveryPieces(pes(0xE0, 0x00, {}, payload));
}

} // namespace
} // namespace splitwick::testing
