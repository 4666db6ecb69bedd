// Output names made from captions that a playlist may fill with anything.
#include <gtest/gtest.h>

#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "jobs/demux_outputs.h"
#include "jobs/output_names.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using maker::Codec;

TEST(SafeNamePart, ReplacesWhatCouldHideOrDisguiseANameAndKeepsTheRest) {
    const struct {
        std::string part, safe;
    } rows[] = {
        {"DD+.6ch.stream.00.English", "DD+.6ch.stream.00.English"},
        {"Fran\u00e7ais \u65e5\u672c\u8a9e \U0001F3AC",
         "Fran\u00e7ais \u65e5\u672c\u8a9e \U0001F3AC"},
        {"a/b/../c", "a_b_.._c"},
        {std::string("n\0ul\x01\x1F\t\r\n", 9), "n_ul_____"},
        {"del\x7F c1\xC2\x80\xC2\x9F next\xC2\xA0", "del_ c1__ next\u00a0"},
        {"ltr\u202Aover\u202Egpj.exe", "ltr_over_gpj.exe"},
        {"iso\u2066late\u2069", "iso_late_"},
        // A stray continuation byte, a cut sequence, an overlong "/", a surrogate, past U+10FFFF.
        {"\x80x\xE6\x97y\xC0\xAFz\xED\xA0\x80w\xF4\x90\x80\x80", "_x__y__z___w____"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(safeNamePart(row.part), row.safe) << row.part;
}

// The extension a box's stream file gets from its codec: that of the stream a scan found for
// the box, else of its caption when only a playlist labelled it (the table holds its mark, 1),
// else its kind's extension field. With the options off, the fields as they always were.
TEST(ExtensionsByCodec, FromTheScannedStreamElseTheCaptionElseTheField) {
    const struct {
        Box box;
        int32_t streamId;
        std::string caption;
        bool lpcmWav, byCodec;
        std::string name;
    } rows[] = {
        {{TrackKind::Video, 0}, 0xE0, "MPEG-2.stream.0", false, true, "MPEG-2.stream.0.m2v"},
        {{TrackKind::Video, 1}, 0xE3, "H.264.stream.1", false, true, "H.264.stream.1.h264"},
        {{TrackKind::Video, 0}, 0x55, "VC-1.stream.0", false, true, "VC-1.stream.0.vc1"},
        {{TrackKind::Audio, 0}, 0x80, "DD.stream.00", false, true, "DD.stream.00.ac3"},
        {{TrackKind::Audio, 4}, 0xC4, "DD+.stream.04", false, true, "DD+.stream.04.eac3"},
        {{TrackKind::Audio, 1}, 0x89, "DTSHD.stream.01", false, true, "DTSHD.stream.01.dts"},
        {{TrackKind::Audio, 3}, 0xB3, "MLP.stream.03", false, true, "MLP.stream.03.thd"},
        {{TrackKind::Audio, 2}, 0xA2, "LPCM.stream.02", false, true, "LPCM.stream.02.pcm"},
        {{TrackKind::Audio, 2}, 0xA2, "LPCM.stream.02", true, true, "LPCM.stream.02.wav"},
        {{TrackKind::Audio, 2}, 0xA2, "LPCM.stream.02", true, false, "LPCM.stream.02.wav"},
        {{TrackKind::Subpicture, 3}, 0x23, "Subpicture.03", false, true, "Subpicture.03.sup"},
        // The scan's stream outranks a caption that names another codec.
        {{TrackKind::Audio, 0},
         0x80,
         "DTS-HD.6ch.stream.00",
         false,
         true,
         "DTS-HD.6ch.stream.00.ac3"},
        // Labelled by the playlist only.
        {{TrackKind::Audio, 1},
         1,
         "DTS-HD.6ch.stream.01.English",
         false,
         true,
         "DTS-HD.6ch.stream.01.English.dts"},
        {{TrackKind::Audio, 5}, 1, "LPCM.2ch.stream.05", true, false, "LPCM.2ch.stream.05.wav"},
        {{TrackKind::Audio, 6}, 1, "Commentary", false, true, "Commentary.aud"},
        {{TrackKind::Video, 1}, -1, "Other", false, true, "Other.vid"},
        // Options off: the fields.
        {{TrackKind::Audio, 0}, 0x80, "DD.stream.00", false, false, "DD.stream.00.aud"},
        {{TrackKind::Video, 0}, 0x55, "VC-1.stream.0", false, false, "VC-1.stream.0.vid"},
        {{TrackKind::Subpicture, 3}, 0x23, "Subpicture.03", false, false, "Subpicture.03.sub"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder out;
        RecordingSession rs;
        JobRequest& request = rs.request();
        request.extensions[0] = "vid";
        request.extensions[1] = "aud";
        request.extensions[2] = "sub";
        request.lpcmWav = row.lpcmWav;
        request.extensionsByCodec = row.byCodec;
        OutputSet outputs;
        EXPECT_EQ(createBoxOutputs(outputs, rs.session, SplitTitle{}, out / "T", row.box,
                                   row.caption, row.streamId)
                      .path,
                  out / ("T." + row.name));
        EXPECT_EQ(outputs.wav(row.box.index) != nullptr,
                  row.box.kind == TrackKind::Audio && row.name.ends_with(".wav"));
    }
}

TEST(BoxOutputStem, CutsAnOverlongCaptionKeepingTheBoxPartAndWholeCharacters) {
    const Box audio5{TrackKind::Audio, 5};
    EXPECT_EQ(boxOutputStem("out/A_1_2", "DD+.stream.05", audio5, 3), "out/A_1_2.DD+.stream.05");
    // 5 bytes of "A_1_2", two dots, 3 of the extension and 3 of ".05": 242 bytes are left.
    EXPECT_EQ(boxOutputStem("out/A_1_2", std::string(400, 'x'), audio5, 3),
              "out/A_1_2." + std::string(242, 'x') + ".05");
    std::string accents;
    for (int i = 0; i < 10; ++i)
        accents += "\u00e9";
    // The 242nd byte would be the first half of an "\u00e9".
    EXPECT_EQ(boxOutputStem("out/A_1_2", std::string(241, 'x') + accents, audio5, 3),
              "out/A_1_2." + std::string(241, 'x') + ".05");
}

class HostileCaptions : public ::testing::Test {
  protected:
    void SetUp() override {
        maker::Recipe recipe;
        recipe.streams = {{Codec::DD, 0x80, 1}, {Codec::Subpicture, 0x21, 1}};
        recipe.size = 200000;
        maker::makeEvo(recipe, disc / "FEATURE_1.EVO");
        chooseEvo(rs, disc / "FEATURE_1.EVO");
        readEvo(rs);
    }
    TempFolder disc, out;
    RecordingSession rs;
};

TEST_F(HostileCaptions, ControlsBidiAndBrokenUtf8BecomeUnderscoresInTheNamesOnDiskAndInTheLog) {
    rs.session.streams[{TrackKind::Audio, 0}].label = "DD\x01.stream\u202E.00\xC2\x85\xFF/..";
    const Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(lines.at(2), "Creating " + out / "FEATURE_1.DD_.stream_.00___...mpa");
    EXPECT_EQ(
        fileNamesIn(out.path()),
        (std::vector<std::string>{"FEATURE_1.DD_.stream_.00___...mpa",
                                  "FEATURE_1.Subpicture.01.pts", "FEATURE_1.Subpicture.01.sup"}));
}

TEST_F(HostileCaptions, OverlongCaptionsAreCutSoTheJobRunsAndEachBoxKeepsItsOwnFiles) {
    // Two boxes whose captions differ only past the cut, and a subpicture whose .pts file
    // must fit as well as its stream file.
    rs.session.streams[{TrackKind::Audio, 1}].chosen = true;
    rs.session.streams[{TrackKind::Audio, 0}].label = std::string(300, 'a') + "0";
    rs.session.streams[{TrackKind::Audio, 1}].label = std::string(300, 'a') + "1";
    rs.session.streams[{TrackKind::Subpicture, 1}].label = std::string(300, 's');
    rs.session.request.extensions[2] = "subs";
    const Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(lines.at(lines.size() - 1 - frameCountLines(rs.state().frameCount).size()), "Done.");
    const std::string audio = "FEATURE_1." + std::string(238, 'a');
    const std::string sub = "FEATURE_1." + std::string(237, 's') + ".01";
    EXPECT_EQ(fileNamesIn(out.path()),
              (std::vector<std::string>{audio + ".00.mpa", audio + ".01.mpa", sub + ".pts",
                                        sub + ".subs"}));
    EXPECT_EQ((sub + ".subs").size(), MaxFileNameBytes);
}

} // namespace
} // namespace splitwick::testing
