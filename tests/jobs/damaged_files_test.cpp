// Damaged and strange files: no crash, no hang, and every stream before and after the damage
// still comes out as the maker says.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "made_recipes.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using maker::Codec;

class DamagedFiles : public ::testing::Test {
  protected:
    // Read EVO, then Demux of every stream found; both must end normally.
    Lines readAndDemux(const std::string& path) {
        chooseEvo(rs, path);
        const Lines read = readEvo(rs);
        const size_t behindDone = frameCountLines(rs.frames).size() + timingLines(rs).size();
        EXPECT_EQ(read.at(read.size() - behindDone - 1), "Done.");
        if (rs.ticked.empty()) return read;
        return demuxInto(rs, out.path());
    }

    TempFolder folder, expected, out;
    WindowRuns rs;
};

TEST_F(DamagedFiles, StreamsAroundTheDamageComeOutAsTheMakerSays) {
    maker::Recipe recipe = damagedRecipe();
    // The file ends inside a payload, a sub-stream header, a PES header, a pack header.
    for (int cut : {1, 1000, 2020, 2030, 2040, 2047}) {
        SCOPED_TRACE("cut " + std::to_string(cut));
        recipe.truncateLastPack = cut;
        TempFolder expectedNow;
        const maker::MadeEvo made =
            maker::makeEvo(recipe, folder / "DAMAGED.EVO", expectedNow.path());
        const Lines lines = readAndDemux(folder / "DAMAGED.EVO");
        EXPECT_EQ(rs.frames, made.parts.at(0).frames);
        EXPECT_EQ(lines.back(), frameCountLines(made.parts.at(0).frames).back());
        expectOutputs(made.expectedFiles, out.path());
    }
}

TEST_F(DamagedFiles, FilesWithoutStreamsEndNormally) {
    // Empty: no EVO at all, refused with its name before anything is written.
    writeBytes(folder / "EMPTY.EVO", {});
    EXPECT_THROW(readAndDemux(folder / "EMPTY.EVO"), JobError);
    EXPECT_TRUE(rs.label({TrackKind::Video, 0}).empty());

    // Navigation packs only, under a system header with both bounds 0.
    maker::Recipe navigationOnly;
    navigationOnly.size = 100000;
    navigationOnly.navigationEvery = 1;
    maker::makeEvo(navigationOnly, folder / "NAV.EVO");
    EXPECT_EQ(readAndDemux(folder / "NAV.EVO"),
              (Lines{"Opening file NAV.EVO", "File size: 0 Mbytes.",
                     "It contains 0 video stream and 0 audio stream.", "Done."}));

    // Noise behind one pack start code, start codes and all: whatever it seems to hold is read
    // and demuxed to the end.
    std::mt19937 noise(20240611);
    Bytes bytes(3 * 1048576 + 777);
    for (uint8_t& b : bytes)
        b = uint8_t(noise() & 0xFF);
    std::copy_n(Bytes{0x00, 0x00, 0x01, 0xBA}.begin(), 4, bytes.begin());
    writeBytes(folder / "NOISE.EVO", bytes);
    const Lines lines = readAndDemux(folder / "NOISE.EVO");
    EXPECT_EQ(lines.at(0), "Opening file NOISE.EVO");
    EXPECT_EQ(rs.events.panels[0], "Ready");
}

} // namespace
} // namespace splitwick::testing
