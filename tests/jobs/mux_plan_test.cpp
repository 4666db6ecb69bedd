// The plan of a mux: which codec a box's file holds, which track plays by default, and what
// mkvmerge is told of each track.
#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/mkvmerge_arguments.h"
#include "jobs/mux_plan.h"

namespace splitwick::testing {
namespace {

constexpr Box Video0{BoxKind::Video, 0};
constexpr Box Video1{BoxKind::Video, 1};
Box audio(int index) {
    return {BoxKind::Audio, index};
}

TEST(MuxCodec, ComesFromTheStreamIdElseFromTheCaption) {
    // As Read EVO left the stream table: the identifier decides, whatever the caption says.
    EXPECT_EQ(muxCodec(Video0, "", 0x55), MuxCodec::Vc1);
    EXPECT_EQ(muxCodec(Video0, "", 0xE0), MuxCodec::Mpeg2);
    EXPECT_EQ(muxCodec(Video0, "VC-1.stream.0", 0xE2), MuxCodec::H264);
    EXPECT_EQ(muxCodec(audio(0), "", 0x80), MuxCodec::Ac3);
    EXPECT_EQ(muxCodec(audio(0), "", 0x88), MuxCodec::Dts);
    EXPECT_EQ(muxCodec(audio(0), "", 0xA0), MuxCodec::LpcmWav);
    EXPECT_EQ(muxCodec(audio(0), "", 0xB0), MuxCodec::TrueHd);
    EXPECT_EQ(muxCodec(audio(0), "DD.stream.00", 0xC8), MuxCodec::Eac3);

    // After Read XPL the table holds marks only: the playlist's caption decides. "DD" is no
    // "DD+", the channel count is no part of the codec.
    EXPECT_EQ(muxCodec(audio(0), "DD+.6ch.stream.00.English", 1), MuxCodec::Eac3);
    EXPECT_EQ(muxCodec(audio(1), "DD.2ch.stream.01.", 1), MuxCodec::Ac3);
    EXPECT_EQ(muxCodec(audio(2), "DTS-HD.stream.02.Director", -1), MuxCodec::Dts);
    EXPECT_EQ(muxCodec(audio(3), "MLP.8ch.stream.03.", 1), MuxCodec::TrueHd);
    EXPECT_EQ(muxCodec(Video0, "H.264.stream.0", 1), MuxCodec::H264);

    // No track: subpictures, a codec of another kind of box, a caption of no stream.
    EXPECT_EQ(muxCodec({BoxKind::Subpicture, 0}, "Subpicture.00", 0x20), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "VC-1.stream.0", 1), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "No audio stream", -1), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "DDX.stream.00", -1), std::nullopt);
}

MuxTrack trackOf(Box box, MuxCodec codec) {
    return {"/t/" + std::to_string(boxPosition(box)), box, codec, {}, 0, std::nullopt};
}

TEST(DefaultAudioTrack, IsThePlaylistsFirstStreamElseTheFirstAudioTrack) {
    MuxPlan plan;
    plan.tracks = {trackOf(Video0, MuxCodec::Vc1), trackOf(audio(0), MuxCodec::Eac3),
                   trackOf(audio(3), MuxCodec::TrueHd)};
    plan.playlistFirstAudio = audio(3);
    EXPECT_EQ(defaultAudioTrack(plan), 2u);
    // The playlist's first stream was not chosen.
    plan.playlistFirstAudio = audio(5);
    EXPECT_EQ(defaultAudioTrack(plan), 1u);
    plan.playlistFirstAudio.reset();
    EXPECT_EQ(defaultAudioTrack(plan), 1u);
    plan.tracks.resize(1);
    EXPECT_EQ(defaultAudioTrack(plan), std::nullopt);
}

// The mux tests run mkvmerge on every flag and on H.264; what no encoder at hand makes (VC-1)
// and the choices between tracks are checked here.
TEST(MkvmergeArguments, OnlyRawH264AndVc1TakeTheMeasuredRateAndOnlyTheFirstVideoPlays) {
    MuxPlan plan;
    plan.output = "/out/FEATURE_1_2.mkv";
    MuxTrack vc1 = trackOf(Video0, MuxCodec::Vc1);
    vc1.frameRate = FrameRate{24000, 1001};
    MuxTrack mpeg2 = trackOf(Video1, MuxCodec::Mpeg2);
    mpeg2.frameRate = FrameRate{25, 1};
    MuxTrack large = trackOf(audio(4), MuxCodec::Dts);
    large.label = {"fre", "large", "Gros"};
    plan.tracks = {vc1, mpeg2, large};

    EXPECT_EQ(
        mkvmergeArguments(plan, "/out/FEATURE_1_2.mkv.Ab12Cd.part"),
        (std::vector<std::string>{"--gui-mode", "--output", "/out/FEATURE_1_2.mkv.Ab12Cd.part",
                                  // Raw VC-1 carries no rate mkvmerge can rely on.
                                  "--language", "0:und", "--default-track-flag", "0:yes",
                                  "--default-duration", "0:24000/1001p", "/t/0",
                                  // MPEG-2 keeps the rate and pulldown of its own headers.
                                  "--language", "0:und", "--default-track-flag", "0:no", "/t/1",
                                  // Matroska has no flag for a large-print kind.
                                  "--language", "0:fre", "--track-name", "0:Gros",
                                  "--default-track-flag", "0:yes", "/t/12"}));
}

// mkvmerge reads a file name that begins with "+" as one to append, and one that begins with "="
// as one not to look for more parts of, even in its option file.
TEST(MkvmergeArgumentsRegression, RelativeNamesBeginningWithPlusOrEqualsAreReadAsFiles) {
    MuxPlan plan;
    plan.chapterFile = "+out/=A.chapters.xml";
    plan.tracks = {trackOf(audio(0), MuxCodec::Ac3)};
    plan.tracks[0].path = "=A.DD.stream.00.ac3";
    EXPECT_EQ(
        mkvmergeArguments(plan, "+out/=A.mkv.Ab12Cd.part"),
        (std::vector<std::string>{"--gui-mode", "--output", "./+out/=A.mkv.Ab12Cd.part",
                                  "--chapters", "./+out/=A.chapters.xml", "--language", "0:und",
                                  "--default-track-flag", "0:yes", "./=A.DD.stream.00.ac3"}));
}

// Timestamps that repeat, or step by one tick, measure as rates no disc plays: forced on the
// track as its default duration they would stretch or squeeze it, so the stream's own timing
// stands and one line says so.
TEST(MkvmergeArgumentsRegression, OnlyADiscRateBecomesTheDefaultDuration) {
    const struct {
        FrameRate rate;
        const char* duration; // nullptr for none
        const char* line;
    } rows[] = {
        {{24000, 1001}, "0:24000/1001p", ""},
        {{50, 1}, "0:50/1p", ""},
        {{1, 1000},
         nullptr,
         "Video frame rate 1/1000 fps is none a disc plays at: the video track keeps its "
         "stream's own timing"},
        {{90000, 1},
         nullptr,
         "Video frame rate 90000 fps is none a disc plays at: the video track keeps its "
         "stream's own timing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rate.text());
        MuxPlan plan;
        plan.tracks = {trackOf(Video0, MuxCodec::H264)};
        plan.tracks[0].frameRate = row.rate;
        const std::vector<std::string> args = mkvmergeArguments(plan, "/o.part");
        const auto option = std::find(args.begin(), args.end(), "--default-duration");
        EXPECT_EQ(option == args.end() ? "" : *(option + 1), row.duration ? row.duration : "");
        EXPECT_EQ(ownTimingLine(plan), row.line);
    }
}

} // namespace
} // namespace splitwick::testing
