// A disc as the input: titles lists its titles, mkv and demux follow the main title's clips.
// The made disc plays its film as two layers, L0_mainMovie and L1_mainMovie (one encoded
// title split at a VOBU), then "black", a video-only tail whose PTS start again; a trailer
// title plays the tail with audio, and the FirstPlayTitle a logo that no title lists.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli_program.h"
#include "playlist_writer.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;

struct MadeDisc {
    TempFolder dir;
    std::string evos = dir / "HVDVD_TS";
    std::string out = dir / "out";
    std::string seam; // where L1_mainMovie begins on the main title's timeline

    MadeDisc() {
        fs::create_directories(evos);
        fs::create_directories(dir / "ADV_OBJ");
        fs::create_directories(out);
        const maker::MadeEsEvo film =
            makeLayeredTitle({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}}, evos,
                             "L0_mainMovie", "L1_mainMovie", dir / "expected");
        makeEncodedEvo({{{Encoded::H264At24000_1001, 0}}}, evos + "/black.EVO", dir / "expected");
        seam = titleTimeOfTicks(int64_t(*film.parts[1].referencePts - *film.parts[0].referencePts));
        writeTextFile(dir / "ADV_OBJ/VPLST000.XPL", xmlDocument(playlist()));
    }

    // The encoded streams last 72 frames at 24000/1001: 180 counts, 00:00:03:00.
    XmlElement playlist() const {
        const std::vector<XmlElement> film = {video(1, 1), audio(1, 1, "English")};
        return playlistRoot(
            "MADE DISC", {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2")},
            {firstPlayTitle({clip("logo", {video(1, 1)}, "00:00:00:00", "00:00:05:00")}),
             title(1, "Trailer", "00:00:03:00",
                   {clip("black", {video(1, 1), audio(1, 1, "English")}, "00:00:00:00",
                         "00:00:03:00")}),
             title(2, "Main Feature", "00:00:06:00",
                   {clip("L0_mainMovie", film, "00:00:00:00", seam),
                    clip("L1_mainMovie", film, seam, "00:00:03:00"),
                    clip("black", {video(1, 1)}, "00:00:03:00", "00:00:06:00"),
                    chapterList({chapter("00:00:00:00", "Start"), chapter("00:00:03:00", "Black")}),
                    trackNavigationList({videoTrack(1), audioTrack(1, "de:01")})})});
    }
};

QJsonArray titlesOf(const std::string& json) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object()["titles"].toArray();
}

std::string compact(const QJsonValue& value) {
    return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact).toStdString();
}

// A playlist written in UTF-16 listed no title at all (and mkv found none): it reads as its
// UTF-8 form, in either byte order.
TEST(DiscTitles, AUtf16PlaylistGivesTheSameTitles) {
    MadeDisc disc;
    const std::string xpl = disc.dir / "ADV_OBJ/VPLST000.XPL";
    const auto utf8 = cli({"titles", disc.dir.path(), "--json"});
    ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
    const std::string original = readText(xpl);
    for (const char* form :
         {"\\377\\376' ; iconv -f UTF-8 -t UTF-16LE", "\\376\\377' ; iconv -f UTF-8 -t UTF-16BE"}) {
        SCOPED_TRACE(form);
        writeTextFile(xpl, original);
        runCommand("(printf '" + std::string(form) + " " + inQuotes(xpl) + ") > " +
                   inQuotes(xpl + ".16") + " && mv " + inQuotes(xpl + ".16") + " " + inQuotes(xpl));
        const auto utf16 = cli({"titles", disc.dir.path(), "--json"});
        EXPECT_EQ(utf16.exitCode, 0) << utf16.err;
        EXPECT_EQ(utf16.out, utf8.out);
    }
}

// titles of a file that is no disc or playlist, or of nothing, printed nothing and exited 0.
TEST(DiscTitles, WhatIsNoDiscIsSaidToBeNone) {
    MadeDisc disc;
    const std::string evo = disc.evos + "/black.EVO";
    const std::string missing = disc.dir / "gone";
    const struct {
        std::string path, error;
    } cases[] = {
        {missing, "\"" + missing + "\" does not exist.\n"},
        {evo, "\"" + evo +
                  "\" is no disc: give its folder, its ADV_OBJ or HVDVD_TS folder, or a playlist "
                  "(ADV_OBJ/VPLSTnnn.XPL)\n"},
    };
    for (const auto& c : cases) {
        const auto r = cli({"titles", c.path});
        EXPECT_EQ(r.exitCode, 1) << c.path;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.error);
    }
}

TEST(DiscTitles, ListsTheTitlesThatPlayClipsWithTheMainOneMarked) {
    MadeDisc disc;
    const auto text = cli({"titles", disc.dir.path()});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "VPLST000.XPL\n"
                        "1) Trailer  0:00:03  0 chapters  black\n"
                        "    video0: MPEG-4 AVC\n"
                        "    audio00: DD 2ch eng \"English\"\n"
                        "2) Main Feature  0:00:06  2 chapters  L0_mainMovie + L1_mainMovie + "
                        "black  [main]\n"
                        "    video0: MPEG-4 AVC\n"
                        "    audio00: DD 2ch ger normal \"English\"\n");

    // The same from either disc folder and from the playlist itself.
    for (const std::string& path :
         {disc.dir.path(), disc.dir / "ADV_OBJ/", disc.evos, disc.dir / "ADV_OBJ/VPLST000.XPL"}) {
        const auto json = cli({"titles", path, "--json"});
        ASSERT_EQ(json.exitCode, 0) << path << json.err;
        const QJsonArray titles = titlesOf(json.out);
        ASSERT_EQ(titles.size(), 2) << path;
        EXPECT_EQ(
            compact(titles[1]),
            R"({"audio":[{"channels":2,"codec":"DD","kind":"normal","language":"ger",)"
            R"("name":"English","stream":1}],"chapters":2,"clips":[{"begin_ms":0,)"
            R"("end_ms":)" +
                std::to_string(titles[1]["clips"][0]["end_ms"].toInt()) +
                R"(,"evo":"HVDVD_TS/L0_mainMovie.EVO","present":true},)"
                R"({"begin_ms":)" +
                std::to_string(titles[1]["clips"][0]["end_ms"].toInt()) +
                R"(,"end_ms":3003,"evo":"HVDVD_TS/L1_mainMovie.EVO","present":true},)"
                R"({"begin_ms":3003,"end_ms":6006,"evo":"HVDVD_TS/black.EVO","present":true}],)"
                R"("duration_ms":6006,"main":true,"name":"Main Feature","number":2,)"
                R"("playlist":"VPLST000.XPL","subtitles":[]})")
            << path;
        EXPECT_FALSE(titles[0]["main"].toBool());
    }
}

// One run for the tests of the main title.
class MkvOfMadeDisc : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        disc = new MadeDisc;
        result = new ProcessResult(cli({"mkv", disc->dir.path(), "--out", disc->out, "-q"}));
        mkv = disc->out + "/Main Feature.mkv";
    }
    static void TearDownTestSuite() {
        delete result;
        delete disc;
    }
    static MadeDisc* disc;
    static ProcessResult* result;
    static std::string mkv;
};

MadeDisc* MkvOfMadeDisc::disc = nullptr;
ProcessResult* MkvOfMadeDisc::result = nullptr;
std::string MkvOfMadeDisc::mkv;

TEST_F(MkvOfMadeDisc, OneMkvNamedAfterTheTitleFromEveryClipInOrder) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    EXPECT_EQ(fileNamesIn(disc->out), std::vector<std::string>{"Main Feature.mkv"});
    EXPECT_NE(result->out.find("Continue on L1_mainMovie.EVO\n"), std::string::npos);
    EXPECT_NE(result->out.find("Continue on black.EVO\n"), std::string::npos);

    // The three clips' 144 frames at 24000/1001, within one frame; the film's frames, then the
    // tail's, all decodable.
    const double frame = 1001.0 / 24000;
    const double duration = std::stod(
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + inQuotes(mkv)));
    EXPECT_NEAR(duration, 144 * frame, frame);
    const std::vector<std::string> clip =
        frameHashes(elementary("h264", Encoded::H264At24000_1001));
    std::vector<std::string> frames = clip;
    frames.insert(frames.end(), clip.begin(), clip.end());
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:v:0")), frames);
    // The tail has no audio: the film's sound, whole, and no more.
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:0")), frameHashes(elementary("ac3", Encoded::Ac3)));
}

TEST_F(MkvOfMadeDisc, ChaptersAtRealTimeTitleAndLanguageFromTheTitle) {
    ASSERT_EQ(result->exitCode, 0) << result->err;
    EXPECT_EQ(outputLines("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                          "-of csv=p=0 " +
                          inQuotes(mkv)),
              (std::vector<std::string>{"0.000000,Start", "3.003000,Black"}));
    EXPECT_EQ(
        runCommand("ffprobe -v error -show_entries format_tags=title -of csv=p=0 " + inQuotes(mkv)),
        "Main Feature\n");
    const MkvFile identified = identifyMkv(mkv);
    ASSERT_EQ(identified.tracks.size(), 2u);
    EXPECT_EQ(identified.tracks[1].language, "ger");
    EXPECT_EQ(identified.tracks[1].name, "English");
}

// A playlist that plays the tail two seconds after the film: the tail's first picture is where
// the playlist places it (300 counts, 5.005 s), the gap kept, not right after the film.
TEST(DiscTitleChoice, EachClipBeginsWhereThePlaylistPlacesIt) {
    MadeDisc disc;
    const std::vector<XmlElement> film = {video(1, 1), audio(1, 1, "English")};
    writeTextFile(disc.dir / "ADV_OBJ/VPLST000.XPL",
                  xmlDocument(playlistRoot(
                      "MADE DISC", {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2")},
                      {title(1, "Gap", "00:00:08:00",
                             {clip("L0_mainMovie", film, "00:00:00:00", disc.seam),
                              clip("L1_mainMovie", film, disc.seam, "00:00:03:00"),
                              clip("black", {video(1, 1)}, "00:00:05:00", "00:00:08:00")})})));
    const auto run = cli({"mkv", disc.dir.path(), "--out", disc.out, "-q"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<double> shown;
    for (const std::string& line :
         outputLines("ffprobe -v error -select_streams v:0 -show_entries packet=pts_time -of "
                     "csv=p=0 " +
                     inQuotes(disc.out + "/Gap.mkv")))
        shown.push_back(std::stod(line));
    ASSERT_EQ(shown.size(), 144u);
    std::sort(shown.begin(), shown.end());
    EXPECT_NEAR(shown[71], 71 * 1001.0 / 24000, 0.0015);
    EXPECT_NEAR(shown[72], 5.005, 0.0015);
}

// A title chosen by number; the FirstPlayTitle is none.
TEST(DiscTitleChoice, TitleNumberPicksTheTitleAndAMissingOneIsAnError) {
    MadeDisc disc;
    const auto trailer = cli({"demux", disc.dir.path(), "--title", "1", "--out", disc.out, "-q"});
    ASSERT_EQ(trailer.exitCode, 0) << trailer.err;
    // The trailer's clip lacks the audio its title lists: no empty file for it.
    EXPECT_EQ(fileNamesIn(disc.out), (std::vector<std::string>{"Trailer.MPEG-4 AVC.stream.0.mpv"}));
    const auto none = cli({"demux", disc.dir.path(), "--title", "3", "-q"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "No title 3 in \"" + disc.dir.path() + "\"\n");
}

// A title is a number from 1; a playlist a name in the disc's ADV_OBJ, no path out of it.
TEST(DiscTitleChoice, TitleAndPlaylistOptionsThatNameNoneAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--title", "0"}, "--title is a title's number, not '0'"},
        {{"--title", "2x"}, "--title is a title's number, not '2x'"},
        {{"--playlist", "../VPLST000.XPL"},
         "--playlist is a playlist's name in the disc's ADV_OBJ folder, not '../VPLST000.XPL'"},
    };
    for (const auto& [options, error] : cases) {
        std::vector<std::string> args = {"mkv", "disc"};
        args.insert(args.end(), options.begin(), options.end());
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << error;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "splitwick-cli: " + error);
    }
}

// rebuild took no disc: --title was an unknown option.
TEST(DiscTitleChoice, RebuildOfADiscTitleJoinsItsClipsIntoOneEvo) {
    MadeDisc disc;
    const auto r = cli({"rebuild", disc.dir.path(), "--title", "2", "--out", disc.out, "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fileNamesIn(disc.out), std::vector<std::string>{"Main Feature.rebuilt.EVO"});
    uintmax_t clips = 0;
    for (const char* clip : {"L0_mainMovie.EVO", "L1_mainMovie.EVO", "black.EVO"})
        clips += fs::file_size(disc.evos + "/" + clip);
    // Every pack of the three clips is kept: all their streams are.
    EXPECT_EQ(fs::file_size(disc.out + "/Main Feature.rebuilt.EVO"), clips);
}

TEST(DiscTitleChoice, MissingClipIsAnErrorNamingItUnlessAllowed) {
    MadeDisc disc;
    fs::remove(disc.evos + "/L1_mainMovie.EVO");
    const auto missing = cli({"demux", disc.dir.path(), "--out", disc.out, "-q"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Title 2 plays a clip whose EVO is missing: \"" + disc.evos +
                               "/L1_mainMovie.EVO\"\n");
    EXPECT_TRUE(fileNamesIn(disc.out).empty());

    const auto allowed =
        cli({"demux", disc.dir.path(), "--out", disc.out, "-q", "--allow-missing"});
    ASSERT_EQ(allowed.exitCode, 0) << allowed.err;
    // The line says where the gap the clip leaves falls and how long it is.
    const std::string left = allowed.out.substr(0, allowed.out.find('\n'));
    EXPECT_TRUE(left.starts_with("Left out: the missing EVO \"" + disc.evos +
                                 "/L1_mainMovie.EVO\", 0:00:0"))
        << left;
    EXPECT_NE(left.find(" of the title: a gap of 0:00:0"), std::string::npos) << left;
    EXPECT_NE(allowed.out.find("Continue on black.EVO\n"), std::string::npos);
}

// The lines of a run that say what happened at a seam.
std::vector<std::string> seamLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("Seam at ")) lines.push_back(line);
    return lines;
}

// The film over L0_/L1_ (its PTS run on across the layer break, which falls between two counts
// of the playlist), then a tail with sound whose PTS start again: the layers join picture to
// picture; the film's sound, 5 ms longer than its picture, overlaps the tail's first frame by a
// frame, left out whole; a tail placed a second after the film keeps the gap; a place of 9,999
// hours is passed over (it made a file of 10,009 hours).
TEST(DiscTitleSeams, ClipsJoinWhereTheirClocksSayAndEachSeamIsSaid) {
    MadeDisc disc;
    makeEncodedEvo({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}}, disc.evos + "/tail.EVO",
                   disc.dir / "expected");
    const double frameMs = 1001.0 / 24;
    const struct {
        const char* name;
        std::string tailPlace, duration;
        std::vector<std::string> lines;
        double tailStartMs;
    } rows[] = {
        {"the tail right after the film",
         "00:00:03:00",
         "00:00:06:00",
         {"Seam at 0:00:03.003 (tail.EVO): DD audio stream 0 overlaps by 5 ms, 1 frame left out"},
         72 * frameMs},
        {"the tail a second after the film",
         "00:00:04:00",
         "00:00:07:00",
         {"Seam at 0:00:03.003 (tail.EVO): a gap of 1.001 s kept"},
         4004},
        {"the tail placed 9,999 hours on",
         "9999:00:00:00",
         "00:00:06:00",
         {"Seam at 0:00:03.003 (tail.EVO): its place 10008:59:56.400 is past the title's end, "
          "passed over: it goes on where the clip before ended",
          "Seam at 0:00:03.003 (tail.EVO): DD audio stream 0 overlaps by 5 ms, 1 frame left out"},
         72 * frameMs},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<XmlElement> film = {video(1, 1), audio(1, 1, "English")};
        writeTextFile(disc.dir / "ADV_OBJ/VPLST000.XPL",
                      xmlDocument(playlistRoot(
                          "MADE DISC", {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2")},
                          {title(1, "Seams", row.duration,
                                 {clip("L0_mainMovie", film, "00:00:00:00", disc.seam),
                                  clip("L1_mainMovie", film, disc.seam, "00:00:03:00"),
                                  clip("tail", film, row.tailPlace, row.duration)})})));
        const auto run = cli({"mkv", disc.dir.path(), "--out", disc.out, "-q"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(seamLines(run.out), row.lines) << run.out;
        const std::string mkv = disc.out + "/Seams.mkv";
        EXPECT_EQ(decodingErrors(mkv), "");
        std::vector<double> shown = packetTimesMs(mkv, "v:0");
        std::sort(shown.begin(), shown.end());
        ASSERT_EQ(shown.size(), 144u);
        for (size_t i = 0; i < shown.size(); ++i) {
            const double at =
                i < 72 ? double(i) * frameMs : row.tailStartMs + double(i - 72) * frameMs;
            ASSERT_NEAR(shown[i], at, 1.0) << "picture " << i;
        }
        // The sound plays on without two frames at once: 1536 samples, 32 ms, apart or more.
        const std::vector<double> sound = packetTimesMs(mkv, "a:0");
        for (size_t i = 1; i < sound.size(); ++i)
            ASSERT_GE(sound[i] - sound[i - 1], 31.5) << "frame " << i;
        EXPECT_NEAR(sound.back() + 32, row.tailStartMs + 3008, 1.0);
    }
}

} // namespace
} // namespace splitwick::testing
