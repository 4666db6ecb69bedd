// What the rebuild does to each pack: which it leaves out, how it renumbers the streams it keeps,
// and the bounds it writes into system headers. Files of single-stream packs, read by Read EVO.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "made_packs.h"
#include "rebuild_flow.h"

namespace splitwick::testing {
namespace {

const TrackName Video0{TrackKind::Video, 0};
const TrackName Audio00{TrackKind::Audio, 0};

class RebuildPacks : public ::testing::Test {
  protected:
    // Writes the packs as A.EVO, chooses and reads it.
    void readPacks(const Packs& packs) {
        writePacks(source, packs);
        s.read(source);
    }
    Bytes rebuilt() {
        s.rebuildInto(work.path());
        return readBytes(work / "A.rebuilt.EVO");
    }

    TempFolder work;
    const std::string source = work / "A.EVO";
    RebuildSession s;
};

TEST_F(RebuildPacks, RenumbersEachKindFromZeroInOrderOfFirstAppearance) {
    readPacks({subStreamPack(0xC2), streamPack(0xE1), subStreamPack(0x25), subStreamPack(0xC2),
               extendedPack(0x56), subStreamPack(0x21)});
    // One video counter serves the stream_ids and the VC-1 extensions.
    EXPECT_EQ(rebuilt(), joined({subStreamPack(0xC0), streamPack(0xE0), subStreamPack(0x20),
                                 subStreamPack(0xC0), extendedPack(0x56), subStreamPack(0x21)}));
}

TEST_F(RebuildPacks, OneAudioCounterServesEveryAudioCodec) {
    readPacks({subStreamPack(0x89), subStreamPack(0xC0), streamPack(0xD3), subStreamPack(0x89)});
    EXPECT_EQ(rebuilt(), joined({subStreamPack(0x88), subStreamPack(0xC1), streamPack(0xD2),
                                 subStreamPack(0x88)}));
}

TEST_F(RebuildPacks, OfTwoDdPlusStreamsOnlyTheTickedIsKeptAsTheFirst) {
    readPacks({subStreamPack(0xC0), subStreamPack(0xC1), subStreamPack(0xC0)});
    s.tick(Audio00, false);
    EXPECT_EQ(rebuilt(), joined({subStreamPack(0xC0)}));
}

TEST_F(RebuildPacks, KeptDdLpcmMlpAndExtendedSubpicturesStayStreamsOfTheirKind) {
    // Once written as 0xFF: a kept DD, LPCM or MLP track lost its identity.
    readPacks({subStreamPack(0xA0), subStreamPack(0x83), subStreamPack(0xC9), subStreamPack(0xB1),
               subStreamPack(0x30), subStreamPack(0x60)});
    EXPECT_EQ(rebuilt(), joined({subStreamPack(0xA0), subStreamPack(0x81), subStreamPack(0xC2),
                                 subStreamPack(0xB3), subStreamPack(0x20), subStreamPack(0x61)}));
}

TEST_F(RebuildPacks, UntickedDdLpcmAndMlpStreamsAreLeftOut) {
    readPacks({subStreamPack(0x80), subStreamPack(0xA1), subStreamPack(0xB2), subStreamPack(0xC3)});
    s.tick(Audio00, false);
    s.tick({TrackKind::Audio, 1}, false);
    s.tick({TrackKind::Audio, 2}, false);
    EXPECT_EQ(rebuilt(), joined({subStreamPack(0xC0)}));
}

TEST_F(RebuildPacks, IdentifiersOfNoKnownCodecBecome0xFF) {
    // A sub-stream id of no codec, and a VC-1 extension beyond 0x56.
    const Packs packs = {subStreamPack(0x50), extendedPack(0x57)};
    readPacks(packs);
    EXPECT_EQ(rebuilt(), joined({withByte(packs[0], SubStreamIdAt, 0xFF),
                                 withByte(packs[1], ExtensionAt, 0xFF)}));
}

TEST_F(RebuildPacks, NoBoxTickedLeavesOutEveryRecordedStreamAndZeroesTheBounds) {
    const Bytes header = systemHeaderPack(1, 4);
    readPacks({header, streamPack(0xE0), subStreamPack(0xC0), subStreamPack(0x89),
               subStreamPack(0x20), extendedPack(0x56), subStreamPack(0x83)});
    s.tickAll(false);
    // VC-1 0x56 shares entry 2 with nothing here, so it is recorded and left out too.
    EXPECT_EQ(rebuilt(), joined({systemHeaderPack(0, 0)}));
}

TEST_F(RebuildPacks, SystemHeaderBoundsCountTheTickedBoxes) {
    readPacks({systemHeaderPack(1, 1), streamPack(0xE0), subStreamPack(0xC0)});
    // Ticked boxes count, enabled or not, whether their stream is covered or not.
    s.tick({TrackKind::Video, 1}, true);
    s.tick({TrackKind::Audio, 7}, true);
    s.tick({TrackKind::Audio, 15}, true);
    s.tick({TrackKind::Subpicture, 0}, true);
    const Bytes out = rebuilt();
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 2048), systemHeaderPack(2, 3));
}

TEST_F(RebuildPacks, WithoutAReadNothingIsLeftOut) {
    const Packs packs = {streamPack(0xE1), subStreamPack(0xC3), subStreamPack(0x2A)};
    writePacks(source, packs);
    s.choose(source);
    EXPECT_EQ(rebuilt(), joined({streamPack(0xE0), subStreamPack(0xC0), subStreamPack(0x20)}));
}

// After Read XPL the ticks of the boxes it labelled decide, as after Read EVO: a stream the
// title names but the user unticked, or one it does not name, is left out.
TEST_F(RebuildPacks, AfterReadXplTheTitlesTickedStreamsAreKept) {
    writePacks(source, {streamPack(0xE1), subStreamPack(0xC3), subStreamPack(0x2A)});
    s.choose(source);
    s.relabel(
        {{{TrackKind::Video, 1}, "MPEG-2.stream.1"}, {{TrackKind::Audio, 3}, "DD+.stream.03"}});
    s.tick({TrackKind::Video, 1}, true);
    EXPECT_EQ(rebuilt(), joined({streamPack(0xE0)}));
}

TEST_F(RebuildPacks, PackWithoutPackStartCodeIsNotWritten) {
    readPacks({streamPack(0xE0), withByte(streamPack(0xE0), 3, 0xB9),
               withByte(subStreamPack(0xC0), 0, 0x01), streamPack(0xE0)});
    EXPECT_EQ(rebuilt(), joined({streamPack(0xE0), streamPack(0xE0)}));
}

// The pack header with `count` stuffing bytes (pack_stuffing_length), its padding packet that
// much shorter, so that the pack stays 2048 bytes.
Bytes withStuffing(Bytes pack, uint8_t count) {
    const Bytes padding = {0x00, 0x00, 0x01, 0xBE};
    const auto at = std::search(pack.begin() + 14, pack.end(), padding.begin(), padding.end());
    const size_t length = size_t(at[4]) << 8 | at[5];
    at[4] = uint8_t((length - count) >> 8);
    at[5] = uint8_t(length - count);
    pack.resize(pack.size() - count);
    pack.insert(pack.begin() + 14, count, 0xFF);
    pack[13] = uint8_t((pack[13] & 0xF8) | count);
    return pack;
}

// The rebuild read each pack's stream ids at fixed places: behind a stuffed pack header it
// renumbered bytes of the PES header instead, and kept streams it was told to leave out.
TEST_F(RebuildPacks, StreamsBehindAStuffedPackHeaderAreRenumberedAndLeftOut) {
    readPacks({withStuffing(subStreamPack(0xC2), 3), withStuffing(streamPack(0xE1), 7),
               withStuffing(subStreamPack(0x83), 1)});
    s.tick({TrackKind::Audio, 2}, false);
    EXPECT_EQ(rebuilt(),
              joined({withStuffing(streamPack(0xE0), 7), withStuffing(subStreamPack(0x80), 1)}));
}

TEST_F(RebuildPacks, DroppedStreamsAreNeverNumbered) {
    readPacks({streamPack(0xE0), streamPack(0xE1), subStreamPack(0xC0), subStreamPack(0xC1)});
    s.tick(Video0, false);
    s.tick(Audio00, false);
    // The kept streams are numbered from 0, as if the dropped ones had never been.
    EXPECT_EQ(rebuilt(), joined({streamPack(0xE0), subStreamPack(0xC0)}));
}

} // namespace
} // namespace splitwick::testing
