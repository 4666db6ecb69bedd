// The plan of a mux: which track plays by default, and which video takes the rate measured.
#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/plan.h"

namespace splitwick::testing {
namespace {

// A plan's track of this name and codec, met as the only track of its name.
TrackPlan trackOf(TrackKind kind, int number, Codec codec) {
    static constexpr std::array<uint8_t, 3> FirstIds = {0xE0, 0xC0, 0x20};
    const auto found = std::find_if(StreamCodecs.begin(), StreamCodecs.end(),
                                    [&](const StreamCodec& c) { return c.codec == codec; });
    const Track track{{found->field, uint8_t(FirstIds[size_t(kind)] + number)}, &*found};
    return {{track, track.label(), "", true}, "", "", FileForm::Raw, muxCodecOf(codec), {}, {}};
}

TEST(DefaultAudioTrack, IsThePlaylistsFirstStreamElseTheFirstAudioTrack) {
    const TrackPlan video = trackOf(TrackKind::Video, 0, Codec::H264);
    const TrackPlan audio0 = trackOf(TrackKind::Audio, 0, Codec::Eac3);
    const TrackPlan audio3 = trackOf(TrackKind::Audio, 3, Codec::Eac3);
    std::vector<const TrackPlan*> tracks = {&video, &audio0, &audio3};
    EXPECT_EQ(defaultAudioTrack(tracks, TrackName{TrackKind::Audio, 3}), 2u);
    // The playlist's first stream was not chosen.
    EXPECT_EQ(defaultAudioTrack(tracks, TrackName{TrackKind::Audio, 5}), 1u);
    EXPECT_EQ(defaultAudioTrack(tracks, std::nullopt), 1u);
    tracks.resize(1);
    EXPECT_EQ(defaultAudioTrack(tracks, std::nullopt), std::nullopt);
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
        EXPECT_EQ(ownTimingLine(row.codec, row.rate), row.line);
    }
}

} // namespace
} // namespace splitwick::testing
