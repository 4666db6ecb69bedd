// The Rebuild command around its passes: names, log and status lines, buttons, split titles,
// cancel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/job_error.h"
#include "made_packs.h"
#include "rebuild_flow.h"

namespace splitwick::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

class RebuildJob : public ::testing::Test {
  protected:
    TempFolder work;
    RebuildSession s;
};

TEST_F(RebuildJob, SplitTitleGoesOnIntoTheSecondPartWithTheNumberingCarriedOver) {
    writePacks(work / "A_1.EVO", {subStreamPack(0xC5), streamPack(0xE1)});
    writePacks(work / "A_2.EVO", {subStreamPack(0x89), subStreamPack(0xC5), streamPack(0xE1)});
    s.read(work / "A_1.EVO");
    std::filesystem::create_directory(work / "out");
    EXPECT_THAT(s.rebuildInto(work / "out/"),
                ElementsAre("Opening file A_1.EVO", "File size: 0 Mbytes.",
                            "Creating " + work.path() + "/out/A_1_2.rebuilt.EVO",
                            "Continue on A_2.EVO", "Done."));
    EXPECT_EQ(readBytes(work / "out/A_1_2.rebuilt.EVO"),
              joined({subStreamPack(0xC0), streamPack(0xE0), subStreamPack(0x89),
                      subStreamPack(0xC0), streamPack(0xE0)}));
    EXPECT_EQ(s.events.panels[0], "Ready");
    EXPECT_EQ(s.events.panels[1], "");
}

TEST_F(RebuildJob, ContinuesOnlyFromAnUpperCaseFirstPartWithTheOptionTicked) {
    const Packs first = {streamPack(0xE0)};
    writePacks(work / "B_1.evo", first);
    writePacks(work / "B_2.EVO", {subStreamPack(0xC0)});
    s.read(work / "B_1.evo");
    EXPECT_THAT(s.rebuildInto(work.path()),
                ::testing::Contains("Creating " + work.path() + "/B_1.rebuilt.EVO"));
    EXPECT_EQ(readBytes(work / "B_1.rebuilt.EVO"), joined(first));

    writePacks(work / "C_1.EVO", first);
    s.read(work / "C_1.EVO");
    // No second part beside it.
    EXPECT_THAT(s.rebuildInto(work.path()),
                ::testing::Not(::testing::Contains(::testing::StartsWith("Continue on"))));
    EXPECT_EQ(readBytes(work / "C_1.rebuilt.EVO"), joined(first));

    writePacks(work / "B_1.EVO", first);
    s.read(work / "B_1.EVO");
    s.request.continueParts = false;
    s.rebuildInto(work.path());
    EXPECT_EQ(readBytes(work / "B_1.rebuilt.EVO"), joined(first));
}

TEST_F(RebuildJob, ReplacesAnExistingOutput) {
    writePacks(work / "A.EVO", {streamPack(0xE0)});
    writeBytes(work / "A.rebuilt.EVO", Bytes(3 * 2048, 0x55));
    s.read(work / "A.EVO");
    s.rebuildInto(work.path());
    EXPECT_EQ(readBytes(work / "A.rebuilt.EVO"), streamPack(0xE0));
}

// An empty file is no EVO: the window's Read EVO said "Done." and its Rebuild wrote an empty
// rebuilt EVO. Both fail now, and nothing is written.
TEST_F(RebuildJob, EmptySourceIsRefusedAndNothingIsWritten) {
    writeBytes(work / "A.EVO", {});
    EXPECT_THROW(s.read(work / "A.EVO"), JobError);
    EXPECT_THROW(s.rebuildInto(work.path()), JobError);
    EXPECT_EQ(fileNamesIn(work.path()), std::vector<std::string>{"A.EVO"});
}

TEST_F(RebuildJob, EmptyOutputFolderWritesIntoTheWorkingFolder) {
    writePacks(work / "A.EVO", {streamPack(0xE0)});
    s.read(work / "A.EVO");
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    EXPECT_THAT(s.rebuildInto(""), ::testing::Contains("Creating A.rebuilt.EVO"));
    std::filesystem::current_path(here);
    EXPECT_EQ(readBytes(work / "A.rebuilt.EVO"), streamPack(0xE0));
}

// A first part long enough to reach the 4 MiB progress point, and one pack more.
class RebuildLongSplitTitle : public RebuildJob {
  protected:
    void SetUp() override {
        writePacks(work / "L_1.EVO", Packs(2049, streamPack(0xE0)));
        writePacks(work / "L_2.EVO", {streamPack(0xE0)});
        s.read(work / "L_1.EVO");
        s.events.progressLines.clear();
    }
};

TEST_F(RebuildLongSplitTitle, ShowsProgressAndHoldsTheButtonsWhileThePassRuns) {
    s.events.onProgress = [&] {
        EXPECT_TRUE(s.events.passRunning());
        EXPECT_EQ(s.events.panels[0], "Writing EVO...");
    };
    s.rebuildInto(work.path());
    ASSERT_EQ(s.events.progressLines.size(), 1u);
    EXPECT_THAT(
        s.events.progressLines[0],
        MatchesRegex(
            "Rebuilding L_1\\.EVO 4/4 Mbytes, Remaining time: [0-9]:[0-5][0-9]:[0-5][0-9]"));
    EXPECT_EQ(readBytes(work / "L_1_2.rebuilt.EVO").size(), 2050u * 2048);
    // Two passes, each a pass that writes output (Cancel asks first), each ended.
    EXPECT_EQ(s.events.passes, (std::vector<bool>{false, true, true}));
    EXPECT_FALSE(s.events.passRunning());
}

TEST_F(RebuildLongSplitTitle, CancelInTheFirstPartEndsAfterThePackInHandWithoutTheSecond) {
    // The user presses Cancel and answers Yes.
    s.events.onProgress = [&] { s.events.stop = true; };
    const auto lines = s.rebuildInto(work.path());
    EXPECT_THAT(lines, ElementsAre("Opening file L_1.EVO", "File size: 4 Mbytes.",
                                   "Creating " + work.path() + "/L_1_2.rebuilt.EVO", "Done."));
    EXPECT_EQ(readBytes(work / "L_1_2.rebuilt.EVO"), joined(Packs(2048, streamPack(0xE0))));
    EXPECT_EQ(s.events.panels[0], "Ready");
    EXPECT_EQ(s.events.panels[1], "");
}

} // namespace
} // namespace splitwick::testing
