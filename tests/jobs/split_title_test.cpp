// Demux of a split title: FEATURE_1.EVO goes on into FEATURE_2.EVO when cbContinue says so,
// under names made of both parts.
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "evo_maker/evo_maker.h"
#include "evo_maker/presets.h"
#include "job_runs.h"
#include "jobs/demux_job.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

const Lines FirstPartFound = {"MPEG-2 video stream 0 found!", "DD+ audio stream 0 found!",
                              "DD+ audio stream 1 found!", "DTS HD audio stream 2 found!",
                              "Subpicture stream 0 found!"};
const std::string Contains = "It contains 1 video stream and 3 audio streams.";

class SplitTitle : public ::testing::Test {
  protected:
    void SetUp() override {
        // MPEG-2 video, DD+ audio 0 and 1, DTS-HD audio 2, subpicture 0; 5 MiB per part.
        made = maker::makeEvo(maker::splitTitleRecipe(), first, expected.path());
        chooseEvo(rs, first);
    }
    Lines creatingLines(const std::string& prefix, const std::string& folder) const {
        Lines lines;
        for (const char* caption : {"MPEG-2.stream.0.mpv", "DD+.stream.00.mpa", "DD+.stream.01.mpa",
                                    "DTSHD.stream.02.mpa", "Subpicture.00.sup"})
            lines.push_back("Creating " + folder + "/" + prefix + "." + caption);
        return lines;
    }
    std::array<int64_t, 2> frames(size_t part) const { return made.parts.at(part).frames; }
    // A job over the first part alone.
    Lines onePartLines(const std::string& folder) const {
        return Lines{"Opening file FEATURE_1.EVO", "File size: 5 Mbytes."} +
               creatingLines("FEATURE_1", folder) + Lines{Contains, "Done."} +
               frameCountLines(frames(0));
    }

    TempFolder disc, expected, out;
    const std::string first = disc / "FEATURE_1.EVO";
    const std::string second = disc / "FEATURE_2.EVO";
    maker::MadeEvo made;
    WindowRuns rs;
};

TEST_F(SplitTitle, ContinuedJobAppendsTheSecondPartUnderBothPartsNames) {
    const Lines head = {"Opening file FEATURE_1.EVO", "File size: 5 Mbytes."};
    const Lines read = readEvo(rs);
    EXPECT_EQ(read, head + Lines{Contains} + FirstPartFound + Lines{"Done."} +
                        frameCountLines(frames(0)) + timingLines(rs));

    const std::array<int64_t, 2> both = {frames(0)[0] + frames(1)[0], 0};
    const Lines expectedLines = head + creatingLines("FEATURE_1_2", out.path()) +
                                Lines{Contains, "Continue on FEATURE_2.EVO", Contains, "Done."} +
                                frameCountLines(both);
    EXPECT_EQ(demuxInto(rs, out.path()), expectedLines);
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1_2."), out.path());
    EXPECT_EQ(rs.events.panels[0], "Ready");

    // The EVO stays FEATURE_1: a repeated Demux names its outputs the same way again.
    EXPECT_EQ(demuxInto(rs, out.path()), expectedLines);
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1_2."), out.path());
}

TEST_F(SplitTitle, UntickedContinueDemuxesTheFirstPartAlone) {
    readEvo(rs);
    rs.request.continueParts = false;
    EXPECT_EQ(demuxInto(rs, out.path()), onePartLines(out.path()));
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1."), out.path());
}

// A job takes its options as they stand when it starts: a change meanwhile counts from the next.
TEST_F(SplitTitle, ContinueCountsAsItStandsWhenTheJobStarts) {
    readEvo(rs);
    // Unticked during the first part (at its 4 MiB point): both parts.
    rs.events.onProgress = [&] { rs.request.continueParts = false; };
    Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Continue on FEATURE_2.EVO"), 1);
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1_2."), out.path());

    // Unticked at the start and ticked during the run: one part.
    TempFolder again;
    rs.request.continueParts = false;
    rs.events.onProgress = [&] { rs.request.continueParts = true; };
    lines = demuxInto(rs, again.path());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Continue on FEATURE_2.EVO"), 0);
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1."), again.path());
}

TEST_F(SplitTitle, OnlyAFirstPartWithItsPartnerBesideItIsContinued) {
    // The second part chosen: there is never a third.
    chooseEvo(rs, second);
    readEvo(rs);
    Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(lines.front(), "Opening file FEATURE_2.EVO");
    EXPECT_EQ(lines.back(), frameCountLines(frames(1)).back());
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_2."), out.path());

    // "_1.evo" in lower case is no first part, though FEATURE_2.EVO lies beside it.
    const std::string lowerCase = disc / "FEATURE_1.evo";
    std::filesystem::rename(first, lowerCase);
    chooseEvo(rs, lowerCase);
    readEvo(rs);
    TempFolder lowerOut;
    lines = demuxInto(rs, lowerOut.path());
    EXPECT_EQ(lines.at(2), "Creating " + lowerOut.path() + "/FEATURE_1.MPEG-2.stream.0.mpv");
    EXPECT_EQ(lines.back(), frameCountLines(frames(0)).back());
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1."), lowerOut.path());

    // A first part whose partner is missing: one part, and no word about it.
    std::filesystem::rename(lowerCase, first);
    std::filesystem::remove(second);
    chooseEvo(rs, first);
    readEvo(rs);
    TempFolder aloneOut;
    EXPECT_EQ(demuxInto(rs, aloneOut.path()), onePartLines(aloneOut.path()));
    expectOutputs(withPrefix(made.expectedFiles, "FEATURE_1."), aloneOut.path());
}

TEST_F(SplitTitle, SecondPartThatGoesAwayDuringTheFirstIsAnOpenErrorNeverSuccess) {
    // The outputs are named FEATURE_1_2 from the start: ending after the first part would give
    // "Done." and half the title under a name that promises all of it.
    readEvo(rs);
    const Bytes secondBytes = readBytes(second);
    const std::vector<std::pair<std::function<void()>, std::string>> goings = {
        {[&] { std::filesystem::remove(second); }, "No such file or directory"},
        {[&] {
             std::filesystem::remove(second);
             std::filesystem::create_directory(second);
         },
         "Is a directory"},
    };
    const std::vector<std::function<void()>> jobs = {
        [&] { demuxInto(rs, out.path()); },
        [&] { rebuildInto(rs, out.path()); },
    };
    for (const auto& [goAway, reason] : goings) {
        for (const auto& job : jobs) {
            SCOPED_TRACE(reason);
            std::filesystem::remove_all(second);
            writeBytes(second, secondBytes);
            rs.events.onProgress = goAway;
            const size_t before = rs.events.lines.size();
            try {
                job();
                ADD_FAILURE() << "the job succeeded";
            } catch (const JobError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "Cannot open file \"" + second + "\". " + reason);
            }
            const Lines lines(rs.events.lines.begin() + long(before), rs.events.lines.end());
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "Done."), 0);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "Continue on FEATURE_2.EVO"), 0);
        }
    }
}

} // namespace
} // namespace splitwick::testing
