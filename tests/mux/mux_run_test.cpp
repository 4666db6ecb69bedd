// A title of ffmpeg-encoded streams muxed by mkvmerge: every track as the plan labels it, under
// a C locale, with a title mkvmerge could take for an option file. The tracks' starts and frames
// are checked through the mkv command, on the same streams.
#include <filesystem>

#include "engine/output_file.h"
#include "jobs/chapter_file.h"
#include "mux_fixture.h"
#include "support/matroska_file.h"

namespace splitwick::testing {
namespace {

Box audio(int index) {
    return {BoxKind::Audio, index};
}

class MuxedTitle : public MuxTest {
  protected:
    // A name and a title of more than ASCII, and a title that begins with "@" (which mkvmerge
    // takes for an option file when it is an argument); mkvmerge runs under a C locale, in
    // which it would take neither.
    MuxPlan titlePlan() {
        MuxPlan plan = planFor("FEATURE_1");
        plan.title = "@Home: Ça commence";
        TitleChapters chapters{"fre", {{0, "Début"}, {1'500'000'000, "Suite"}}};
        plan.chapterFile = folder / "FEATURE_1.chapters.xml";
        OpenFiles files;
        OutputFile chapterFile(plan.chapterFile, files);
        writeChapterFile(chapterFile, chapters);
        chapterFile.close();

        MuxTrack video = track(Encoded::H264At24000_1001, {BoxKind::Video, 0}, MuxCodec::H264,
                               {"und", "", "H.264.stream.0"});
        video.frameRate = FrameRate{24000, 1001};
        MuxTrack lpcm = track(Encoded::Lpcm16Stereo, audio(4), MuxCodec::LpcmWav,
                              {"spa", "forced", "LPCM.stream.04"}, 100);
        lpcm.path = lpcmWav(Encoded::Lpcm16Stereo, folder / "Piste française.wav");
        plan.tracks = {
            video,
            track(Encoded::Ac3, audio(0), MuxCodec::Ac3, {"eng", "normal", "English"}, 100),
            track(Encoded::Eac3, audio(1), MuxCodec::Eac3,
                  {"ger", "commentary", "Kommentar des Regisseurs"}, -50),
            track(Encoded::Dts, audio(2), MuxCodec::Dts,
                  {"fre", "visually-impaired", "Français audiodescription"}),
            track(Encoded::TrueHd, audio(3), MuxCodec::TrueHd, {"jpn", "hearing-impaired", ""},
                  100),
            lpcm,
        };
        // The playlist's first audio track is the third box's stream.
        plan.playlistFirstAudio = audio(2);
        return plan;
    }

    MuxOutcome muxInCLocale(const MuxPlan& plan) {
        ScopedEnvironment locale("LC_ALL", "C");
        return run(plan);
    }
};

TEST_F(MuxedTitle, TracksCarryTheirCodecsLabelsAndFlagsWithTitleAndChapters) {
    const MuxPlan plan = titlePlan();
    // While mkvmerge reports progress, only the partial file exists.
    int partialSeen = 0, finalSeen = 0;
    report.onProgress = [&] {
        partialSeen += partialExists(plan.output);
        finalSeen += std::filesystem::exists(plan.output);
    };
    const MuxOutcome outcome = muxInCLocale(plan);
    ASSERT_EQ(outcome.end, MuxEnd::Muxed) << outcome.error;
    ASSERT_FALSE(report.progress.empty());
    EXPECT_EQ(partialSeen, int(report.progress.size()));
    EXPECT_EQ(finalSeen, 0);
    EXPECT_EQ(report.progress.back(), "Muxing FEATURE_1.mkv 100%, Remaining time: 0:00:01");
    EXPECT_EQ(report.lines,
              (std::vector<std::string>{"Muxing " + plan.output, "Muxed " + plan.output}));
    EXPECT_EQ(report.panels, (std::array<std::string, 2>{"Ready", ""}));
    EXPECT_EQ(fileNamesIn(folder.path()),
              (std::vector<std::string>{"FEATURE_1.chapters.xml", "FEATURE_1.mkv",
                                        "Piste française.wav"}));

    const MkvFile mkv = identifyMkv(plan.output);
    EXPECT_EQ(mkv.title, "@Home: Ça commence");
    EXPECT_EQ(mkv.chapters, 2);
    EXPECT_EQ(mkv.tracks,
              (std::vector<MkvTrack>{
                  {"V_MPEG4/ISO/AVC", "und", "H.264.stream.0", true, false, false, false, false},
                  {"A_AC3", "eng", "English", false, false, false, false, false},
                  {"A_EAC3", "ger", "Kommentar des Regisseurs", false, true, false, false, false},
                  {"A_DTS", "fre", "Français audiodescription", true, false, true, false, false},
                  {"A_TRUEHD", "jpn", "", false, false, false, true, false},
                  {"A_PCM/INT/LIT", "spa", "LPCM.stream.04", false, false, false, false, true},
              }));
    // 24000/1001 frames a second.
    EXPECT_EQ(mkv.videoDefaultDurationNs, 41708333);

    EXPECT_EQ(outputLines("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                          "-of csv=p=0 " +
                          inQuotes(plan.output)),
              (std::vector<std::string>{"0.000000,Début", "1.500000,Suite"}));
}

} // namespace
} // namespace splitwick::testing
