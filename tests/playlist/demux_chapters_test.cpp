// Demux after Read XPL: the title's chapters go beside the streams, under their prefix.
#include <filesystem>

#include "jobs/demux_job.h"
#include "playlist_writer.h"
#include "support/pes_fixture.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

// FEATURE_1.EVO and FEATURE_2.EVO in the disc's HVDVD_TS folder, both with MPEG-2 video 0xE0
// and DD+ audio 0xC0, played by one title in two clips whose chapters run over both.
class DemuxChapters : public XplTest {
  protected:
    DemuxChapters() {
        std::filesystem::create_directory(disc / "HVDVD_TS");
        for (const char* part : {"FEATURE_1.EVO", "FEATURE_2.EVO"})
            writeBytes(disc / ("HVDVD_TS/" + std::string(part)),
                       systemHeaderPack(1, 1) +
                           repeat(videoPack(0xE0, 2) + audioPack(0xC0, 0xAA), 4));
        const std::vector<XmlElement> streams = {video(1, 1), audio(1, 1, "English")};
        XmlElement feature = title(
            1, "Feature", "00:20:00:00",
            {clip("FEATURE_1", streams, "00:00:00:00", "00:10:00:00"),
             clip("FEATURE_2", streams, "00:10:00:00", "00:20:00:00"),
             chapterList({chapter("00:00:00:00", "Opening"), chapter("00:09:59:59", "Last frame"),
                          chapter("00:10:00:00", "Second part"), chapter("00:19:00:30", "End")})});
        request.evoPath = disc / "HVDVD_TS/FEATURE_1.EVO";
        choosePlaylist(xmlDocument(
            playlistRoot("", {videoItem(1, "MPEG-2"), audioItem(1, "DD+", "6")}, {feature})));
        request.outputFolder = out.path();
    }
    TempFolder out;
    JobRequest request;
};

TEST_F(DemuxChapters, SplitTitleGetsTheWholeTitlesChaptersUnderBothPartsNames) {
    ASSERT_TRUE(read("FEATURE_1"));
    const size_t before = rs.lines.size();
    // As the window's Demux after its Read XPL: every stream the title labels.
    request.earlier = EarlierReads{std::nullopt, playlist, true};
    demux(request, rs);

    const std::vector<std::string> lines(rs.lines.begin() + long(before), rs.lines.end());
    const std::string prefix = out / "FEATURE_1_2.";
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.begin() + 5),
              (std::vector<std::string>{"Creating " + prefix + "MPEG-2.stream.0.mpv",
                                        "Creating " + prefix + "DD+.6ch.stream.00.English.mpa",
                                        "Creating " + prefix + "chapters.xml"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Continue on FEATURE_2.EVO"), lines.end());

    const std::string xml = readText(prefix + "chapters.xml");
    EXPECT_EQ(elementTexts(xml, "ChapterTimeStart"),
              (std::vector<std::string>{"00:00:00.000000000", "00:10:00.583316667",
                                        "00:10:00.600000000", "00:19:01.640500000"}));
    EXPECT_EQ(elementTexts(xml, "ChapterString"),
              (std::vector<std::string>{"Opening", "Last frame", "Second part", "End"}));
    EXPECT_EQ(
        fileNamesIn(out.path()),
        (std::vector<std::string>{"FEATURE_1_2.DD+.6ch.stream.00.English.mpa",
                                  "FEATURE_1_2.MPEG-2.stream.0.mpv", "FEATURE_1_2.chapters.xml"}));
}

} // namespace
} // namespace splitwick::testing
