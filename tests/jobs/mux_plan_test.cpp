// The plan of a mux: which codec a box's file holds, which track plays by default, and what
// mkvmerge is told of each track. The mux tests run mkvmerge on such plans; here are the
// cases no encoder at hand can make (VC-1) and the choices between tracks.
#include <gtest/gtest.h>

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

TEST(MkvmergeArguments, EveryTrackIsLabelledAndOnlyRawH264AndVc1TakeTheMeasuredRate) {
    MuxPlan plan;
    plan.output = "/out/FEATURE_1_2.mkv";
    plan.title = "Main";
    plan.chapterFile = "/out/FEATURE_1_2.chapters.xml";
    MuxTrack vc1 = trackOf(Video0, MuxCodec::Vc1);
    vc1.frameRate = FrameRate{24000, 1001};
    vc1.label.name = "VC-1.stream.0";
    MuxTrack mpeg2 = trackOf(Video1, MuxCodec::Mpeg2);
    mpeg2.frameRate = FrameRate{25, 1};
    MuxTrack commentary = trackOf(audio(1), MuxCodec::Eac3);
    commentary.label = {"ger", "commentary", "Kommentar"};
    commentary.delayMs = -50;
    MuxTrack forced = trackOf(audio(2), MuxCodec::LpcmWav);
    forced.label = {"eng", "forced", ""};
    forced.delayMs = 100;
    MuxTrack large = trackOf(audio(4), MuxCodec::Dts);
    large.label = {"fre", "large", "Gros"};
    MuxTrack impaired = trackOf(audio(5), MuxCodec::Ac3);
    impaired.label = {"spa", "visually-impaired", "AD"};
    MuxTrack hearing = trackOf(audio(6), MuxCodec::TrueHd);
    hearing.label.kind = "hearing-impaired";
    plan.tracks = {vc1, mpeg2, commentary, forced, large, impaired, hearing};

    const std::vector<std::string> expected = {
        "--gui-mode", "--output", "/out/FEATURE_1_2.mkv.part", "--title", "Main", "--chapters",
        "/out/FEATURE_1_2.chapters.xml",
        // The first video plays; its raw VC-1 carries no rate mkvmerge could rely on.
        "--language", "0:und", "--track-name", "0:VC-1.stream.0", "--default-track-flag", "0:yes",
        "--default-duration", "0:24000/1001p", "/t/0",
        // MPEG-2 keeps the rate and pulldown of its own headers.
        "--language", "0:und", "--default-track-flag", "0:no", "/t/1",
        // The first audio track plays, whatever its kind.
        "--language", "0:ger", "--track-name", "0:Kommentar", "--default-track-flag", "0:yes",
        "--commentary-flag", "0:yes", "--sync", "0:-50", "/t/9", "--language", "0:eng",
        "--default-track-flag", "0:no", "--forced-display-flag", "0:yes", "--sync", "0:100",
        "/t/10",
        // Matroska has no flag for a large-print kind.
        "--language", "0:fre", "--track-name", "0:Gros", "--default-track-flag", "0:no", "/t/12",
        "--language", "0:spa", "--track-name", "0:AD", "--default-track-flag", "0:no",
        "--visual-impaired-flag", "0:yes", "/t/13", "--language", "0:und", "--default-track-flag",
        "0:no", "--hearing-impaired-flag", "0:yes", "/t/14"};
    EXPECT_EQ(mkvmergeArguments(plan), expected);
}

} // namespace
} // namespace splitwick::testing
