// splitwick-cli mkv on a disc of ffmpeg-encoded streams and its playlist: one command from the
// EVO to a Matroska file whose tracks carry the playlist's codecs, languages, names, flags,
// title and chapters, and every frame they went in with.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <bit>
#include <csignal>
#include <filesystem>
#include <sstream>

#include "cli_program.h"
#include "playlist_writer.h"
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

// One run over the disc for every test of it.
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
    // Nothing but the .mkv is written.
    EXPECT_EQ(fileNamesIn(disc->out), std::vector<std::string>{"FEATURE_1.mkv"});

    const QJsonObject json = jsonOf(result->out);
    EXPECT_FALSE(json["cancelled"].toBool());
    const QJsonObject made = json["mkv"].toObject();
    EXPECT_EQ(made["file"].toString().toStdString(), mkv);
    EXPECT_EQ(made["chapters"].toInt(), 2);
    const QJsonArray tracks = made["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 6);
    EXPECT_EQ(QJsonDocument(tracks[2].toObject()).toJson(QJsonDocument::Compact).toStdString(),
              R"({"box":"cbAudio01","codec":"E-AC-3","default":false,"delay_ms":-50,)"
              R"("forced":false,"language":"ger","name":"Director's commentary"})");
    const QJsonArray log = json["log"].toArray();
    EXPECT_EQ(log[log.size() - 1].toString().toStdString(), "Muxed " + mkv);

    // Off a terminal, the pass that makes the .mkv is one line of progress that steps by 5 % to
    // its end, with one time-left estimate.
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

// Of the file's clusters (EBML id 1F 43 B6 75): how many, and how many begin with a CRC-32
// element (BF 84) of their content.
std::pair<int, int> clustersAndCrcs(const Bytes& file) {
    const Bytes cluster = {0x1F, 0x43, 0xB6, 0x75};
    int clusters = 0, crcs = 0;
    for (auto at = std::search(file.begin(), file.end(), cluster.begin(), cluster.end());
         at != file.end(); at = std::search(at + 4, file.end(), cluster.begin(), cluster.end())) {
        const size_t sizeAt = size_t(at - file.begin()) + 4;
        if (sizeAt >= file.size() || file[sizeAt] == 0) continue;
        const size_t sizeLength = size_t(std::countl_zero(file[sizeAt])) + 1;
        const size_t contentAt = sizeAt + sizeLength;
        ++clusters;
        if (contentAt + 1 < file.size() && file[contentAt] == 0xBF && file[contentAt + 1] == 0x84)
            ++crcs;
    }
    return {clusters, crcs};
}

// The cluster CRC is off by default, as in mkvmerge's files (it cost a third of the mux), and
// --crc writes one into every cluster; the frames are the same either way.
TEST_F(MkvOfDisc, ClustersCarryACrcOnlyWithTheCrcOption) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    const auto [clusters, crcs] = clustersAndCrcs(readBytes(mkv));
    EXPECT_GT(clusters, 0);
    EXPECT_EQ(crcs, 0);
    const std::string withCrc = disc->dir / "crc";
    std::filesystem::create_directory(withCrc);
    const auto r = cli({"mkv", disc->evo, "--xpl", disc->xpl, "--out", withCrc, "--crc", "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto [crcClusters, crcCrcs] = clustersAndCrcs(readBytes(withCrc + "/FEATURE_1.mkv"));
    EXPECT_EQ(crcClusters, clusters);
    EXPECT_EQ(crcCrcs, clusters);
    const std::string frames = "ffmpeg -nostdin -v error -i ";
    EXPECT_EQ(outputLines(frames + inQuotes(mkv) + " -map 0 -c copy -f framemd5 -"),
              outputLines(frames + inQuotes(withCrc + "/FEATURE_1.mkv") +
                          " -map 0 -c copy -f framemd5 -"));
}

TEST_F(MkvOfDisc, TracksCarryThePlaylistsCodecsLanguagesNamesAndFlags) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    const MkvFile identified = identifyMkv(mkv);
    EXPECT_EQ(identified.title, "Le Film : Ça commence");
    EXPECT_EQ(identified.chapters, 2);
    // The first audio track of the TitleSet's default language, English, plays by default,
    // not the playlist's first (French); video is named after its box.
    EXPECT_EQ(identified.tracks,
              (std::vector<MkvTrack>{
                  {"V_MPEG4/ISO/AVC", "und", "MPEG-4 AVC.stream.0", true},
                  {"A_AC3", "eng", "English", true},
                  {"A_EAC3", "ger", "Director's commentary", false, true},
                  {"A_DTS", "fre", "Français audiodescription", false, false, true},
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
    EXPECT_EQ(decodingErrors(mkv), "");
    expectTracksStartAtDelaysWithTheSourcesFrames(mkv,
                                                  {{0, 0}, {1, 100}, {3, 0}, {4, 100}, {5, 0}});
}

// A split title: FEATURE_1.EVO and FEATURE_2.EVO give one FEATURE_1_2.mkv, which plays on
// across the seam; the streams kept are written beside it in the same pass.
TEST(MkvCommand, SplitTitleGivesOneMkvThatPlaysOnAcrossTheSeam) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}, 90000, 2});
    ASSERT_TRUE(std::filesystem::exists(disc.dir / "HVDVD_TS/FEATURE_2.EVO"));
    const auto r = cli({"mkv", disc.evo, "--out", disc.out, "--keep-streams"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string mkv = disc.out + "/FEATURE_1_2.mkv";
    EXPECT_EQ(fileNamesIn(disc.out),
              (std::vector<std::string>{"FEATURE_1_2.DD.stream.00.ac3",
                                        "FEATURE_1_2.H.264.stream.0.h264", "FEATURE_1_2.mkv"}));
    EXPECT_EQ(readBytes(disc.out + "/FEATURE_1_2.DD.stream.00.ac3"),
              readBytes(encoded(Encoded::Ac3).es));

    // The encoded stream's 72 frames at 24000/1001, within one frame.
    const double frame = 1001.0 / 24000;
    const double duration = std::stod(
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + inQuotes(mkv)));
    EXPECT_NEAR(duration, 72 * frame, frame);
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:v:0")),
              frameHashes(elementary("h264", Encoded::H264At24000_1001)));
    EXPECT_EQ(decodingErrors(mkv), "");
    // Presented in order, each frame one frame after the one before, the seam included; the
    // sound likewise, a frame of 1536 samples after the other.
    const struct {
        const char* track;
        double stepMs;
    } tracks[] = {{"v:0", frame * 1000}, {"a:0", 32}};
    for (const auto& track : tracks) {
        SCOPED_TRACE(track.track);
        std::vector<double> times = packetTimesMs(mkv, track.track);
        std::sort(times.begin(), times.end());
        ASSERT_GT(times.size(), 2u);
        for (size_t i = 1; i < times.size(); ++i)
            EXPECT_NEAR(times[i] - times[i - 1], track.stepMs, 1.0) << "at " << times[i];
    }
}

// Made packs carry no coded pictures or sound: no frame of theirs can go into the .mkv. Without
// its chosen video the run fails naming it and keeps nothing; without the video chosen, the
// sound is left out with a line and the subpicture stream, converted to PGS, makes a track.
TEST(MkvCommand, StreamsWithoutFramesAreNamedAndLeftOut) {
    TempFolder dir;
    const std::string evo = dir / "FEATURE_1.EVO";
    writeBytes(evo,
               systemHeaderPack(1, 1) +
                   repeat(videoPack(0xE0, 3) + audioPack(0x80, 0xAA) + audioPack(0x20, 0xCC), 5));
    const auto all = cli({"mkv", evo, "--out", dir.path(), "-q"});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.err, "FEATURE_1.mkv not written: no frame found in MPEG-2.stream.0, its chosen "
                       "video.\n");
    EXPECT_EQ(fileNamesIn(dir.path()), (std::vector<std::string>{"FEATURE_1.EVO"}));

    const auto r = cli({"mkv", evo, "--out", dir.path(), "-q", "--streams", "audio00,sub00"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nNot in FEATURE_1.mkv (no frame found in its stream): DD.stream.00\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(fileNamesIn(dir.path()),
              (std::vector<std::string>{"FEATURE_1.EVO", "FEATURE_1.mkv"}));
}

// The file's tracks are written once the picture's first second is known: a stream whose first
// packet comes later is written beside the .mkv, as a Demux writes it, with a line saying so.
TEST(MkvCommand, StreamMetAfterTheTracksWereWrittenIsKeptBesideTheMkv) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}, {Encoded::Eac3, 2000}}});
    const auto r = cli({"mkv", disc.evo, "--out", disc.out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nNot in FEATURE_1.mkv (met after its tracks were written), kept beside "
                         "it: DD+.stream.01\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(fileNamesIn(disc.out),
              (std::vector<std::string>{"FEATURE_1.DD+.stream.01.eac3", "FEATURE_1.mkv"}));
    EXPECT_EQ(identifyMkv(disc.out + "/FEATURE_1.mkv").tracks.size(), 2u);
}

// ffmpeg's own program-stream muxer puts no PTS on the video of a raw MPEG-2 stream: its frames
// follow one another from the start, with the sound's, instead of all being left out.
TEST(MkvRegression, VideoWithoutTimestampsIsTimedFromItsFrames) {
    TempFolder dir;
    const std::string evo = dir / "DVD.EVO";
    runCommand("ffmpeg -nostdin -v error " + elementary("mpegvideo", Encoded::Mpeg2At25) + " " +
               elementary("ac3", Encoded::Ac3) + " -map 0 -map 1 -c copy -f dvd " + inQuotes(evo));
    const auto r = cli({"mkv", evo, "--out", dir.path(), "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string mkv = dir / "DVD.mkv";
    EXPECT_EQ(decodingErrors(mkv), "");
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:v:0")),
              frameHashes(elementary("mpegvideo", Encoded::Mpeg2At25)));
    // Three seconds at 25 frames a second, each shown 40 ms after the one before.
    std::vector<double> video = packetTimesMs(mkv, "v:0");
    std::sort(video.begin(), video.end());
    ASSERT_EQ(video.size(), 75u);
    for (size_t i = 0; i < video.size(); ++i)
        EXPECT_NEAR(video[i], double(i) * 40, 1.0) << "frame " << i;
}

// The element of this name at or below the element, depth first.
XmlElement* elementNamed(XmlElement& element, const std::string& name) {
    if (element.name == name) return &element;
    for (XmlElement& child : element.children)
        if (XmlElement* found = elementNamed(child, name)) return found;
    return nullptr;
}

// The texts of every <element>...</element> in the file, in order.
std::vector<std::string> elementTexts(const std::string& path, const std::string& element) {
    const std::string text = readText(path), open = "<" + element + ">";
    std::vector<std::string> texts;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const size_t begin = at + open.size();
        texts.push_back(text.substr(begin, text.find('<', begin) - begin));
    }
    return texts;
}

// Chapters out of time order, one twice: the muxer refused the chapter that ended before it
// began, and with it the whole file, once the pass was done.
TEST(MkvRegression, ChaptersOutOfTimeOrderArePutInOrder) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
    XmlElement playlist = EncodedDisc::playlist();
    elementNamed(playlist, "ChapterList")->children = {
        chapter("00:00:01:30", "Suite"), chapter("00:00:00:00", "Début"),
        chapter("00:00:01:30", "Suite"), chapter("00:00:02:00", "Fin")};
    writeTextFile(disc.xpl, xmlDocument(playlist));
    const std::string line =
        "Chapters of Le Film : Ça commence: 1 moved into time order, 1 duplicate dropped";

    const auto r = cli({"mkv", disc.evo, "--xpl", disc.xpl, "--out", disc.out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << r.out;
    const std::string mkv = disc.out + "/FEATURE_1.mkv";
    EXPECT_EQ(identifyMkv(mkv).chapters, 3);
    EXPECT_EQ(outputLines("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                          "-of csv=p=0 " +
                          inQuotes(mkv)),
              (std::vector<std::string>{"0.000000,Début", "1.501500,Suite", "2.002000,Fin"}));

    const std::string xml = disc.out + "/chapters.xml";
    const auto chapters = cli({"xpl", disc.xpl, "--evo", disc.evo, "--chapters", xml});
    ASSERT_EQ(chapters.exitCode, 0) << chapters.err;
    EXPECT_NE(chapters.out.find(line + "\n"), std::string::npos) << chapters.out;
    EXPECT_EQ(elementTexts(xml, "ChapterString"),
              (std::vector<std::string>{"Début", "Suite", "Fin"}));
}

// A source that could not be opened leaves nothing behind.
TEST(MkvRegression, UnopenableSourceLeavesNoFile) {
    TempFolder dir;
    const auto missing = cli({"mkv", dir / "FEATURE_2.EVO", "--out", dir.path(), "-q"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Cannot open file \"" + dir / "FEATURE_2.EVO" + "\". No such file or directory.\n");
    EXPECT_EQ(fileNamesIn(dir.path()), std::vector<std::string>{});
}

// A chosen audio stream in which no frame is found: the .mkv is made without it, and the run
// says so after its pass (it was told among the read's lines), in its JSON and by its track
// count.
TEST(MkvCommand, AudioWithoutAFrameIsLeftOutAndToldAtTheEnd) {
    TempFolder dir;
    maker::EsRecipe recipe = recipeOf({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
    // The AC-3 stream's bytes zeroed: the same units, none of them a frame.
    maker::EsStream silent = recipe.streams.back();
    silent.id = 0x81;
    silent.es = dir / "zeros.ac3";
    writeBytes(silent.es, Bytes(readBytes(recipe.streams.back().es).size(), 0));
    recipe.streams.push_back(silent);
    const std::string evo = dir / "FEATURE_1.EVO";
    maker::makeEsEvo(recipe, evo, "");
    const auto r = cli({"mkv", evo, "--out", dir.path(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject json = jsonOf(r.out);
    const QJsonArray log = json["log"].toArray();
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log[log.size() - 2].toString().startsWith(
        "Not in FEATURE_1.mkv (no frame found in its stream): "))
        << r.out;
    EXPECT_EQ(log.last().toString().toStdString(), "Muxed " + dir / "FEATURE_1.mkv");
    const QJsonObject made = json["mkv"].toObject();
    EXPECT_EQ(made["tracks"].toArray().size(), 2);
    const QJsonArray leftOut = made["left_out"].toArray();
    ASSERT_EQ(leftOut.size(), 1) << r.out;
    EXPECT_EQ(leftOut[0].toObject()["box"].toString(), QString("cbAudio01"));
}

// Stopped by Ctrl-C during the pass: no .mkv, and no partial file left behind.
TEST(MkvCommand, StoppedRunLeavesNoMkv) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
    // Zeros (a sparse file) up to 200 MiB: the pass is still running when the signal lands.
    std::filesystem::resize_file(disc.evo, uintmax_t(200) << 20);
    bool sent = false;
    const auto stopped = runProcess({Cli, "mkv", disc.evo, "--out", disc.out},
                                    [&](const std::string& line, int pid) {
                                        if (sent || !line.starts_with("File size: ")) return;
                                        ::kill(pid, SIGINT);
                                        sent = true;
                                    });
    EXPECT_EQ(stopped.exitCode, 128 + SIGINT);
    EXPECT_EQ(stopped.err.substr(stopped.err.rfind("Stopped")), "Stopped.\n");
    // Nothing was done: the log ends saying so, not with "Done.".
    EXPECT_TRUE(stopped.out.ends_with("\nFEATURE_1.mkv not written: stopped\n")) << stopped.out;
    EXPECT_EQ(fileNamesIn(disc.out), std::vector<std::string>{});
}

// A run whose .mkv would replace its source does not start: nothing is touched.
TEST(MkvRegression, RunThatWouldReplaceTheSourceDoesNotStart) {
    EncodedDisc disc({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}});
    const std::string source = disc.out + "/FEATURE_1.mkv";
    std::filesystem::rename(disc.evo, source);
    const Bytes original = readBytes(source);
    const auto r = cli({"mkv", source, "--out", disc.out, "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "Cannot create file \"" + source + "\". The file is already in use by this job.\n");
    EXPECT_EQ(fileNamesIn(disc.out), std::vector<std::string>{"FEATURE_1.mkv"});
    EXPECT_EQ(readBytes(source), original);
}

// A folder and a source whose names begin with "+" and "=", given as relative paths.
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
