// The titles of a disc read from its playlists: which are listed, what each plays and carries,
// and which is the main title.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/job_error.h"
#include "playlist/disc_titles.h"
#include "playlist_writer.h"
#include "support/job_error_of.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;

// A disc folder holding playlists and no EVO.
struct PlaylistDisc {
    TempFolder dir;
    PlaylistDisc() { fs::create_directories(dir / "ADV_OBJ"); }
    void write(const std::string& name, const XmlElement& root) const {
        writeTextFile(dir / ("ADV_OBJ/" + name), xmlDocument(root));
    }
};

XmlElement items() {
    return videoItem(1, "VC-1");
}

// A title of one clip of this many counts, with audio, chapters and subtitles as asked.
XmlElement titleOf(int number, const std::string& name, const std::string& stem,
                   const std::string& end, int audioStreams, int chapters, int subtitles = 0) {
    std::vector<XmlElement> streams = {video(1, 1)};
    for (int a = 1; a <= audioStreams; ++a)
        streams.push_back(audio(a, 1, "Audio"));
    for (int s = 1; s <= subtitles; ++s)
        streams.push_back(subtitle(s, 1, "Sub"));
    std::vector<XmlElement> marks;
    for (int c = 0; c < chapters; ++c)
        marks.push_back(chapter("00:00:0" + std::to_string(c) + ":00", "C"));
    return title(number, name, end,
                 {clip(stem, streams, "00:00:00:00", end), chapterList(std::move(marks))});
}

std::vector<std::string> listed(const Disc& disc) {
    std::vector<std::string> names;
    for (const DiscTitle& title : disc.titles)
        names.push_back(title.playlist + " " + std::to_string(title.info.number) + " " +
                        title.info.name + (title.main ? " main" : ""));
    return names;
}

TEST(DiscTitles, CopiesBackupsFirstPlayAndClipLessTitlesAreNotListed) {
    PlaylistDisc disc;
    XmlElement noClip = title(3, "Menu", "00:00:10:00", {});
    const XmlElement root =
        playlistRoot("", {items()},
                     {firstPlayTitle({clip("logo", {video(1, 1)})}),
                      titleOf(1, "Warning", "warning", "00:00:10:00", 1, 0),
                      titleOf(2, "Feature", "FEATURE", "01:00:00:00", 2, 3), noClip});
    disc.write("VPLST000.XPL", root);
    // A language copy: the same clips in the same order, under other names.
    XmlElement copy = root;
    copy.children[2].children[2].set("displayName", "Hauptfilm");
    disc.write("VPLST001.XPL", copy);
    disc.write("VPLST002.XPL.BAK",
               playlistRoot("", {items()}, {titleOf(1, "Old", "OLD", "09:00:00:00", 1, 0)}));

    const Disc read = readDisc(disc.dir.path());
    EXPECT_EQ(listed(read),
              (std::vector<std::string>{"VPLST000.XPL 1 Warning", "VPLST000.XPL 2 Feature main"}));
    const DiscTitle& feature = read.titles[1];
    ASSERT_EQ(feature.clips.size(), 1u);
    EXPECT_EQ(feature.clips[0].evo, "HVDVD_TS/FEATURE.EVO");
    EXPECT_FALSE(feature.clips[0].present);
    EXPECT_EQ(feature.clips[0].endMs, 3603600); // an hour of counts at 60fps, in real time

    // The copy alone is read when named.
    EXPECT_EQ(
        listed(readDisc(disc.dir / "ADV_OBJ/VPLST001.XPL")),
        (std::vector<std::string>{"VPLST001.XPL 1 Warning", "VPLST001.XPL 2 Hauptfilm main"}));
}

// Among titles with audio the longest; then more chapters; then more tracks; then the first.
TEST(DiscTitles, MainTitleRule) {
    struct Case {
        const char* rule;
        std::vector<XmlElement> titles;
        int main; // its number
    };
    const std::vector<Case> cases = {
        {"longest",
         {titleOf(1, "A", "A", "00:10:00:00", 1, 9), titleOf(2, "B", "B", "00:20:00:00", 1, 1)},
         2},
        {"audio needed",
         {titleOf(1, "A", "A", "00:10:00:00", 1, 0), titleOf(2, "B", "B", "00:20:00:00", 0, 5)},
         1},
        {"chapters",
         {titleOf(1, "A", "A", "00:10:00:00", 1, 2), titleOf(2, "B", "B", "00:10:00:00", 1, 3)},
         2},
        {"tracks",
         {titleOf(1, "A", "A", "00:10:00:00", 1, 2), titleOf(2, "B", "B", "00:10:00:00", 1, 2, 1)},
         2},
        {"first",
         {titleOf(1, "A", "A", "00:10:00:00", 2, 2), titleOf(2, "B", "B", "00:10:00:00", 2, 2)},
         1},
        {"none with audio",
         {titleOf(1, "A", "A", "00:10:00:00", 0, 2), titleOf(2, "B", "B", "00:20:00:00", 0, 0)},
         2},
    };
    for (const Case& c : cases) {
        PlaylistDisc disc;
        disc.write("VPLST000.XPL", playlistRoot("", {items()}, c.titles));
        const Disc read = readDisc(disc.dir.path());
        const DiscTitle* main = read.mainTitle();
        ASSERT_NE(main, nullptr) << c.rule;
        EXPECT_EQ(main->info.number, c.main) << c.rule;
        EXPECT_EQ(std::count_if(read.titles.begin(), read.titles.end(),
                                [](const DiscTitle& t) { return t.main; }),
                  1)
            << c.rule;
    }
}

// Audio elements without mediaAttr still list their tracks, languages and kinds; a title
// without titleNumber is numbered by its place; clips follow one another at 50fps.
TEST(DiscTitles, TracksClipsAndNumbersAsThePlaylistGivesThem) {
    PlaylistDisc disc;
    XmlElement plain = audio(2, 0, "Kommentar");
    plain.drop("mediaAttr").drop("langcode");
    XmlElement film =
        title(0, "Film", "00:01:40:00",
              {clip("L0_mainMovie", {video(1, 1), audio(1, 1, "English"), plain}, "00:00:00:00",
                    "00:01:00:00"),
               clip("L1_mainMovie", {video(1, 1)}, "00:01:00:00", "00:01:40:25"),
               trackNavigationList({audioTrack(2, "de:03"), subtitleTrack(1, "de:09", "Forced")})});
    film.drop("titleNumber");
    film.children[0].children.push_back(subtitle(1, 1, "Forced"));
    XmlElement root = playlistRoot("", {items(), audioItem(1, "DD+", "6")},
                                   {titleOf(1, "Logo", "logo", "00:00:05:00", 0, 0), film});
    root.children[2].set("timeBase", "50fps");
    disc.write("VPLST000.XPL", root);
    fs::create_directories(disc.dir / "HVDVD_TS");
    writeTextFile(disc.dir / "HVDVD_TS/L0_mainMovie.EVO", "");

    const Disc read = readDisc(disc.dir / "HVDVD_TS");
    ASSERT_EQ(read.titles.size(), 2u);
    const DiscTitle& title = read.titles[1];
    EXPECT_EQ(title.info.number, 2);
    ASSERT_EQ(title.clips.size(), 2u);
    EXPECT_EQ(title.clips[0].present, true);
    EXPECT_EQ(title.clips[1].present, false);
    EXPECT_EQ(title.clips[1].beginMs, 60000);
    EXPECT_EQ(title.clips[1].endMs, 100500);
    EXPECT_EQ(title.playedMs(), 100500);
    ASSERT_EQ(title.audio.size(), 2u);
    EXPECT_EQ(title.audio[0].codec, "DD+");
    EXPECT_EQ(title.audio[0].channels, "6");
    EXPECT_EQ(title.audio[1].codec, "");
    ASSERT_TRUE(title.audio[1].track.language);
    EXPECT_EQ(title.audio[1].track.language->language, "ger");
    EXPECT_EQ(title.audio[1].track.language->kind, "commentary");
    EXPECT_EQ(title.audio[1].track.description, "Kommentar");
    ASSERT_EQ(title.info.subtitleTracks.size(), 1u);
    EXPECT_EQ(title.info.subtitleTracks[0].language->kind, "forced");
    EXPECT_EQ(read.title(2, "")->info.name, "Film");
    EXPECT_EQ(read.title(3, ""), nullptr);
}

// The sample disc's playlist is timed by its EVOs' lengths: the title plays both parts end to
// end, and its chapters fall inside them, each where a pair of film frames begins (5 counts).
TEST(DiscTitles, SamplePlaylistIsTimedByTheLengthsOfItsClips) {
    struct Case {
        int64_t first, second; // counts of a 60fps timeline
        std::vector<int64_t> chapterCounts;
    };
    const std::vector<Case> cases = {
        {720, 720, {0, 360, 540, 900}},
        {36000, 36000, {0, 18000, 27030, 45000}},
        {1205, 480, {0, 605, 905, 1325}},
    };
    const auto ms = [](int64_t counts) { return (counts * 1001 + 30) / 60; };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " + " + std::to_string(c.second));
        PlaylistDisc disc;
        disc.write("VPLST000.XPL",
                   discPlaylist({{"FEATURE_1", c.first}, {"FEATURE_2", c.second}}, encodedDisc()));
        const Disc read = readDisc(disc.dir.path());
        ASSERT_EQ(read.titles.size(), 1u);
        const DiscTitle& title = read.titles[0];
        EXPECT_EQ(title.durationMs(), ms(c.first + c.second));
        ASSERT_EQ(title.clips.size(), 2u);
        EXPECT_EQ(title.clips[0].endMs, ms(c.first));
        EXPECT_EQ(title.clips[1].beginMs, ms(c.first));
        EXPECT_EQ(title.clips[1].endMs, ms(c.first + c.second));
        std::vector<int64_t> chapters, expected;
        for (const ChapterMark& mark : title.info.chapters)
            chapters.push_back(mark.startNs / 1000000);
        for (const int64_t counts : c.chapterCounts)
            expected.push_back(counts * 1001000 / 60 / 1000);
        EXPECT_EQ(chapters, expected);
        std::vector<std::string> codecs;
        for (const DiscTrack& audio : title.audio)
            codecs.push_back(audio.codec);
        EXPECT_EQ(codecs, (std::vector<std::string>{"AC-3", "DD+", "DTS-HD"}));
    }
}

TEST(DiscTitles, FolderWithoutPlaylistIsAnErrorNamingIt) {
    TempFolder empty;
    EXPECT_EQ(jobErrorOf([&] { readDisc(empty.path()); }),
              "No playlist (ADV_OBJ/VPLST*.XPL) in \"" + empty.path() + "\"");
}

} // namespace
} // namespace splitwick::testing
