// Output names made from captions that a playlist may fill with anything.
#include <gtest/gtest.h>

#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "jobs/output_names.h"
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

TEST(BoxOutputStem, CutsAnOverlongCaptionKeepingTheBoxPartAndWholeCharacters) {
    const Box audio5{BoxKind::Audio, 5};
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
    rs.controls.setCaption({BoxKind::Audio, 0}, "DD\x01.stream\u202E.00\xC2\x85\xFF/..");
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
    rs.controls.setTicked({BoxKind::Audio, 1}, true);
    rs.controls.setCaption({BoxKind::Audio, 0}, std::string(300, 'a') + "0");
    rs.controls.setCaption({BoxKind::Audio, 1}, std::string(300, 'a') + "1");
    rs.controls.setCaption({BoxKind::Subpicture, 1}, std::string(300, 's'));
    rs.controls.setField(Field::SubExt, "subs");
    const Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(lines.at(lines.size() - 1 - frameCountLines(rs.state().FrameCount).size()), "Done.");
    const std::string audio = "FEATURE_1." + std::string(238, 'a');
    const std::string sub = "FEATURE_1." + std::string(237, 's') + ".01";
    EXPECT_EQ(fileNamesIn(out.path()),
              (std::vector<std::string>{audio + ".00.mpa", audio + ".01.mpa", sub + ".pts",
                                        sub + ".subs"}));
    EXPECT_EQ((sub + ".subs").size(), MaxFileNameBytes);
}

} // namespace
} // namespace splitwick::testing
