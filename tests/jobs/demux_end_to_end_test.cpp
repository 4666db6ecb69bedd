// Read EVO and Demux over files of the test-file maker: every stream comes out byte for byte,
// with the exact log lines, names and frame counts.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "made_recipes.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using maker::Codec;

const std::vector<std::string> EveryCodecFound = {
    "MPEG-2 video stream 0 found!", "H.264 video stream 1 found!",
    "DD audio stream 0 found!",     "DTS HD audio stream 1 found!",
    "LPCM audio stream 2 found!",   "MLP audio stream 3 found!",
    "DD+ audio stream 4 found!",    "DD+ audio stream 15 found!",
    "Subpicture stream 3 found!",   "Extended subpicture stream 5 found!",
};

const std::vector<std::string> EveryCodecOutputs = {
    "FEATURE_1.MPEG-2.stream.0.mpv", "FEATURE_1.H.264.stream.1.mpv",
    "FEATURE_1.DD.stream.00.mpa",    "FEATURE_1.DTSHD.stream.01.mpa",
    "FEATURE_1.LPCM.stream.02.mpa",  "FEATURE_1.MLP.stream.03.mpa",
    "FEATURE_1.DD+.stream.04.mpa",   "FEATURE_1.DD+.stream.15.mpa",
    "FEATURE_1.Subpicture.03.sup",   "FEATURE_1.Ext.Subpicture.05.sup",
};

class DemuxOfMadeFiles : public ::testing::Test {
  protected:
    maker::MadePart make(const maker::Recipe& recipe) {
        made = maker::makeEvo(recipe, source, expected.path());
        chooseEvo(rs, source);
        return made.parts.at(0);
    }
    std::vector<std::string> creatingLines(const std::string& prefix,
                                           const std::vector<std::string>& names) const {
        std::vector<std::string> lines;
        for (const std::string& name : names)
            lines.push_back("Creating " + prefix + name);
        return lines;
    }

    TempFolder folder, expected, out;
    const std::string source = folder / "FEATURE_1.EVO";
    maker::MadeEvo made;
    WindowRuns rs;
};

TEST_F(DemuxOfMadeFiles, EveryCodecComesOutByteForByteWithItsLogLines) {
    const maker::MadePart part = make(everyCodecRecipe());
    ASSERT_GT(part.frames[0], 0);
    ASSERT_GT(part.frames[1], 0);
    const std::vector<std::string> head = {"Opening file FEATURE_1.EVO", "File size: 3 Mbytes."};
    const std::string contains = "It contains 2 video streams and 7 audio streams.";

    const Lines read = readEvo(rs);
    EXPECT_EQ(read, head + Lines{contains} + EveryCodecFound + Lines{"Done."} +
                        frameCountLines(part.frames) + timingLines(rs));
    EXPECT_EQ(rs.label({TrackKind::Audio, 15}), "DD+.stream.15");

    // An output left by an earlier run is overwritten from its start.
    writeBytes(out / "FEATURE_1.DD.stream.00.mpa", Bytes(4000000, 'x'));
    const Lines creating = creatingLines(out.path() + "/", EveryCodecOutputs);
    EXPECT_EQ(demuxInto(rs, out.path()),
              head + creating + Lines{contains} + Lines{"Done."} + frameCountLines(part.frames));
    expectOutputs(made.expectedFiles, out.path());
    EXPECT_EQ(rs.events.panels, (std::array<std::string, 2>{"Ready", ""}));
}

// Named by codec, every stream file keeps its bytes, whatever the extension fields say; the
// .pts side files keep their name. LPCM as WAV takes "wav" over "pcm".
TEST_F(DemuxOfMadeFiles, ExtensionsByCodecNameEveryStreamFileAndKeepItsBytes) {
    make(everyCodecRecipe());
    readEvo(rs);
    rs.request.extensionsByCodec = true;
    rs.request.extensions[0] = "vid";
    rs.request.extensions[2] = "sub";
    const std::vector<std::string> byCodec = {
        "FEATURE_1.MPEG-2.stream.0.m2v", "FEATURE_1.H.264.stream.1.h264",
        "FEATURE_1.DD.stream.00.ac3",    "FEATURE_1.DTSHD.stream.01.dts",
        "FEATURE_1.LPCM.stream.02.pcm",  "FEATURE_1.MLP.stream.03.thd",
        "FEATURE_1.DD+.stream.04.eac3",  "FEATURE_1.DD+.stream.15.eac3",
        "FEATURE_1.Subpicture.03.sup",   "FEATURE_1.Ext.Subpicture.05.sup",
    };
    const Lines head = {"Opening file FEATURE_1.EVO", "File size: 3 Mbytes."};
    const Lines tail = {"It contains 2 video streams and 7 audio streams.", "Done."};
    EXPECT_EQ(demuxInto(rs, out.path()), head + creatingLines(out.path() + "/", byCodec) + tail +
                                             frameCountLines(made.parts.at(0).frames));
    for (size_t i = 0; i < byCodec.size(); ++i)
        EXPECT_TRUE(sameBytes(expected / EveryCodecOutputs[i], out / byCodec[i]));
    for (const char* pts : {"FEATURE_1.Subpicture.03.pts", "FEATURE_1.Ext.Subpicture.05.pts"})
        EXPECT_TRUE(sameBytes(expected / pts, out / pts));

    rs.request.lpcmWav = true;
    demuxInto(rs, out.path());
    EXPECT_TRUE(std::filesystem::exists(out / "FEATURE_1.LPCM.stream.02.wav"));
}

TEST_F(DemuxOfMadeFiles, VariedHeadersTrapsAndPacketsAcrossChunksComeOutByteForByte) {
    maker::Recipe recipe;
    recipe.streams = {
        {Codec::Vc1, 0x55, 10},       {Codec::Vc1, 0x56, 10},          {Codec::DDPlus, 0xC0, 2},
        {Codec::Lpcm, 0xA1, 2},       {Codec::Mlp, 0xB2, 2},           {Codec::DtsHd, 0x8B, 2},
        {Codec::Subpicture, 0x20, 1}, {Codec::ExtSubpicture, 0x7F, 1}, {Codec::Subpicture, 0x2F, 1},
        {Codec::MpegAudio, 0xC5, 1},
    };
    recipe.size = 6 * 1048576;
    recipe.varyHeaders = true;
    recipe.startCodeTraps = true;
    recipe.garbageEvery = 3;
    recipe.seed = 7;
    const maker::MadePart part = make(recipe);

    const std::vector<std::string> found = {
        "VC-1 video stream 0 found!",  "VC-1 video stream 1 found!",
        "DD+ audio stream 0 found!",   "LPCM audio stream 1 found!",
        "MLP audio stream 2 found!",   "DTS HD audio stream 3 found!",
        "Subpicture stream 0 found!",  "Extended subpicture stream 31 found!",
        "Subpicture stream 15 found!",
    };
    const std::vector<std::string> read = readEvo(rs);
    const Lines timing = timingLines(rs);
    ASSERT_EQ(read.size(), 3 + found.size() + 1 + 2 + timing.size());
    EXPECT_EQ(std::vector(read.begin() + 3, read.end()),
              found + Lines{"Done."} + frameCountLines(part.frames) + timing);

    const std::vector<std::string> demuxed = demuxInto(rs, out.path());
    EXPECT_EQ(std::vector(demuxed.end() - 3, demuxed.end()),
              Lines{"Done."} + frameCountLines(part.frames));
    // Subpicture 31 has no box: no output.
    expectOutputs(made.expectedFiles, out.path());
}

TEST_F(DemuxOfMadeFiles, UntickedBoxesAreNeitherWrittenNorCounted) {
    const maker::MadePart part = make(everyCodecRecipe());
    readEvo(rs);
    for (TrackName name : {TrackName{TrackKind::Video, 1}, TrackName{TrackKind::Audio, 2},
                           TrackName{TrackKind::Subpicture, 5}})
        rs.tick(name, false);

    const std::vector<std::string> demuxed = demuxInto(rs, out.path());
    EXPECT_EQ(demuxed.back(), frameCountLines({part.frames[0], 0}).back());
    EXPECT_EQ(rs.frames, (std::array<int64_t, 2>{part.frames[0], 0}));
    std::vector<std::string> kept;
    for (const std::string& path : made.expectedFiles)
        if (path.find("H.264") == std::string::npos && path.find("LPCM") == std::string::npos &&
            path.find("Ext.Subpicture") == std::string::npos)
            kept.push_back(path);
    expectOutputs(kept, out.path());
}

TEST_F(DemuxOfMadeFiles, OutputNamesFollowFolderCaptionAndExtensions) {
    maker::Recipe recipe;
    recipe.streams = {{Codec::Mpeg2, 0xE0, 4}, {Codec::DD, 0x80, 1}, {Codec::Subpicture, 0x23, 1}};
    recipe.size = 1048576;
    make(recipe);
    readEvo(rs);
    // Labels also come from the playlist: a "/" in one must not lead out of the folder.
    rs.relabel({{{TrackKind::Video, 0}, "MPEG-2.stream.0"},
                {{TrackKind::Audio, 0}, "DD 5.1/English"},
                {{TrackKind::Subpicture, 3}, "Subpicture.03"}});
    rs.request.extensions[0] = "";

    // A folder with its trailing "/" gives the same names as one without.
    const std::vector<std::string> names = {"FEATURE_1.MPEG-2.stream.0.",
                                            "FEATURE_1.DD 5.1_English.mpa",
                                            "FEATURE_1.Subpicture.03.sup"};
    std::vector<std::string> lines = demuxInto(rs, out.path() + "/");
    const Lines creating = creatingLines(out.path() + "/", names);
    EXPECT_NE(std::search(lines.begin(), lines.end(), creating.begin(), creating.end()),
              lines.end());
    EXPECT_EQ(
        fileNamesIn(out.path()),
        (std::vector<std::string>{"FEATURE_1.DD 5.1_English.mpa", "FEATURE_1.MPEG-2.stream.0.",
                                  "FEATURE_1.Subpicture.03.pts", "FEATURE_1.Subpicture.03.sup"}));
    EXPECT_TRUE(
        sameBytes(expected / "FEATURE_1.DD.stream.00.mpa", out / "FEATURE_1.DD 5.1_English.mpa"));

    // No folder: the names have none, and the files go to the current folder.
    const auto previous = std::filesystem::current_path();
    TempFolder here;
    std::filesystem::current_path(here.path());
    lines = demuxInto(rs, "");
    std::filesystem::current_path(previous);
    const Lines here_ = creatingLines("", names);
    EXPECT_NE(std::search(lines.begin(), lines.end(), here_.begin(), here_.end()), lines.end());
    EXPECT_TRUE(
        sameBytes(expected / "FEATURE_1.MPEG-2.stream.0.mpv", here / "FEATURE_1.MPEG-2.stream.0."));
}

} // namespace
} // namespace splitwick::testing
