// Which packs an encrypted EVO marks: the media packets' PES_scrambling_control, read behind a
// pack header of any pack_stuffing_length.
#include <gtest/gtest.h>

#include "engine/scrambled_packs.h"
#include "support/pes_fixture.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// A 2048-byte pack: pack header (14 bytes + stuffing), then 00 00 01 id, a length, and the byte
// '10' PES_scrambling_control ..., the rest zero.
Bytes pack(uint8_t streamId, uint8_t scrambling, int stuffing = 0) {
    Bytes bytes(2048, 0);
    const uint8_t header[] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0,   0x04,
                              0,    0x04, 0x01, 0x01, 0x89, 0xC3};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    bytes[13] = uint8_t(0xF8 | stuffing);
    size_t s = 14;
    for (int k = 0; k < stuffing; ++k)
        bytes[s++] = 0xFF;
    const uint8_t packet[] = {
        0x00, 0x00, 0x01, streamId, 0x07, 0xEC, uint8_t(0x80 | (scrambling << 4))};
    std::copy(std::begin(packet), std::end(packet), bytes.begin() + long(s));
    return bytes;
}

Bytes cut(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

struct Case {
    const char* what;
    Bytes bytes;
    bool scrambled;
};

TEST(ScrambledPacks, OnlyMarkedMediaPacketsCount) {
    const Case cases[] = {
        {"clear video", pack(0xE0, 0), false},
        {"video marked 01", pack(0xE0, 1), true},
        {"video marked 10", pack(0xE0, 2), true},
        {"video marked 11", pack(0xE0, 3), true},
        {"private stream 1 (audio, subpictures)", pack(0xBD, 1), true},
        {"extended stream (VC-1)", pack(0xFD, 1), true},
        {"MPEG audio", pack(0xC3, 1), true},
        {"behind 7 stuffing bytes", pack(0xE0, 1, 7), true},
        {"clear behind 7 stuffing bytes", pack(0xE0, 0, 7), false},
        // The same bit positions in packets that are never encrypted mean something else.
        {"system header", pack(0xBB, 1), false},
        {"padding", pack(0xBE, 1), false},
        {"navigation", pack(0xBF, 1), false},
        {"cut before the scrambling byte", cut(pack(0xE0, 1), 20), false},
        {"no pack header", Bytes(2048, 0xFF), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(packScrambled(c.bytes), c.scrambled) << c.what;
}

TEST(ScrambledPacks, ReadEvoCountsThemInItsLine) {
    ScrambleTally tally;
    const Bytes chunk = pack(0xBF, 0) + pack(0xE0, 1) + pack(0xBD, 0) + pack(0xBD, 1);
    scanPacks(chunk, tally);
    EXPECT_EQ(tally.scrambled(), 2);
    EXPECT_EQ(tally.line(), "The EVO is encrypted: 2 of 4 packs are scrambled. Decrypt it first; "
                            "its streams cannot be used as they are.");
    // Thousands are grouped, as the log shows large numbers.
    ScrambleTally many;
    for (int k = 0; k < 5678; ++k)
        scanPacks(pack(0xE0, k < 1234 ? 1 : 0), many);
    EXPECT_EQ(many.line().substr(0, 59),
              "The EVO is encrypted: 1,234 of 5,678 packs are scrambled. D");
    ScrambleTally clear;
    scanPacks(pack(0xE0, 0), clear);
    EXPECT_EQ(clear.line(), "");
}

TEST(ScrambledPacks, AWritingJobRefusesTheFirstScrambledPackOfAChunk) {
    EXPECT_NO_THROW(refuseScrambled(pack(0xE0, 0) + pack(0xBD, 0), "A.EVO"));
    try {
        refuseScrambled(pack(0xE0, 0) + pack(0xBD, 1), "/tmp/A.EVO");
        FAIL() << "a scrambled pack was let through";
    } catch (const JobError& e) {
        EXPECT_STREQ(e.what(),
                     "\"/tmp/A.EVO\" is encrypted (its packs are scrambled): decrypt it first");
        EXPECT_EQ(e.kind(), JobErrorKind::Scrambled);
    }
}

} // namespace
} // namespace splitwick::testing
