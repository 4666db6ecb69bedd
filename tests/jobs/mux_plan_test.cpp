// The plan of a mux: which codec a box's file holds, which track plays by default, and which
// video takes the rate measured.
#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/mux_plan.h"

namespace splitwick::testing {
namespace {

constexpr Box Video0{TrackKind::Video, 0};
Box audio(int index) {
    return {TrackKind::Audio, index};
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
    EXPECT_EQ(muxCodec({TrackKind::Subpicture, 0}, "Subpicture.00", 0x20), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "VC-1.stream.0", 1), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "No audio stream", -1), std::nullopt);
    EXPECT_EQ(muxCodec(audio(0), "DDX.stream.00", -1), std::nullopt);
}

MuxTrack trackOf(Box box, MuxCodec codec) {
    return {box, codec, {}, 0, std::nullopt};
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

// Timestamps that repeat, or step by one tick, measure as rates no disc plays: given to the
// track as its default duration they would stretch or squeeze it, so the stream's own timing
// stands and one line says so. MPEG-2 carries its own rate and takes none measured.
TEST(OwnTimingLineRegression, OnlyRawH264AndVc1AtARateNoDiscPlaysGetTheLine) {
    const char* const Line = "Video frame rate 1/1000 fps is none a disc plays at: the video "
                             "track keeps its stream's own timing";
    const struct {
        MuxCodec codec;
        FrameRate rate;
        const char* line;
    } rows[] = {
        {MuxCodec::H264, {24000, 1001}, ""}, {MuxCodec::Vc1, {50, 1}, ""},
        {MuxCodec::H264, {1, 1000}, Line},   {MuxCodec::Vc1, {1, 1000}, Line},
        {MuxCodec::Mpeg2, {1, 1000}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(codecName(row.codec) + " " + row.rate.text());
        MuxPlan plan;
        plan.tracks = {trackOf(Video0, row.codec)};
        plan.tracks[0].frameRate = row.rate;
        EXPECT_EQ(ownTimingLine(plan), row.line);
    }
}

} // namespace
} // namespace splitwick::testing
