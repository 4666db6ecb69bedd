// splitwick-make-evo as the tests of other parts and a user run it: its elementary-stream
// options make the title and its expected data.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/encoded_streams.h"
#include "support/process.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

ProcessResult makeEvo(std::vector<std::string> args) {
    args.insert(args.begin(), SPLITWICK_MAKE_EVO);
    return runProcess(args);
}

TEST(MakeEvoTool, StreamOptionsApplyToTheStreamBeforeThem) {
    TempFolder folder;
    const EncodedStream& video = encoded(Encoded::H264At25);
    const EncodedStream& ac3 = encoded(Encoded::Ac3);
    const EncodedStream& lpcm = encoded(Encoded::Lpcm16Stereo);
    const ProcessResult made = makeEvo({"--out",      folder / "disc/T.EVO",
                                        "--pts-base", "900000",
                                        "--stream",   "h264",
                                        video.es,     "--units",
                                        video.units,  "--stream",
                                        "ac3",        ac3.es,
                                        "--units",    ac3.units,
                                        "--start",    "-40",
                                        "--id",       "0x82",
                                        "--stream",   "lpcm",
                                        lpcm.es,      "--start-ticks",
                                        "45",         "--stream",
                                        "ac3",        ac3.es,
                                        "--units",    ac3.units});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_NE(made.out.find("expected data: " + folder / "disc/T.expected.json"),
              std::string::npos);
    const std::string data = readText(folder / "disc/T.expected.json");
    // The second AC-3 stream takes the first free box; LPCM the next.
    for (const std::string& line :
         {"{\"box\": \"cbAudio02\", \"codec\": \"ac3\", \"id\": 130, \"es\": \"" + ac3.es +
              "\", \"start_ticks\": -3600}",
          "{\"box\": \"cbAudio00\", \"codec\": \"lpcm\", \"id\": 160, \"es\": \"" + lpcm.es +
              "\", \"start_ticks\": 45}",
          std::string("{\"box\": \"cbAudio01\", \"codec\": \"ac3\", \"id\": 129,"),
          std::string("{\"box\": \"cbVideo0\", \"first_pts\": 900000, \"delay_ms\": 0,"),
          std::string("{\"box\": \"cbAudio02\", \"first_pts\": 896400, \"delay_ms\": -40,"),
          std::string("{\"box\": \"cbAudio00\", \"first_pts\": 900045, \"delay_ms\": 1,"),
          std::string("\"video_frame_rate\": \"25\"")})
        EXPECT_NE(data.find(line), std::string::npos) << line << " not in\n" << data;
}

TEST(MakeEvoTool, MisplacedOrMixedOptionsAreUsageErrors) {
    TempFolder folder;
    const std::string out = folder / "T.EVO";
    const std::vector<std::vector<std::string>> wrong = {
        {"--out", out, "--units", "x.units", "--stream", "h264", "x.h264"},
        {"--out", out, "--stream", "mp3", "x.mp3"},
        {"--out", out, "--size", "1M", "--stream", "h264", "x.h264"},
        {"--out", out, "--stream", "lpcm", "x.pcm", "--lpcm", "16,48000"},
        {"--out", out, "--stream", "h264", "x.h264", "--id", "0x1E2"},
        {"--out", out, "--stream", "h264", "x.h264", "--pts-error", "3"},
        {"--out", out, "--stream", "h264", "x.h264", "--dts-error", "-1:90000"},
        {"--out", out, "--no-pts", "--stream", "h264", "x.h264"},
        {"--out", out, "--pts-jump", "1000:90000"},
    };
    for (const auto& args : wrong) {
        const ProcessResult result = makeEvo(args);
        EXPECT_EQ(result.exitCode, 2) << args[2] << ": " << result.err;
        EXPECT_NE(result.err.find("Try --help."), std::string::npos) << result.err;
    }
    // A unit list that does not fit its stream is refused, naming the list.
    const EncodedStream& video = encoded(Encoded::H264At25);
    const ProcessResult mismatched = makeEvo(
        {"--out", out, "--stream", "h264", video.es, "--units", encoded(Encoded::Ac3).units});
    EXPECT_EQ(mismatched.exitCode, 2);
    EXPECT_NE(mismatched.err.find(encoded(Encoded::Ac3).units), std::string::npos);
}

// Timestamps as damage leaves them: a stream without any, one packet's off its time, all of them
// restarting halfway. The expected data give the first PTS each stream's packets carry.
TEST(MakeEvoTool, TimestampsCanBeLeftOutDamagedOrRestarted) {
    TempFolder folder;
    const EncodedStream& video = encoded(Encoded::H264At25);
    const EncodedStream& ac3 = encoded(Encoded::Ac3);
    const struct {
        std::vector<std::string> ac3Options, titleOptions;
        std::string firstAc3Pts;
    } rows[] = {
        {{}, {}, "90000"},
        {{"--no-pts"}, {}, "null"},
        {{"--pts-error", "0:45000"}, {}, "135000"},
        {{}, {"--pts-jump", "-1000:900000"}, "990000"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"--out",  folder / "T.EVO", "--stream",  "h264",
                                         video.es, "--units",        video.units, "--stream",
                                         "ac3",    ac3.es,           "--units",   ac3.units};
        args.insert(args.end(), row.ac3Options.begin(), row.ac3Options.end());
        args.insert(args.end(), row.titleOptions.begin(), row.titleOptions.end());
        const ProcessResult made = makeEvo(args);
        ASSERT_EQ(made.exitCode, 0) << made.err;
        const std::string data = readText(folder / "T.expected.json");
        const std::string line = "{\"box\": \"cbAudio00\", \"first_pts\": " + row.firstAc3Pts;
        EXPECT_NE(data.find(line), std::string::npos) << line << " not in\n" << data;
    }
}

// spu captions:DIR makes a unit of each grey map in the folder, one each 2 s, centred near the
// foot of the 1920x1080 plane. What ffmpeg shows of the .mkv's subtitles over black, in each
// caption's place, is the map: white where it is white, black where it is black (its ground
// half transparent over black).
TEST(MakeEvoTool, CaptionsShowTheirGreyMaps) {
    TempFolder folder;
    constexpr int Width = 24, Height = 8;
    std::filesystem::create_directories(folder / "captions");
    std::vector<Bytes> maps;
    for (int caption = 0; caption < 2; ++caption) {
        Bytes pixels(Width * Height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % Width / 3 + i / Width + size_t(caption)) % 2 ? 255 : 0;
        const std::string header = "P5\n# caption " + std::to_string(caption) + "\n24 8\n255\n";
        Bytes file(header.begin(), header.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        writeBytes(folder / ("captions/" + std::to_string(caption) + ".pgm"), file);
        maps.push_back(pixels);
    }
    const EncodedStream& video = encoded(Encoded::H264At25);
    const ProcessResult made =
        makeEvo({"--out", folder / "T.EVO", "--stream", "h264", video.es, "--units", video.units,
                 "--stream", "spu", "captions:" + folder / "captions"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const ProcessResult muxed =
        runProcess({SPLITWICK_CLI, "mkv", folder / "T.EVO", "--out", folder.path()});
    ASSERT_EQ(muxed.exitCode, 0) << muxed.err;

    const std::string crop = "crop=" + std::to_string(Width) + ":" + std::to_string(Height) + ":" +
                             std::to_string((1920 - Width) / 2) + ":" +
                             std::to_string(1080 - 60 - Height);
    for (size_t caption = 0; caption < maps.size(); ++caption) {
        const std::string at = std::to_string(caption * 2) + ".5";
        runCommand("ffmpeg -nostdin -v error -y -f lavfi -i color=black:s=1920x1080:r=25:d=3 -i '" +
                   folder / "T.mkv" + "' -filter_complex '[0:v][1:s]overlay," + crop +
                   ",format=gray' -ss " + at + " -frames:v 1 -f rawvideo '" + folder / "shown" +
                   "'");
        const Bytes shown = readBytes(folder / "shown");
        ASSERT_EQ(shown.size(), maps[caption].size());
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i] > 128, maps[caption][i] == 255)
                << "caption " << caption << " pixel " << i << ": " << int(shown[i]);
    }

    // A map cut short, or one in text (P2), is refused, naming it.
    for (const std::string& bad :
         {std::string("P5\n24 8\n255\n\xff\xff"), std::string("P2\n1 1\n255\n0\n")}) {
        writeBytes(folder / "captions/2.pgm", Bytes(bad.begin(), bad.end()));
        const ProcessResult refused =
            makeEvo({"--out", folder / "T.EVO", "--stream", "h264", video.es, "--units",
                     video.units, "--stream", "spu", "captions:" + folder / "captions"});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find(folder / "captions/2.pgm"), std::string::npos) << refused.err;
    }
}

} // namespace
} // namespace splitwick::testing
