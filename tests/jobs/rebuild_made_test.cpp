// Rebuilds of whole EVO files made by the test-file maker (VC-1, DD+, DTS-HD, LPCM,
// subpictures, navigation packs with system headers), checked by demuxing the rebuilt file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "evo_maker/evo_maker.h"
#include "rebuild_flow.h"

namespace splitwick::testing {
namespace {

using maker::Codec;

class RebuildMadeFile : public ::testing::Test {
  protected:
    TempFolder work;
    RebuildSession s;
};

TEST_F(RebuildMadeFile, SplitTitleWithEveryStreamKeptIsBothPartsUnchanged) {
    // Identifiers already numbered in the order the streams are first met; every part opens
    // with one packet of each stream, in recipe order. The last pack is cut short.
    maker::Recipe recipe;
    recipe.streams = {{Codec::Vc1, 0x55},
                      {Codec::DDPlus, 0xC0},
                      {Codec::DtsHd, 0x89},
                      {Codec::Subpicture, 0x20},
                      {Codec::Subpicture, 0x21}};
    recipe.size = 3 * 1048576;
    recipe.parts = 2;
    recipe.truncateLastPack = 1000;
    const std::string expect = work / "expect";
    std::filesystem::create_directory(expect);
    maker::makeEvo(recipe, work / "T_1.EVO", expect);
    s.read(work / "T_1.EVO");
    s.rebuildInto(work.path());

    const std::string rebuilt = work / "T_1_2.rebuilt.EVO";
    Bytes both = readBytes(work / "T_1.EVO");
    const Bytes second = readBytes(work / "T_2.EVO");
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(readBytes(rebuilt), both);

    // What a Demux continuing over both parts writes, the rebuilt file gives in one.
    const auto demuxed = demuxAll(rebuilt, work / "after");
    ASSERT_EQ(demuxed.size(), 5u);
    for (const auto& [box, stream] : demuxed) {
        const std::string extension = box.find("Video") != std::string::npos   ? "mpv"
                                      : box.find("Audio") != std::string::npos ? "mpa"
                                                                               : "sup";
        EXPECT_EQ(stream.bytes, readBytes(expect + "/T_1_2." + stream.caption + "." + extension))
            << box;
    }
}

TEST_F(RebuildMadeFile, StreamsLeftOutAreGoneAndTheOthersRenumbered) {
    maker::Recipe recipe;
    recipe.streams = {{Codec::Vc1, 0x55},       {Codec::DDPlus, 0xC0}, {Codec::DDPlus, 0xC2},
                      {Codec::DtsHd, 0x8B},     {Codec::Lpcm, 0xA5},   {Codec::Subpicture, 0x20},
                      {Codec::Subpicture, 0x23}};
    recipe.size = 2 * 1048576;
    recipe.varyHeaders = true;
    const std::string source = work / "M.EVO";
    maker::makeEvo(recipe, source);
    s.read(source);
    s.tick({TrackKind::Audio, 0}, false);
    s.tick({TrackKind::Subpicture, 0}, false);
    s.rebuildInto(work.path());

    const auto before = demuxAll(source, work / "before");
    const auto after = demuxAll(work / "M.rebuilt.EVO", work / "after");
    // DD+ 0xC2, DTS-HD 0x8B and LPCM 0xA5 are the first, second and third audio kept.
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after.at("cbVideo0"), before.at("cbVideo0"));
    EXPECT_EQ(after.at("cbAudio00"),
              (DemuxedStream{"DD+.stream.00", before.at("cbAudio02").bytes}));
    EXPECT_EQ(after.at("cbAudio01"),
              (DemuxedStream{"DTSHD.stream.01", before.at("cbAudio03").bytes}));
    EXPECT_EQ(after.at("cbAudio02"),
              (DemuxedStream{"LPCM.stream.02", before.at("cbAudio05").bytes}));
    EXPECT_EQ(after.at("cbSub00"), (DemuxedStream{"Subpicture.00", before.at("cbSub03").bytes}));

    RebuildSession check;
    check.read(work / "M.rebuilt.EVO");
    EXPECT_THAT(check.lines(),
                ::testing::Contains("It contains 1 video stream and 3 audio streams."));
}

} // namespace
} // namespace splitwick::testing
