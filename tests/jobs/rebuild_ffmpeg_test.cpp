// Rebuilds of program streams made by ffmpeg's DVD muxer, checked with the existing Read EVO and
// Demux jobs and with ffprobe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rebuild_flow.h"

namespace splitwick::testing {
namespace {

using ::testing::ElementsAre;

const TrackName Video0{TrackKind::Video, 0};
const TrackName Audio00{TrackKind::Audio, 0};

class RebuildFfmpegFile : public ::testing::Test {
  protected:
    TempFolder work;
    RebuildSession s;
};

TEST_F(RebuildFfmpegFile, AllTickedKeepsEveryPackAndTheVideoBytes) {
    const std::string source = ffmpegMade("DD.EVO");
    s.read(source);
    EXPECT_THAT(s.rebuildInto(work.path()),
                ElementsAre("Opening file DD.EVO", "File size: 0 Mbytes.",
                            "Creating " + work.path() + "/DD.rebuilt.EVO", "Done."));
    const std::string rebuilt = work / "DD.rebuilt.EVO";
    EXPECT_EQ(readBytes(rebuilt).size(), readBytes(source).size());

    // The DD track stays a DD track (it once became sub-stream 0xFF, lost to every reader).
    const auto before = demuxAll(source, work / "before");
    const auto after = demuxAll(rebuilt, work / "after");
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after.at("cbVideo0"), before.at("cbVideo0"));
    EXPECT_EQ(after.at("cbAudio00"), before.at("cbAudio00"));
    EXPECT_EQ(probeStreams(rebuilt), probeStreams(source));
}

TEST_F(RebuildFfmpegFile, DroppedDtsStreamIsGoneAndTheOtherRenumbered) {
    const std::string source = ffmpegMade("DTS.EVO");
    s.read(source);
    s.tick(Audio00, false);
    s.rebuildInto(work.path());
    const std::string rebuilt = work / "DTS.rebuilt.EVO";

    const auto before = demuxAll(source, work / "before");
    const auto after = demuxAll(rebuilt, work / "after");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after.at("cbVideo0"), before.at("cbVideo0"));
    // 0x89 was the first audio stream kept: it is 0x88 now, with the same bytes.
    EXPECT_EQ(after.at("cbAudio00").caption, "DTSHD.stream.00");
    EXPECT_EQ(after.at("cbAudio00").bytes, before.at("cbAudio01").bytes);
    EXPECT_THAT(probeStreams(rebuilt),
                ElementsAre("dvd_nav_packet,0x1bf", "mpeg2video,0x1e0", "dts,0x88"));

    // The system headers count the ticked boxes.
    RebuildSession check;
    check.read(rebuilt);
    EXPECT_THAT(check.lines(),
                ::testing::Contains("It contains 1 video stream and 1 audio stream."));
}

TEST_F(RebuildFfmpegFile, DroppedVideoIsGone) {
    const std::string source = ffmpegMade("DTS.EVO");
    s.read(source);
    s.tick(Video0, false);
    s.rebuildInto(work.path());
    const std::string rebuilt = work / "DTS.rebuilt.EVO";

    const auto before = demuxAll(source, work / "before");
    const auto after = demuxAll(rebuilt, work / "after");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after.count("cbVideo0"), 0u);
    EXPECT_EQ(after.at("cbAudio00"), before.at("cbAudio00"));
    EXPECT_EQ(after.at("cbAudio01"), before.at("cbAudio01"));
    EXPECT_THAT(probeStreams(rebuilt), ElementsAre("dvd_nav_packet,0x1bf", "dts,0x88", "dts,0x89"));
}

} // namespace
} // namespace splitwick::testing
