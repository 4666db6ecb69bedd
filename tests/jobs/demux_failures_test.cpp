// Every way a Demux can fail: the exact message, what the log shows, what exists afterwards,
// and that the job leaves nothing open.
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "jobs/demux_job.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using maker::Codec;
namespace fs = std::filesystem;

maker::Recipe smallTitle(int parts) {
    maker::Recipe recipe;
    recipe.streams = {{Codec::Mpeg2, 0xE0, 6}, {Codec::DD, 0x80, 1}, {Codec::Subpicture, 0x21, 1}};
    recipe.size = parts * 1048576;
    recipe.parts = parts;
    return recipe;
}

class DemuxFailures : public ::testing::Test {
  protected:
    void make(int parts = 1) {
        made = maker::makeEvo(smallTitle(parts), source, expected.path());
        chooseEvo(rs, source);
        readEvo(rs);
    }
    // Runs Demux into workdir, which must fail with message; gives the lines it logged.
    Lines demuxFails(const std::string& workdir, const std::string& message) {
        rs.request.outputFolder = workdir;
        const size_t before = rs.events.lines.size();
        const size_t filesOpen = openFileDescriptors();
        try {
            demux(rs.streamsRequest(Writes::Streams), rs.events);
            ADD_FAILURE() << "Demux did not fail";
        } catch (const JobError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
        EXPECT_EQ(openFileDescriptors(), filesOpen) << "a file was left open";
        // No "Done.", and the button waits for the next tick change.
        return {rs.events.lines.begin() + long(before), rs.events.lines.end()};
    }
    std::string creating(const std::string& name) const { return "Creating " + out / name; }

    TempFolder disc, expected, out;
    const std::string source = disc / "FEATURE_1.EVO";
    const Lines head = {"Opening file FEATURE_1.EVO", "File size: 1 Mbytes."};
    const std::string contains = "It contains 1 video stream and 1 audio stream.";
    maker::MadeEvo made;
    WindowRuns rs;
};

TEST_F(DemuxFailures, SourceThatCannotBeOpenedCreatesNothing) {
    make();
    const struct {
        std::string path, message, firstLine;
    } rows[] = {
        {disc / "MISSING_1.EVO",
         "Cannot open file \"" + disc / "MISSING_1.EVO" + "\". No such file or directory",
         "Opening file MISSING_1.EVO"},
        {disc.path(), "Cannot open file \"" + disc.path() + "\". Is a directory",
         "Opening file " + fs::path(disc.path()).filename().string()},
        {"", "Cannot open file \"\". No such file or directory", "Opening file "},
    };
    for (const auto& row : rows) {
        chooseEvo(rs, row.path);
        EXPECT_EQ(demuxFails(out.path(), row.message), Lines{row.firstLine});
        EXPECT_EQ(rs.events.panels[0], "Opening");
        EXPECT_TRUE(fileNamesIn(out.path()).empty());
    }
}

TEST_F(DemuxFailures, OutputThatCannotBeCreatedStopsBeforeTheScan) {
    make();
    // The folder is missing: nothing is created.
    const std::string missing = out / "missing";
    EXPECT_EQ(
        demuxFails(missing, "Cannot create file \"" + missing +
                                "/FEATURE_1.MPEG-2.stream.0.mpv\". No such file or directory"),
        head);
    EXPECT_TRUE(fileNamesIn(out.path()).empty());

    // The audio output's name is taken by a folder: the video output made before it goes
    // again; the engine never runs (no system-header line).
    fs::create_directory(out / "FEATURE_1.DD.stream.00.mpa");
    EXPECT_EQ(demuxFails(out.path(), "Cannot create file \"" + out / "FEATURE_1.DD.stream.00.mpa" +
                                         "\". Is a directory"),
              (head + Lines{creating("FEATURE_1.MPEG-2.stream.0.mpv")}));
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"FEATURE_1.DD.stream.00.mpa"});
    fs::remove(out / "FEATURE_1.DD.stream.00.mpa");

    // The side file cannot be created: its stream file goes too, and gets no line.
    fs::create_directory(out / "FEATURE_1.Subpicture.01.pts");
    EXPECT_EQ(demuxFails(out.path(), "Cannot create file \"" + out / "FEATURE_1.Subpicture.01.pts" +
                                         "\". Is a directory"),
              (head + Lines{creating("FEATURE_1.MPEG-2.stream.0.mpv"),
                            creating("FEATURE_1.DD.stream.00.mpa")}));
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"FEATURE_1.Subpicture.01.pts"});
}

TEST_F(DemuxFailures, FailedCreateLeavesTheOutputsOfAnEarlierRunAsTheyWere) {
    make();
    demuxInto(rs, out.path());
    const Bytes video = readBytes(out / "FEATURE_1.MPEG-2.stream.0.mpv");
    ASSERT_FALSE(video.empty());
    // The audio output's name is now a folder: the run cannot start, and the video output
    // created before it keeps what the earlier run wrote.
    fs::remove(out / "FEATURE_1.DD.stream.00.mpa");
    fs::create_directory(out / "FEATURE_1.DD.stream.00.mpa");
    demuxFails(out.path(),
               "Cannot create file \"" + out / "FEATURE_1.DD.stream.00.mpa" + "\". Is a directory");
    EXPECT_EQ(readBytes(out / "FEATURE_1.MPEG-2.stream.0.mpv"), video);
}

TEST_F(DemuxFailures, OutputOverTheSecondPartIsRefusedBeforeEmptyingIt) {
    // Outputs are created before the second part is read: one that is the second part under
    // another name would have emptied it.
    make(2);
    const Bytes secondPart = readBytes(disc / "FEATURE_2.EVO");
    const std::string video = out / "FEATURE_1_2.MPEG-2.stream.0.mpv";
    fs::create_symlink(disc / "FEATURE_2.EVO", video);
    demuxFails(out.path(),
               "Cannot create file \"" + video + "\". The file is already in use by this job");
    EXPECT_EQ(readBytes(disc / "FEATURE_2.EVO"), secondPart);
}

TEST_F(DemuxFailures, SecondPartThatCannotBeOpenedLeavesTheOutputsOfAnEarlierRunAsTheyWere) {
    make(2);
    demuxInto(rs, out.path());
    const Bytes video = readBytes(out / "FEATURE_1_2.MPEG-2.stream.0.mpv");
    // A regular file that nobody may read, root included: a second part that exists but cannot
    // be opened.
    fs::remove(disc / "FEATURE_2.EVO");
    fs::create_symlink("/proc/sys/vm/drop_caches", disc / "FEATURE_2.EVO");

    const Lines lines = demuxFails(out.path(), "Cannot open file \"" + disc / "FEATURE_2.EVO" +
                                                   "\". Permission denied");
    // Before the first part's pass, which found its streams and created their files.
    EXPECT_EQ(lines.back(), "File size: 1 Mbytes.");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Continue on FEATURE_2.EVO"), 0);
    // The earlier run's outputs of both parts, untouched; no temporary file left.
    EXPECT_EQ(readBytes(out / "FEATURE_1_2.MPEG-2.stream.0.mpv"), video);
    EXPECT_EQ(fileNamesIn(out.path()).size(), withPrefix(made.expectedFiles, "FEATURE_1.").size());
}

TEST_F(DemuxFailures, FailedWriteIsAStreamWriteErrorNeverSuccess) {
    make();
    // The audio output is a full disk: a write fails during the scan or at the latest when the
    // output is stored. The other outputs go: a failed run makes none.
    fs::create_symlink("/dev/full", out / "FEATURE_1.DD.stream.00.mpa");
    Lines lines = demuxFails(out.path(), "Stream write error");
    EXPECT_EQ(lines.back(), contains);
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"FEATURE_1.DD.stream.00.mpa"});
    fs::remove(out / "FEATURE_1.DD.stream.00.mpa");

    // The same for a subpicture's side file, whose bytes go out last, at closing.
    fs::create_symlink("/dev/full", out / "FEATURE_1.Subpicture.01.pts");
    lines = demuxFails(out.path(), "Stream write error");
    EXPECT_EQ(lines.back(), contains);
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"FEATURE_1.Subpicture.01.pts"});
}

TEST_F(DemuxFailures, TwoOutputsOfOneNameFailBeforeTheSecondTruncatesTheFirst) {
    make();
    // A playlist that labels two streams alike, whose extensions are alike too.
    rs.relabel({{{TrackKind::Video, 0}, "Same"}, {{TrackKind::Audio, 0}, "Same"}});
    rs.request.extensions = {"x", "x", "sup"};
    const std::string twice = out / "FEATURE_1.Same.x";
    writeBytes(twice, {1, 2, 3});
    demuxFails(out.path(),
               "Cannot create file \"" + twice + "\". The file is already in use by this job");
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"FEATURE_1.Same.x"});
    EXPECT_EQ(readBytes(twice), (Bytes{1, 2, 3}));
}

TEST_F(DemuxFailures, OutputThatIsTheSourceFailsBeforeTouchingIt) {
    // FEATURE.0.x read from its own folder, with the caption "0" and the video extension "x",
    // names its video output FEATURE.0.x.
    const std::string named = disc / "FEATURE.0.x";
    maker::makeEvo(smallTitle(1), named);
    const Bytes original = readBytes(named);
    chooseEvo(rs, named);
    readEvo(rs);
    rs.relabel({{{TrackKind::Video, 0}, "0"}});
    rs.request.extensions[0] = "x";
    const Lines lines = demuxFails(disc.path(), "Cannot create file \"" + named +
                                                    "\". The file is already in use by this job");
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2),
              (Lines{"Opening file FEATURE.0.x", "File size: 1 Mbytes."}));
    EXPECT_EQ(readBytes(named), original);

    // An output that is a link to the source, likewise.
    rs.request.extensions[0] = "mpv";
    fs::create_symlink(named, out / "FEATURE.0.mpv");
    demuxFails(out.path(), "Cannot create file \"" + out / "FEATURE.0.mpv" +
                               "\". The file is already in use by this job");
    EXPECT_EQ(readBytes(named), original);
}

} // namespace
} // namespace splitwick::testing
