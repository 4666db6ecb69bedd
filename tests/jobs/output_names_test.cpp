// Output names made from captions that a playlist may fill with anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "evo_maker/evo_maker.h"
#include "job_runs.h"
#include "jobs/output_names.h"
#include "jobs/plan.h"
#include "jobs/title_parts.h"
#include "support/recording_events.h"
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

// The track of this identifier as a scan meets it, labelled as given.
LabelledTrack labelled(IdField field, uint8_t id, const std::string& label) {
    for (const StreamCodec& codec : StreamCodecs)
        if (codec.field == field && codec.name != nullptr && codec.scanned.holds(id))
            return {{{field, id}, &codec}, label, "", true};
    ADD_FAILURE() << "no codec for " << hexId(id);
    return {};
}

// The extension a track's stream file gets: by its codec when asked for (that of the stream the
// scan found, whatever its label says), else its kind's extension field; "wav" for LPCM as WAV.
TEST(ExtensionsByCodec, FromTheScannedStreamElseTheField) {
    const struct {
        IdField field;
        uint8_t id;
        std::string label;
        bool lpcmWav, byCodec;
        std::string name;
    } rows[] = {
        {IdField::StreamId, 0xE0, "MPEG-2.stream.0", false, true, "MPEG-2.stream.0.m2v"},
        {IdField::StreamId, 0xE3, "H.264.stream.1", false, true, "H.264.stream.1.h264"},
        {IdField::Extension, 0x55, "VC-1.stream.0", false, true, "VC-1.stream.0.vc1"},
        {IdField::SubStream, 0x80, "DD.stream.00", false, true, "DD.stream.00.ac3"},
        {IdField::SubStream, 0xC4, "DD+.stream.04", false, true, "DD+.stream.04.eac3"},
        {IdField::SubStream, 0x89, "DTSHD.stream.01", false, true, "DTSHD.stream.01.dts"},
        {IdField::SubStream, 0xB3, "MLP.stream.03", false, true, "MLP.stream.03.thd"},
        {IdField::SubStream, 0xA2, "LPCM.stream.02", false, true, "LPCM.stream.02.pcm"},
        {IdField::SubStream, 0xA2, "LPCM.stream.02", true, true, "LPCM.stream.02.wav"},
        {IdField::SubStream, 0xA2, "LPCM.stream.02", true, false, "LPCM.stream.02.wav"},
        {IdField::SubStream, 0x23, "Subpicture.03", false, true, "Subpicture.03.sup"},
        // The scan's stream outranks a label that names another codec.
        {IdField::SubStream, 0x80, "DTS-HD.6ch.stream.00", false, true, "DTS-HD.6ch.stream.00.ac3"},
        // Options off: the fields.
        {IdField::SubStream, 0x80, "DD.stream.00", false, false, "DD.stream.00.aud"},
        {IdField::Extension, 0x55, "VC-1.stream.0", false, false, "VC-1.stream.0.vid"},
        {IdField::SubStream, 0x23, "Subpicture.03", false, false, "Subpicture.03.sub"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        JobRequest request;
        request.evoPath = "T.EVO";
        request.outputFolder = "out";
        request.extensions = {"vid", "aud", "sub"};
        request.lpcmWav = row.lpcmWav;
        request.extensionsByCodec = row.byCodec;
        const TrackPlan plan = Planner(request, titleParts(request), nullptr)
                                   .track(labelled(row.field, row.id, row.label));
        EXPECT_EQ(plan.file, "out/T." + row.name);
        EXPECT_EQ(plan.form == FileForm::Wav, row.name.ends_with(".wav"));
    }
}

TEST(TrackOutputStem, CutsAnOverlongLabelKeepingTheNumberAndWholeCharacters) {
    const TrackName audio5{TrackKind::Audio, 5};
    EXPECT_EQ(trackOutputStem("out/A_1_2", "DD+.stream.05", audio5, 3), "out/A_1_2.DD+.stream.05");
    // 5 bytes of "A_1_2", two dots, 3 of the extension and 3 of ".05": 242 bytes are left.
    EXPECT_EQ(trackOutputStem("out/A_1_2", std::string(400, 'x'), audio5, 3),
              "out/A_1_2." + std::string(242, 'x') + ".05");
    std::string accents;
    for (int i = 0; i < 10; ++i)
        accents += "\u00e9";
    // The 242nd byte would be the first half of an "\u00e9".
    EXPECT_EQ(trackOutputStem("out/A_1_2", std::string(241, 'x') + accents, audio5, 3),
              "out/A_1_2." + std::string(241, 'x') + ".05");
}

class HostileCaptions : public ::testing::Test {
  protected:
    void SetUp() override {
        maker::Recipe recipe;
        recipe.streams = {{Codec::DD, 0x80, 1}, {Codec::DD, 0x81, 1}, {Codec::Subpicture, 0x21, 1}};
        recipe.size = 200000;
        maker::makeEvo(recipe, disc / "FEATURE_1.EVO");
        chooseEvo(rs, disc / "FEATURE_1.EVO");
        readEvo(rs);
    }
    TempFolder disc, out;
    WindowRuns rs;
};

TEST_F(HostileCaptions, ControlsBidiAndBrokenUtf8BecomeUnderscoresInTheNamesOnDiskAndInTheLog) {
    rs.relabel({{{TrackKind::Audio, 0}, "DD\x01.stream\u202E.00\xC2\x85\xFF/.."},
                {{TrackKind::Subpicture, 1}, "Subpicture.01"}});
    const Lines lines = demuxInto(rs, out.path());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Creating " + out / "FEATURE_1.DD_.stream_.00___...mpa"),
              lines.end());
    EXPECT_EQ(
        fileNamesIn(out.path()),
        (std::vector<std::string>{"FEATURE_1.DD_.stream_.00___...mpa",
                                  "FEATURE_1.Subpicture.01.pts", "FEATURE_1.Subpicture.01.sup"}));
}

TEST_F(HostileCaptions, OverlongCaptionsAreCutSoTheJobRunsAndEachBoxKeepsItsOwnFiles) {
    // Two boxes whose captions differ only past the cut, and a subpicture whose .pts file
    // must fit as well as its stream file.
    rs.relabel({{{TrackKind::Audio, 0}, std::string(300, 'a') + "0"},
                {{TrackKind::Audio, 1}, std::string(300, 'a') + "1"},
                {{TrackKind::Subpicture, 1}, std::string(300, 's')}});
    rs.request.extensions[2] = "subs";
    const Lines lines = demuxInto(rs, out.path());
    EXPECT_EQ(lines.at(lines.size() - 1 - frameCountLines(rs.frames).size()), "Done.");
    const std::string audio = "FEATURE_1." + std::string(238, 'a');
    const std::string sub = "FEATURE_1." + std::string(237, 's') + ".01";
    EXPECT_EQ(fileNamesIn(out.path()),
              (std::vector<std::string>{audio + ".00.mpa", audio + ".01.mpa", sub + ".pts",
                                        sub + ".subs"}));
    EXPECT_EQ((sub + ".subs").size(), MaxFileNameBytes);
}

} // namespace
} // namespace splitwick::testing
