// splitwick-cli mkv on a disc of ffmpeg-encoded streams and its playlist: one command from the
// EVO to a Matroska file whose tracks carry the playlist's codecs, languages, names, flags,
// title and chapters, and every frame they went in with.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "cli_program.h"
#include "playlist_writer.h"
#include "support/fake_mkvmerge.h"
#include "support/matroska_file.h"
#include "support/muxed_title_checks.h"
#include "support/pes_fixture.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

QJsonObject jsonOf(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// The disc: HVDVD_TS/FEATURE_1.EVO of H.264 video, AC-3, E-AC-3, DTS, TrueHD and LPCM audio
// in audio boxes 0 to 4, and ADV_OBJ/VPLST000.XPL, whose title names and labels them.
struct EncodedDisc {
    TempFolder dir;
    std::string evo = dir / "HVDVD_TS/FEATURE_1.EVO";
    std::string xpl = dir / "ADV_OBJ/VPLST000.XPL";
    std::string out = dir / "out";

    explicit EncodedDisc(const EncodedTitle& title) {
        std::filesystem::create_directories(dir / "HVDVD_TS");
        std::filesystem::create_directories(dir / "ADV_OBJ");
        std::filesystem::create_directories(out);
        makeEncodedEvo(title, evo);
        writeTextFile(xpl, xmlDocument(playlist()));
    }

    // The playlist's first audio track (track 1) is the DTS stream of box 2; the E-AC-3
    // stream is the director's commentary, the DTS one for the visually impaired.
    static XmlElement playlist() {
        XmlElement dts = audio(3, 3, "Français audiodescription");
        dts.set("track", "1");
        XmlElement ac3 = audio(1, 1, "English");
        ac3.set("track", "3");
        const std::vector<XmlElement> streams = {video(1, 1),
                                                 ac3,
                                                 audio(2, 2, "Director's commentary"),
                                                 dts,
                                                 audio(4, 4, "Japanese"),
                                                 audio(5, 5, "Español PCM")};
        return playlistRoot(
            "ENCODED DISC",
            {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2"), audioItem(2, "DD+", "2"),
             audioItem(3, "DTS-HD", "2"), audioItem(4, "MLP", "2"), audioItem(5, "LPCM", "2")},
            {title(1, "Le Film : Ça commence", "00:00:03:00",
                   {clip("FEATURE_1", streams, "00:00:00:00", "00:00:03:00"),
                    chapterList({chapter("00:00:00:00", "Début"), chapter("00:00:01:30", "Suite")}),
                    trackNavigationList({videoTrack(1), audioTrack(1, "fr:02"),
                                         audioTrack(2, "de:03"), audioTrack(3, "en:01"),
                                         audioTrack(4, "ja:01"), audioTrack(5, "es:01")})})});
    }
};

const EncodedTitle WholeTitle = {{{Encoded::H264At24000_1001, 0},
                                  {Encoded::Ac3, 100},
                                  {Encoded::Eac3, -50},
                                  {Encoded::Dts, 0},
                                  {Encoded::TrueHd, 100},
                                  {Encoded::Lpcm16Stereo, 0}}};

// One mux of the disc for every test of it: mkvmerge runs are slow.
class MkvOfDisc : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        disc = new EncodedDisc(WholeTitle);
        result = new ProcessResult(
            cli({"mkv", disc->evo, "--xpl", disc->xpl, "--out", disc->out, "--json"}));
        mkv = disc->out + "/FEATURE_1.mkv";
    }
    static void TearDownTestSuite() {
        delete result;
        delete disc;
    }

    static EncodedDisc* disc;
    static ProcessResult* result;
    static std::string mkv;
};

EncodedDisc* MkvOfDisc::disc = nullptr;
ProcessResult* MkvOfDisc::result = nullptr;
std::string MkvOfDisc::mkv;

TEST_F(MkvOfDisc, LeavesOnlyTheMkvAndSaysWhatItHolds) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    // The working folder went once the file was made.
    EXPECT_EQ(fileNamesIn(disc->out), std::vector<std::string>{"FEATURE_1.mkv"});

    const QJsonObject json = jsonOf(result->out);
    EXPECT_FALSE(json["cancelled"].toBool());
    const QJsonObject made = json["mkv"].toObject();
    EXPECT_EQ(made["file"].toString().toStdString(), mkv);
    EXPECT_EQ(made["chapters"].toInt(), 2);
    const QJsonArray tracks = made["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 6);
    EXPECT_EQ(QJsonDocument(tracks[2].toObject()).toJson(QJsonDocument::Compact).toStdString(),
              R"({"box":"cbAudio01","codec":"E-AC-3","delay_ms":-50,"language":"ger",)"
              R"("name":"Director's commentary"})");
    const QJsonArray log = json["log"].toArray();
    EXPECT_EQ(log[log.size() - 1].toString().toStdString(), "Muxed " + mkv);

    // Off a terminal, the demux and the mux are one line of progress that steps by 5 % to its
    // end, with one time-left estimate; each phase began its own from 0.
    std::vector<int> percents;
    std::istringstream err(result->err);
    for (std::string line; std::getline(err, line);) {
        int percent = 0;
        if (std::sscanf(line.c_str(), "FEATURE_1.mkv %d %%, Remaining time: ", &percent) == 1)
            percents.push_back(percent);
        else if (line.starts_with("Demuxing") || line.starts_with("Muxing"))
            ADD_FAILURE() << "a phase's own progress: " << line;
    }
    ASSERT_FALSE(percents.empty()) << result->err;
    EXPECT_EQ(percents.back(), 100);
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_GT(percents[i] / 5, percents[i - 1] / 5) << result->err;
}

TEST_F(MkvOfDisc, TracksCarryThePlaylistsCodecsLanguagesNamesAndFlags) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    const MkvFile identified = identifyMkv(mkv);
    EXPECT_EQ(identified.title, "Le Film : Ça commence");
    EXPECT_EQ(identified.chapters, 2);
    // The playlist's first audio track plays by default; video is named after its box.
    EXPECT_EQ(identified.tracks,
              (std::vector<MkvTrack>{
                  {"V_MPEG4/ISO/AVC", "und", "MPEG-4 AVC.stream.0", true},
                  {"A_AC3", "eng", "English", false},
                  {"A_EAC3", "ger", "Director's commentary", false, true},
                  {"A_DTS", "fre", "Français audiodescription", true, false, true},
                  {"A_TRUEHD", "jpn", "Japanese", false},
                  {"A_PCM/INT/LIT", "spa", "Español PCM", false},
              }));
    // The rate measured, 24000/1001 frames a second.
    EXPECT_EQ(identified.videoDefaultDurationNs, 41708333);
    EXPECT_EQ(outputLines("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                          "-of csv=p=0 " +
                          inQuotes(mkv)),
              (std::vector<std::string>{"0.000000,Début", "1.501500,Suite"}));
}

// The picture starts at 0, AC-3 and TrueHD 100 ms after it, E-AC-3 50 ms before it.
TEST_F(MkvOfDisc, TracksStartAtTheirDelaysAndDecodeAsTheSources) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    expectTracksStartAtDelaysWithTheSourcesFrames(mkv,
                                                  {{0, 0}, {1, 100}, {3, 0}, {4, 100}, {5, 0}});
}

// A split title: FEATURE_1.EVO and FEATURE_2.EVO give one FEATURE_1_2.mkv.
TEST(MkvCommand, SplitTitleGivesOneMkvAsLongAsBothParts) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}, 90000, 2});
    ASSERT_TRUE(std::filesystem::exists(disc.dir / "HVDVD_TS/FEATURE_2.EVO"));
    const auto r = cli({"mkv", disc.evo, "--out", disc.out, "--keep-streams"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string mkv = disc.out + "/FEATURE_1_2.mkv";
    const std::string work = disc.out + "/FEATURE_1_2.streams";
    EXPECT_EQ(fileNamesIn(disc.out),
              (std::vector<std::string>{"FEATURE_1_2.mkv", "FEATURE_1_2.streams"}));
    EXPECT_EQ(fileNamesIn(work), (std::vector<std::string>{"FEATURE_1_2.DD.stream.00.ac3",
                                                           "FEATURE_1_2.H.264.stream.0.h264"}));
    EXPECT_NE(r.out.find("The demuxed streams are kept in " + work + "\n"), std::string::npos);

    // The encoded stream's 72 frames at 24000/1001, within one frame.
    const double frame = 1001.0 / 24000;
    const double duration = std::stod(
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + inQuotes(mkv)));
    EXPECT_NEAR(duration, 72 * frame, frame);
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:v:0")),
              frameHashes(elementary("h264", Encoded::H264At24000_1001)));
}

// Made packs carry no coded pictures or sound: mkvmerge cannot recognise their streams. The
// subpicture stream, converted to PGS, has no unit to show: no track is made of it.
struct UnmuxableEvo {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    std::string work = dir / "FEATURE_1.streams";
    UnmuxableEvo() {
        writeBytes(
            evo, systemHeaderPack(1, 1) +
                     repeat(videoPack(0xE0, 3) + audioPack(0x80, 0xAA) + audioPack(0x20, 0xCC), 5));
    }
    std::vector<std::string> streams() const {
        return {"FEATURE_1.DD.stream.00.ac3", "FEATURE_1.MPEG-2.stream.0.m2v",
                "FEATURE_1.Subpicture.00.sup"};
    }
    // The output folder after the demux.
    std::vector<std::string> folder() const { return {"FEATURE_1.EVO", "FEATURE_1.streams"}; }
};

TEST(MkvCommand, FailedMuxKeepsTheStreamsAndNamesTheirFolder) {
    UnmuxableEvo made;
    const auto r = cli({"mkv", made.evo, "--out", made.dir.path(), "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "mkvmerge failed to write \"" + made.dir / "FEATURE_1.mkv" +
                         "\": The type of file '" + made.work +
                         "/FEATURE_1.MPEG-2.stream.0.m2v' could not be recognized.\n"
                         "The demuxed streams are kept in " +
                         made.work + ".\n");
    EXPECT_EQ(fileNamesIn(made.dir.path()), made.folder());
    EXPECT_EQ(fileNamesIn(made.work), made.streams());
    EXPECT_NE(r.out.find("\nNot in FEATURE_1.mkv (no subtitle to show): "
                         "FEATURE_1.Subpicture.00.sup\nMuxing "),
              std::string::npos)
        << r.out;
}

// A source that could not be opened left an empty working folder, named in the error as if it
// held streams.
TEST(MkvRegression, UnopenableSourceLeavesNoWorkingFolder) {
    UnmuxableEvo made;
    const auto missing = cli({"mkv", made.dir / "FEATURE_2.EVO", "--out", made.dir.path(), "-q"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Cannot open file \"" + made.dir / "FEATURE_2.EVO" +
                               "\". No such file or directory.\n");
    EXPECT_EQ(fileNamesIn(made.dir.path()), std::vector<std::string>{"FEATURE_1.EVO"});
}

// mkvmerge missing, found out before the demux, then stopped by Ctrl-C (a stand-in that
// reports progress and waits).
TEST(MkvCommand, MissingOrStoppedMkvmergeLeavesNoMkvAndKeepsTheStreams) {
    UnmuxableEvo made;
    TempFolder bin;
    const std::string path = "PATH=" + bin.path();
    const auto missing =
        runProcess({"/usr/bin/env", path, Cli, "mkv", made.evo, "--out", made.dir.path(), "-q"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "mkvmerge was not found: install the mkvtoolnix package.\n");
    EXPECT_FALSE(std::filesystem::exists(made.work));

    const std::string fake = bin / "mkvmerge";
    writeTextFile(fake, "#!/bin/sh\necho '#GUI#progress 10%'\nexec /bin/sleep 60\n");
    ::chmod(fake.c_str(), 0755);
    const auto stopped =
        runProcess({"/usr/bin/env", path, Cli, "mkv", made.evo, "--out", made.dir.path(), "-q"},
                   [](const std::string& line, int pid) {
                       if (line.starts_with("Muxing ")) ::kill(pid, SIGINT);
                   });
    EXPECT_EQ(stopped.exitCode, 128 + SIGINT);
    EXPECT_EQ(stopped.err, "Stopped. The demuxed streams are kept in " + made.work + ".\n");
    EXPECT_EQ(stopped.out.substr(stopped.out.find("Muxing ")),
              "Muxing " + made.dir / "FEATURE_1.mkv\nMuxing stopped\n");
    EXPECT_EQ(fileNamesIn(made.dir.path()), made.folder());
    EXPECT_EQ(fileNamesIn(made.work), made.streams());
}

// The command line with a stand-in for mkvmerge first on its PATH.
ProcessResult cliWithMkvmerge(const TempFolder& bin, std::vector<std::string> args,
                              const std::function<void(const std::string&, int)>& onLine = {}) {
    args.insert(args.begin(),
                {"/usr/bin/env", "PATH=" + bin.path() + ":" + std::getenv("PATH"), Cli});
    return runProcess(args, onLine);
}

// Runs that must not start: their .mkv would replace the source, or the name of their working
// folder is a file's. Nothing is touched, though the stand-in for mkvmerge would write.
TEST(MkvRegression, RunThatWouldReplaceTheSourceOrAFileDoesNotStart) {
    const struct {
        const char* name;
        const char* source;  // the EVO's name in the folder
        const char* blocker; // a file made before the run; empty for none
        const char* error;   // behind the folder's path
    } rows[] = {
        {"source named STEM.mkv", "FEATURE_1.mkv", "",
         "Cannot create file \"DIR/FEATURE_1.mkv\". The file is already in use by this job."},
        {"STEM.streams a file", "FEATURE_1.EVO", "FEATURE_1.streams",
         "\"DIR/FEATURE_1.streams\" is a file: the streams of DIR/FEATURE_1.mkv are demuxed "
         "into a folder of that name. Move it, or choose another --out."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UnmuxableEvo made;
        TempFolder bin;
        writeFakeMkvmerge(bin.path(), "echo made > \"$out\"");
        const std::string source = made.dir / row.source;
        std::filesystem::rename(made.evo, source);
        const Bytes original = readBytes(source);
        if (*row.blocker != '\0') writeTextFile(made.dir / row.blocker, "mine");
        const std::vector<std::string> before = fileNamesIn(made.dir.path());

        const auto r = cliWithMkvmerge(bin, {"mkv", source, "--out", made.dir.path(), "-q"});
        EXPECT_EQ(r.exitCode, 1);
        std::string error = row.error;
        for (size_t at; (at = error.find("DIR")) != std::string::npos;)
            error.replace(at, 3, made.dir.path());
        EXPECT_EQ(r.err, error + "\n");
        EXPECT_EQ(fileNamesIn(made.dir.path()), before);
        EXPECT_EQ(readBytes(source), original);
    }
}

// Two runs for one .mkv at once: the second must not write into, or remove, the streams the
// first one's mkvmerge reads.
TEST(MkvRegression, SecondRunForTheSameMkvIsRefusedWhileTheFirstRuns) {
    UnmuxableEvo made;
    TempFolder bin;
    writeFakeMkvmerge(bin.path(), "echo '#GUI#progress 10%'\nexec /bin/sleep 60");
    ProcessResult second;
    const auto first = cliWithMkvmerge(
        bin, {"mkv", made.evo, "--out", made.dir.path(), "-q"},
        [&](const std::string& line, int pid) {
            // Once: "Muxing stopped" follows.
            if (!line.starts_with("Muxing ") || second.exitCode >= 0) return;
            second = cliWithMkvmerge(bin, {"mkv", made.evo, "--out", made.dir.path(), "-q"});
            ::kill(pid, SIGINT);
        });
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err, "Another run is making " + made.dir / "FEATURE_1.mkv" +
                              " from the streams in " + made.work + ": wait for it to end.\n");
    EXPECT_EQ(first.exitCode, 128 + SIGINT);
    EXPECT_EQ(fileNamesIn(made.work), made.streams());
}

// A folder and a source whose names begin with "+" and "=", given as relative paths: mkvmerge
// must take them for file names.
TEST(MkvRegression, NamesBeginningWithPlusOrEqualsAreMuxed) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
    std::filesystem::rename(disc.evo, disc.dir / "=A.EVO");
    std::filesystem::create_directory(disc.dir / "+out");
    const auto r = runProcess({"/bin/sh", "-c",
                               "cd " + inQuotes(disc.dir.path()) + " && exec " + inQuotes(Cli) +
                                   " mkv =A.EVO --out +out -q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fileNamesIn(disc.dir / "+out"), std::vector<std::string>{"=A.mkv"});
    EXPECT_EQ(identifyMkv(disc.dir / "+out/=A.mkv").tracks.size(), 2u);
}

// mkv demuxes LPCM as WAV without a choice: its error for a format change offers what it has.
TEST(MkvRegression, LpcmFormatChangeAdvisesLeavingTheStreamOut) {
    TempFolder dir;
    writeBytes(dir / "FEATURE_1.EVO", lpcmFormatChangeFile());
    const auto r = cli({"mkv", dir / "FEATURE_1.EVO", "--out", dir.path(), "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "LPCM audio stream 1 changes from 16-bit 2-channel 48000 Hz to 24-bit "
                     "2-channel 48000 Hz after 1009 sample frames; a WAV file holds one format. "
                     "Leave the stream out of the .mkv with --streams.\n");
    EXPECT_EQ(fileNamesIn(dir.path()), std::vector<std::string>{"FEATURE_1.EVO"});
}

} // namespace
} // namespace splitwick::testing
