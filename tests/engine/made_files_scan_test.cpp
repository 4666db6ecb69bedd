// Check-mode scans of made files: the stream table and the frame counts a scan fills are the
// ones the maker knows it wrote, whatever the headers, traps, chunk crossings and damage.
#include <map>

#include <gtest/gtest.h>

#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "evo_maker/evo_maker.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using maker::Codec;
using testing::RecordingSession;
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

TEST_P(MadeFileScan, FillsTheTableAndCountsTheFramesTheMakerWrote) {
    maker::Recipe recipe = baseRecipe();
    GetParam().adjust(recipe);
    TempFolder folder;
    const std::string path = folder / "TITLE.EVO";
    for (uint64_t seed : {1, 2, 3}) {
        recipe.seed = seed;
        const maker::MadePart part = maker::makeEvo(recipe, path).parts.at(0);
        RecordingSession rs;
        rs.session.request.fastCheck = false;
        FrameTally frames(rs.request().countFrames);
        frames.countEveryStream(rs.state().frameCount);
        scanEvo(rs.session, std::make_unique<SourceFile>(path, rs.session.openFiles), frames,
                rs.state().streamTable, ScanMode::Read);

        StreamTable expected;
        expected.fill(-1);
        static const std::map<TrackKind, int> FirstEntry = {
            {TrackKind::Video, StreamTable::VideoFirst},
            {TrackKind::Audio, StreamTable::AudioFirst},
            {TrackKind::Subpicture, StreamTable::SubpictureFirst}};
        for (const maker::FoundStream& f : part.found)
            expected[FirstEntry.at(f.kind) + f.index] = f.id;
        for (int entry = 1; entry <= StreamTable::Entries; ++entry)
            EXPECT_EQ(rs.state().streamTable[entry], expected[entry])
                << "entry " << entry << ", seed " << seed;
        EXPECT_EQ(rs.state().frameCount, part.frames) << "seed " << seed;
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
