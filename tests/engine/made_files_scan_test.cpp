// Check-mode scans of made files: the tracks and the frame counts a scan finds are the ones the
// maker knows it wrote, whatever the headers, traps, chunk crossings and damage.
#include <map>

#include <gtest/gtest.h>

#include "engine/evo_scan.h"
#include "engine/frame_counter.h"
#include "evo_maker/evo_maker.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using maker::Codec;
using testing::RecordingEvents;
using testing::TempFolder;

struct Variant {
    const char* name;
    void (*adjust)(maker::Recipe&);
};

maker::Recipe baseRecipe() {
    maker::Recipe recipe;
    recipe.streams = {
        {Codec::H264, 0xE2, 8},       {Codec::Vc1, 0x56, 8},
        {Codec::DD, 0x81, 1},         {Codec::DtsHd, 0x89, 1},
        {Codec::Lpcm, 0xA3, 1},       {Codec::Mlp, 0xB4, 1},
        {Codec::DDPlus, 0xCA, 1},     {Codec::Subpicture, 0x35, 1},
        {Codec::Subpicture, 0x21, 1}, {Codec::ExtSubpicture, 0x62, 1},
        {Codec::MpegAudio, 0xC3, 1},  {Codec::UnknownSubStream, 0x40, 1},
    };
    recipe.size = 2 * 1048576 + 12345;
    return recipe;
}

const Variant Variants[] = {
    {"Plain", [](maker::Recipe&) {}},
    {"VariedHeaders", [](maker::Recipe& r) { r.varyHeaders = true; }},
    {"Traps",
     [](maker::Recipe& r) {
         r.startCodeTraps = true;
         r.varyHeaders = true;
     }},
    {"AcrossChunks",
     [](maker::Recipe& r) {
         r.garbageEvery = 1;
         r.varyHeaders = true;
     }},
    {"NoNavigationNoSystemHeader",
     [](maker::Recipe& r) {
         r.navigationEvery = 0;
         r.systemHeader = false;
     }},
    {"Damaged",
     [](maker::Recipe& r) {
         r.zeroLengthEvery = 5;
         r.garbageEvery = 2;
         r.truncateLastPack = 1000;
         r.streams.push_back({Codec::UnknownStream, 0xE7, 2});
     }},
};

class MadeFileScan : public ::testing::TestWithParam<Variant> {};

TEST_P(MadeFileScan, FindsTheTracksAndCountsTheFramesTheMakerWrote) {
    maker::Recipe recipe = baseRecipe();
    GetParam().adjust(recipe);
    TempFolder folder;
    const std::string path = folder / "TITLE.EVO";
    for (uint64_t seed : {1, 2, 3}) {
        recipe.seed = seed;
        const maker::MadePart part = maker::makeEvo(recipe, path).parts.at(0);
        RecordingEvents events;
        OpenFiles files;
        FrameCounts counted{};
        FrameTally frames(true);
        frames.countEveryStream(counted);
        TrackList tracks;
        scanEvo(events, std::make_unique<SourceFile>(path, files), frames, tracks,
                {false, false, {"Reading"}});

        std::vector<std::pair<TrackKind, int>> expected, found;
        for (const maker::FoundStream& f : part.found)
            expected.emplace_back(f.kind, f.id);
        for (const Track& track : tracks)
            found.emplace_back(track.kind(), track.id.id);
        EXPECT_EQ(found, expected) << "seed " << seed;
        EXPECT_EQ(counted, part.frames) << "seed " << seed;
        // Start codes split over two runs are written but not counted.
        for (int i = 0; i < 2; ++i)
            EXPECT_LE(part.frames[i], part.startCodes[i]);
        EXPECT_GT(part.frames[0] + part.frames[1], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, MadeFileScan, ::testing::ValuesIn(Variants),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace splitwick
