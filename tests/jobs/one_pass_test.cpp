// The command line's demux and rebuild in one pass against the reads and the job run one after
// another as the window runs them (Read EVO, Read XPL when a playlist is given, the boxes
// ticked, then Demux or Rebuild): the same files byte for byte, the same log lines in the same
// order, the same frame counts and the same boxes, on every kind of file the tests make.
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "evo_maker/evo_maker.h"
#include "evo_maker/presets.h"
#include "evo_maker/scramble.h"
#include "job_runs.h"
#include "jobs/one_pass.h"
#include "made_recipes.h"
#include "one_pass_runs.h"
#include "playlist/read_xpl.h"
#include "playlist_writer.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;
using maker::Codec;

// Both ways give the same outcome.
void expectSame(const std::string& evo, const Ask& ask, Job job) {
    Runs runs(evo, ask);
    const Outcome twoSteps = runs.twoSteps(job);
    const Outcome onePass = runs.onePass(job);
    EXPECT_EQ(departure(twoSteps, onePass), "") << "two steps:\n"
                                                << describe(twoSteps) << "one pass:\n"
                                                << describe(onePass);
}

// Every way the command line may ask, on one file: every stream, some of them, one the file
// may lack, with and without going on into a second part.
void expectSameForEveryAsk(const std::string& evo, const std::string& playlist = "") {
    const std::vector<std::pair<std::string, Ask>> asks = {
        {"all", {std::nullopt, playlist}},
        {"all, one part", {std::nullopt, playlist, false}},
        {"video0,audio01,sub00",
         {std::vector<Box>{{BoxKind::Video, 0}, {BoxKind::Audio, 1}, {BoxKind::Subpicture, 0}},
          playlist}},
        {"audio00,sub03",
         {std::vector<Box>{{BoxKind::Audio, 0}, {BoxKind::Subpicture, 3}}, playlist}},
    };
    for (const auto& [name, ask] : asks) {
        for (Job job : {Job::Demux, Job::Rebuild}) {
            SCOPED_TRACE(evo + ", " + name + (job == Job::Demux ? ", demux" : ", rebuild") +
                         (playlist.empty() ? "" : ", with the playlist"));
            expectSame(evo, ask, job);
        }
    }
}

class OnePass : public ::testing::Test {
  protected:
    std::string make(const maker::Recipe& recipe, const std::string& name = "FEATURE_1.EVO") {
        maker::makeEvo(recipe, folder / name);
        return folder / name;
    }
    TempFolder folder;
};

TEST_F(OnePass, MakersPresetsGiveWhatTheReadsAndTheJobGive) {
    expectSameForEveryAsk(make(maker::featureRecipe(6 * 1048576, 3)));
    // A split title.
    expectSameForEveryAsk(make(maker::sampleDiscRecipe()));
}

TEST_F(OnePass, EveryCodecVariedHeadersAndTrapsGiveWhatTheReadsAndTheJobGive) {
    maker::Recipe recipe = everyCodecRecipe();
    recipe.streams.push_back({Codec::Subpicture, 0x35, 1});
    expectSameForEveryAsk(make(recipe));

    maker::Recipe varied;
    varied.streams = {
        {Codec::Vc1, 0x55, 10},       {Codec::Vc1, 0x56, 10},          {Codec::DDPlus, 0xC0, 2},
        {Codec::Lpcm, 0xA1, 2},       {Codec::Mlp, 0xB2, 2},           {Codec::DtsHd, 0x8B, 2},
        {Codec::Subpicture, 0x20, 1}, {Codec::ExtSubpicture, 0x7F, 1}, {Codec::Subpicture, 0x2F, 1},
        {Codec::MpegAudio, 0xC5, 1},
    };
    varied.size = 6 * 1048576;
    varied.varyHeaders = true;
    varied.startCodeTraps = true;
    varied.garbageEvery = 3;
    varied.seed = 7;
    varied.parts = 2;
    expectSameForEveryAsk(make(varied));
}

TEST_F(OnePass, DamagedFilesGiveWhatTheReadsAndTheJobGive) {
    maker::Recipe recipe = damagedRecipe();
    for (int cut : {1, 2030, 2047}) {
        recipe.truncateLastPack = cut;
        expectSameForEveryAsk(make(recipe, "DAMAGED" + std::to_string(cut) + ".EVO"));
    }

    writeBytes(folder / "EMPTY.EVO", {});
    expectSameForEveryAsk(folder / "EMPTY.EVO");
    maker::Recipe navigationOnly;
    navigationOnly.size = 100000;
    navigationOnly.navigationEvery = 1;
    expectSameForEveryAsk(make(navigationOnly, "NAV.EVO"));

    // Encrypted from its 40th pack: the same error, the first part's or the second's.
    for (int64_t from : {40, 2000}) {
        const std::string split = make(maker::sampleDiscRecipe());
        maker::scrambleFrom({split, folder / "FEATURE_2.EVO"}, from);
        expectSameForEveryAsk(split);
    }
}

// The reads cover the first part only: a stream that the second part alone carries has no box
// and is not written, though the second part's pass meets it.
TEST_F(OnePass, StreamsOfTheSecondPartAloneAreNotWritten) {
    maker::Recipe first;
    first.streams = {{Codec::Mpeg2, 0xE0, 8}, {Codec::DDPlus, 0xC0, 1}};
    first.size = 1048576;
    maker::Recipe second = first;
    second.streams.push_back({Codec::DtsHd, 0x89, 1});
    second.streams.push_back({Codec::Subpicture, 0x20, 1});
    make(first, "SPLIT_1.EVO");
    make(second, "SPLIT_2.EVO");
    expectSameForEveryAsk(folder / "SPLIT_1.EVO");
}

// An audio stream first met far into the file: every system header of the rebuilt file, those
// written before it too, counts it in its audio_bound, as after a whole read.
TEST_F(OnePass, StreamsMetLateCountInEverySystemHeader) {
    maker::Recipe early;
    early.streams = {{Codec::Mpeg2, 0xE0, 8}, {Codec::DDPlus, 0xC0, 1}};
    early.size = 1048576;
    maker::Recipe late = early;
    late.streams.push_back({Codec::DtsHd, 0x89, 1});
    Bytes title = readBytes(make(early, "EARLY.EVO"));
    const Bytes rest = readBytes(make(late, "LATE.EVO"));
    title.insert(title.end(), rest.begin(), rest.end());
    writeBytes(folder / "TITLE.EVO", title);
    expectSameForEveryAsk(folder / "TITLE.EVO");
}

TEST_F(OnePass, PlaylistCaptionsNameTheOutputsAsAfterReadXpl) {
    fs::create_directories(folder / "HVDVD_TS");
    fs::create_directories(folder / "ADV_OBJ");
    maker::makeEvo(maker::sampleDiscRecipe(), folder / "HVDVD_TS/FEATURE_1.EVO");
    const std::string playlist = folder / "ADV_OBJ/VPLST000.XPL";
    // The playlist names a French DTS-HD stream the EVO lacks: its file is made, then removed.
    writeTextFile(playlist, xmlDocument(discPlaylist({"FEATURE_1", "FEATURE_2"})));
    expectSameForEveryAsk(folder / "HVDVD_TS/FEATURE_1.EVO", playlist);
    // A playlist without the EVO's title enables no box.
    writeTextFile(playlist, xmlDocument(discPlaylist({"OTHER"})));
    expectSameForEveryAsk(folder / "HVDVD_TS/FEATURE_1.EVO", playlist);
}

// A cancel in one pass stops the reads with the job: the outputs hold what the job in two steps
// holds when stopped at the same point, and those of streams not met by then are not made.
TEST_F(OnePass, CancelStopsTheReadsAndTheJobWhereTheJobAloneStops) {
    maker::Recipe early;
    early.streams = {{Codec::Mpeg2, 0xE0, 8}, {Codec::DDPlus, 0xC0, 1}};
    early.size = 4 * 1048576 + 6 * 2048;
    maker::Recipe late = early;
    late.size = 1048576;
    late.streams.push_back({Codec::Subpicture, 0x20, 1});
    Bytes title = readBytes(make(early, "EARLY.EVO"));
    const Bytes rest = readBytes(make(late, "LATE.EVO"));
    title.insert(title.end(), rest.begin(), rest.end());
    writeBytes(folder / "FEATURE_1.EVO", title);

    for (Job job : {Job::Demux, Job::Rebuild}) {
        SCOPED_TRACE(job == Job::Demux ? "demux" : "rebuild");
        Runs runs(folder / "FEATURE_1.EVO", {});
        runs.cancelWhileWriting();
        const Outcome twoSteps = runs.twoSteps(job);
        const Outcome onePass = runs.onePass(job);
        EXPECT_EQ(onePass.error, "");
        EXPECT_EQ(onePass.frames, (FrameCounts{0, 0}));
        for (const auto& [name, bytes] : twoSteps.files) {
            const auto kept = onePass.files.find(name);
            if (kept != onePass.files.end())
                EXPECT_TRUE(kept->second == bytes) << name;
            else
                EXPECT_EQ(bytes.size(), 0u) << name << ": its stream comes after the cancel";
        }
        EXPECT_EQ(onePass.files.size() + (job == Job::Demux ? 2 : 0), twoSteps.files.size());
        // Read EVO's lines end with "Done." and no frame count, as those of the job.
        const auto done = std::find(onePass.lines.begin(), onePass.lines.end(), "Done.");
        ASSERT_NE(done, onePass.lines.end());
        EXPECT_EQ(*(done + 1), "Opening file FEATURE_1.EVO");
        EXPECT_EQ(onePass.lines.back(), "Done.");
        EXPECT_EQ(twoSteps.lines.back(), "Done.");
    }
}

// An output created as its stream is met is checked against every file the job holds and the
// second part before it is emptied: none of those is ever emptied, nor the outputs an earlier
// run left for streams not met yet.
class OnePassFailures : public OnePass {
  protected:
    void SetUp() override {
        maker::Recipe recipe;
        recipe.streams = {
            {Codec::Mpeg2, 0xE0, 6}, {Codec::DD, 0x80, 1}, {Codec::Subpicture, 0x21, 1}};
        recipe.size = 2 * 1048576;
        recipe.parts = 2;
        maker::makeEvo(recipe, folder / "FEATURE_1.EVO");
        fs::create_directories(out);
        chooseEvo(rs, folder / "FEATURE_1.EVO");
        rs.controls.setField(Field::Workdir, out);
    }
    // Demux in one pass, which must fail with this message; the files it holds are closed.
    void demuxFails(const std::string& message) {
        const size_t filesOpen = openFileDescriptors();
        try {
            demuxInOnePass(rs.session, {});
            ADD_FAILURE() << "no failure";
        } catch (const JobError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
        EXPECT_EQ(openFileDescriptors(), filesOpen);
        EXPECT_FALSE(rs.events.passRunning());
    }
    std::string inUse(const std::string& path) const {
        return "Cannot create file \"" + path + "\". The file is already in use by this job";
    }

    const std::string out = folder / "out";
    RecordingSession rs;
};

TEST_F(OnePassFailures, OutputThatIsTheSourceOrTheSecondPartEmptiesNeither) {
    const Bytes first = readBytes(folder / "FEATURE_1.EVO");
    const Bytes second = readBytes(folder / "FEATURE_2.EVO");
    // An earlier run's subpicture output, whose stream the pass meets after the video's.
    writeBytes(out + "/FEATURE_1_2.Subpicture.01.sup", Bytes(1000, 'x'));
    for (const char* part : {"FEATURE_1.EVO", "FEATURE_2.EVO"}) {
        SCOPED_TRACE(part);
        const std::string video = out + "/FEATURE_1_2.MPEG-2.stream.0.mpv";
        fs::remove(video);
        fs::create_symlink(folder / part, video);
        rs.report.lines.clear();
        demuxFails(inUse(video));
        EXPECT_EQ(readBytes(folder / "FEATURE_1.EVO"), first);
        EXPECT_EQ(readBytes(folder / "FEATURE_2.EVO"), second);
        EXPECT_EQ(readBytes(out + "/FEATURE_1_2.Subpicture.01.sup"), Bytes(1000, 'x'));
    }
    // Read EVO's lines up to the failure, then those of Demux, which made no output.
    const Lines opening = {"Opening file FEATURE_1.EVO", "File size: 1 Mbytes.",
                           "It contains 1 video stream and 1 audio stream."};
    EXPECT_EQ(rs.lines(), opening + Lines{"MPEG-2 video stream 0 found!"} + opening);
}

// A playlist that labels audio 0 and subtitle 0 alike, and one extension for both: two boxes
// whose outputs have one name. The second is refused, and the first keeps what the pass wrote.
TEST_F(OnePassFailures, OutputThatIsAnotherOutputEmptiesNeither) {
    const std::string playlist = folder / "VPLST000.XPL";
    writeTextFile(
        playlist,
        xmlDocument(playlistRoot(
            "", {audioItem(1, "Same", ""), subpictureItem(1, "Same")},
            {title(1, "FEATURE_1", "00:10:00:00",
                   {clip("FEATURE_1", {audio(1, 1, "Twice"), subtitle(1, 1, "Twice")})})})));
    rs.controls.setField(Field::XPLfile, playlist);
    rs.controls.setField(Field::AudioExt, "sup");
    Playlist read;
    PlainPlaylistView view;
    const std::string same = out + "/FEATURE_1_2.Same.stream.00.Twice.sup";
    const size_t filesOpen = openFileDescriptors();
    try {
        demuxInOnePass(rs.session, {std::nullopt, [&] {
                                        bReadXPLClick(rs.session, read, view);
                                        return TitleChapters{};
                                    }});
        ADD_FAILURE() << "no failure";
    } catch (const JobError& error) {
        EXPECT_EQ(std::string(error.what()), inUse(same));
    }
    EXPECT_EQ(openFileDescriptors(), filesOpen);
    // DD 0x80 comes before subpicture 0x21 is met: what was written of it goes with the run.
    EXPECT_EQ(fileNamesIn(out), std::vector<std::string>{});
}

TEST(OnePassOfFfmpegFiles, GiveWhatTheReadsAndTheJobGive) {
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    for (const char* name : {"DD.EVO", "DTS.EVO", "LPCM_16_STEREO_48K.EVO", "LPCM_24_5.1_48K.EVO"})
        expectSameForEveryAsk(ffmpegMade(name));
    // AC-3 0x80 and DTS 0x88 share audio index 0.
    TempFolder folder;
    makeWithFfmpeg("-f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -f lavfi -i "
                   "sine=frequency=660:sample_rate=48000:duration=1 -map 0 -map 1 -c:a:0 ac3 "
                   "-c:a:1 dca -strict -2",
                   folder / "SHARED.EVO");
    expectSameForEveryAsk(folder / "SHARED.EVO");
    // And AC-3 0x80 in the first part of a title, DTS 0x88 in its second.
    makeWithFfmpeg("-f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -c:a ac3",
                   folder / "MIXED_1.EVO");
    makeWithFfmpeg("-f lavfi -i sine=frequency=660:sample_rate=48000:duration=1 -c:a dca "
                   "-strict -2",
                   folder / "MIXED_2.EVO");
    expectSameForEveryAsk(folder / "MIXED_1.EVO");
}

} // namespace
} // namespace splitwick::testing
