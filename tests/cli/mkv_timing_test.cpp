// splitwick-cli mkv on titles whose timestamps are damaged, missing or restart: every track of
// the .mkv keeps the times the clean title gives it, and the run says what it mended.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "cli_program.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr double PictureMs = 1001.0 / 24;

// A title of H.264 at 24000/1001 and AC-3, three seconds each.
maker::EsRecipe film() {
    return recipeOf({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
}

struct Muxed {
    ProcessResult run;
    std::string mkv;
};

Muxed muxed(const maker::EsRecipe& recipe, const TempFolder& dir, const std::string& stem) {
    const std::string evo = dir / (stem + ".EVO");
    maker::makeEsEvo(recipe, evo);
    return {cli({"mkv", evo, "--out", dir.path(), "-q"}), dir / (stem + ".mkv")};
}

// The lines of the run's output that say what was mended.
std::vector<std::string> mendLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.find("time stamps") != std::string::npos) lines.push_back(line);
    return lines;
}

void expectNear(const std::vector<double>& times, const std::vector<double>& clean) {
    ASSERT_EQ(times.size(), clean.size());
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], clean[i], 1.0) << "packet " << i;
}

// One damaged timestamp, or timestamps that restart, leave every frame where the clean title
// has it (found by fuzzing: a DTS that went back made every later picture a second late, a
// wild PTS made a file of 44,444 s).
TEST(MkvTimingRegression, DamagedAndRestartedTimestampsKeepTheCleanTimes) {
    TempFolder dir;
    const Muxed clean = muxed(film(), dir, "CLEAN");
    ASSERT_EQ(clean.run.exitCode, 0) << clean.run.err;
    const struct {
        const char* name;
        std::function<void(maker::EsRecipe&)> damage;
        std::vector<std::string> lines;
    } rows[] = {
        {"a video DTS a second back",
         [](maker::EsRecipe& r) {
             r.streams[0].stampErrors = {{30, -90000, true}};
         },
         {"H.264 video stream 0: 1 picture with damaged time stamps near 0:00:01 retimed"}},
        {"a video PTS 4,000,000,000 ticks on",
         [](maker::EsRecipe& r) {
             r.streams[0].stampErrors = {{40, 4'000'000'000}};
         },
         {"H.264 video stream 0: 1 picture with damaged time stamps near 0:00:01 retimed"}},
        {"three garbage video PTS",
         [](maker::EsRecipe& r) {
             r.streams[0].stampErrors = {{30, 3'000'000'000}, {40, -2'000'000'000}, {50, 700'000}};
         },
         {"H.264 video stream 0: 3 pictures with damaged time stamps near 0:00:01 retimed"}},
        {"an audio PTS 4,000,000,000 ticks on",
         [](maker::EsRecipe& r) {
             r.streams[1].stampErrors = {{50, 4'000'000'000}};
         },
         {"DD audio stream 0: 1 frame with damaged time stamps near 0:00:01 retimed"}},
        {"timestamps that restart a minute on halfway",
         [](maker::EsRecipe& r) {
             r.ptsJump = maker::PtsJump{1500 * 90, 60 * 90000};
         },
         {"H.264 video stream 0: its time stamps jump by +60.000 s near 0:00:01; the track goes "
          "on where it was",
          "DD audio stream 0: its time stamps jump by +60.000 s near 0:00:01; the track goes on "
          "where it was"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        maker::EsRecipe recipe = film();
        row.damage(recipe);
        const Muxed damaged = muxed(recipe, dir, "DAMAGED");
        ASSERT_EQ(damaged.run.exitCode, 0) << damaged.run.err;
        EXPECT_EQ(mendLines(damaged.run.out), row.lines) << damaged.run.out;
        for (const char* track : {"v:0", "a:0"}) {
            SCOPED_TRACE(track);
            expectNear(packetTimesMs(damaged.mkv, track), packetTimesMs(clean.mkv, track));
        }
    }
}

// Times sorted into the order they are shown, each one picture after the one before.
void expectOnePictureApart(std::vector<double> times, size_t pictures) {
    std::sort(times.begin(), times.end());
    ASSERT_EQ(times.size(), pictures);
    for (size_t i = 0; i < times.size(); ++i)
        ASSERT_NEAR(times[i], times[0] + double(i) * PictureMs, 1.0) << "picture " << i;
}

// MPEG-2 whose packets carry no PTS: alone in its file it made an unreadable .mkv of no
// picture; beside sound it was timed at 3753 ticks a picture, 75 ms behind after 4000.
TEST(MkvTimingRegression, VideoWithoutAnyPtsIsCountedInExactPictures) {
    TempFolder dir;
    maker::EsRecipe alone = recipeOf({{{Encoded::Mpeg2Long, 0}}});
    alone.streams[0].timestamps = false;
    const Muxed picture = muxed(alone, dir, "ALONE");
    ASSERT_EQ(picture.run.exitCode, 0) << picture.run.err;
    EXPECT_EQ(decodingErrors(picture.mkv), "");
    expectOnePictureApart(packetTimesMs(picture.mkv, "v:0"), 4000);
    EXPECT_EQ(frameHashes(fromMkv(picture.mkv, "0:v:0")),
              frameHashes(elementary("mpegvideo", Encoded::Mpeg2Long)));

    maker::EsRecipe withSound = recipeOf({{{Encoded::Mpeg2Long, 0}, {Encoded::Ac3Long, 0}}});
    withSound.streams[0].timestamps = false;
    const Muxed both = muxed(withSound, dir, "BOTH");
    ASSERT_EQ(both.run.exitCode, 0) << both.run.err;
    std::vector<double> video = packetTimesMs(both.mkv, "v:0");
    expectOnePictureApart(video, 4000);
    EXPECT_NEAR(*std::min_element(video.begin(), video.end()), 0, 1.0);
    EXPECT_NEAR(packetTimesMs(both.mkv, "a:0").at(0), 0, 1.0);
}

// A copy of an MPEG-2 stream whose sequence extensions all have frame_rate_extension_n 3: four
// times its rate, faster than any disc's.
std::string withRateFourfold(const std::string& es, const std::string& copy) {
    Bytes bytes = readBytes(es);
    const uint8_t extension[] = {0, 0, 1, 0xB5};
    for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), std::begin(extension),
                                                    std::end(extension))) != bytes.end();
         at += 4)
        if (bytes.end() - at > 9 && at[4] >> 4 == 1) at[9] |= 0x60;
    writeBytes(copy, bytes);
    return copy;
}

// A damaged sequence extension said 96 pictures a second: the pictures without timestamps
// were counted 10 ms apart, and a part's stamps taken against them went back in time.
TEST(MkvTimingRegression, AStreamsRateFasterThanAnyDiscsCountsNoPicture) {
    TempFolder dir;
    maker::EsRecipe fast = recipeOf({{{Encoded::Mpeg2Long, 0}}});
    fast.streams[0].timestamps = false;
    fast.streams[0].es = withRateFourfold(fast.streams[0].es, dir / "fast.m2v");
    const Muxed picture = muxed(fast, dir, "FAST");
    ASSERT_EQ(picture.run.exitCode, 0) << picture.run.err;
    expectOnePictureApart(packetTimesMs(picture.mkv, "v:0"), 4000);
}

// Real encoders' sound beside the picture: every frame decodes as the source's, each track
// starts where the EVO puts it, within 1 ms, and the pictures are shown one apart.
TEST(MkvRealStreams, DecodeAsTheSourcesAndStartWhereTheEvoPutsThem) {
    TempFolder dir;
    const Muxed made = muxed(recipeOf({{{Encoded::H264At24000_1001, 0},
                                        {Encoded::Eac3Dolby, 0},
                                        {Encoded::TrueHdReal, 100},
                                        {Encoded::DtsHdMa, 250}}}),
                             dir, "REAL");
    ASSERT_EQ(made.run.exitCode, 0) << made.run.err;
    EXPECT_EQ(decodingErrors(made.mkv), "");
    expectOnePictureApart(packetTimesMs(made.mkv, "v:0"), 72);
    const struct {
        const char* track;
        const char* format;
        Encoded input;
        double startMs;
    } tracks[] = {{"a:0", "eac3", Encoded::Eac3Dolby, 0},
                  {"a:1", "truehd", Encoded::TrueHdReal, 100},
                  {"a:2", "dts", Encoded::DtsHdMa, 250}};
    for (const auto& track : tracks) {
        SCOPED_TRACE(track.format);
        EXPECT_EQ(frameHashes(fromMkv(made.mkv, std::string("0:") + track.track)),
                  frameHashes(elementary(track.format, track.input)));
        EXPECT_NEAR(packetTimesMs(made.mkv, track.track).at(0), track.startMs, 1.0);
    }
}

} // namespace
} // namespace splitwick::testing
