#include <algorithm>
#include <filesystem>

#include "jobs/file_choice.h"
#include "playlist_writer.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

using Lines = std::vector<std::string>;

// A feature in two parts (FEATURE_1, FEATURE_2) behind a first-play title, a second title that
// plays FEATURE_1 again with a commentary, and a trailer. Written as authoring tools write:
// comments, a title tag over several lines, attributes in another order, an explicit closing
// tag, an audio item without channels, a title without displayName, UTF-8 text.
XmlElement featureDisc() {
    XmlElement dts = audioItem(3, "DTS-HD", "6");
    std::ranges::reverse(dts.attributes);
    XmlElement mainVideo = video(1, 1);
    mainVideo.closeExplicitly = true;
    XmlElement feature = title(
        1, "Feature", "01:42:17:12",
        {clip("FEATURE_1", {mainVideo, audio(1, 2, "English"), audio(2, 1, "Deutsch"),
                            subtitle(1, 1, "English"), subtitle(2, 1, "Français")}),
         clip("FEATURE_2", {video(1, 1), audio(1, 2, "English"), audio(2, 1, "Deutsch"),
                            subtitle(1, 1, "English")}),
         chapterList({chapter("00:00:00:00", "Opening"), chapter("00:12:30:00", "The Harbour"),
                      chapter("01:30:00:00", "Finale")})});
    feature.set("onEnd", "Title2");
    feature.attributesOnLines = true;
    feature.comment = "Main feature in two parts";
    XmlElement commentary =
        title(2, "", "01:42:17:12", {clip("FEATURE_1", {video(1, 1), audio(3, 3, "Commentary")})});
    commentary.drop("displayName");
    XmlElement trailer =
        title(3, "Trailer", "00:02:00:00", {clip("TRAILER", {video(1, 1), audio(1, 2, "")})});
    XmlElement root = playlistRoot(
        "SPLITWICK SAMPLE",
        {videoItem(1, "VC-1"), audioItem(1, "LPCM", ""), audioItem(2, "DD+", "6"), dts,
         subpictureItem(1, "8bitRLE")},
        {firstPlayTitle({clip("STARTUP", {video(1, 1)})}), feature, commentary, trailer});
    root.children[1].comment = "Attributes of every stream on the disc";
    return root;
}

class ReadXpl : public XplTest {
  protected:
    ReadXpl() : text(xmlDocument(featureDisc())) { choosePlaylist(text); }
    std::string size() const { return std::to_string(text.size()); }
    std::string text;
};

TEST_F(ReadXpl, LabelsTheStreamsOfTheTitleThatPlaysTheEvo) {
    EXPECT_TRUE(read("FEATURE_1"));

    EXPECT_EQ(rs.lines, (Lines{"Open VPLST000.XPL", "Filesize: " + size() + " bytes",
                               "VC-1.stream.0 found!", "DD+.6ch.stream.00.English found!",
                               "LPCM.stream.01.Deutsch found!", "8bitRLE.stream.00.English found!",
                               "8bitRLE.stream.01.Français found!", "Done."}));
    EXPECT_EQ(rs.progressLines, (Lines{size() + "/" + size() + " bytes"}));
    EXPECT_EQ(rs.panels, (std::array<std::string, 2>{"Ready", ""}));

    EXPECT_EQ(enabledBoxes(), (Lines{"cbVideo0: VC-1.stream.0 | Check the desired video stream",
                                     "cbAudio00: DD+.6ch.stream.00.English | "
                                     "DD+.6ch.stream.00.English",
                                     "cbAudio01: LPCM.stream.01.Deutsch | LPCM.stream.01.Deutsch",
                                     "cbSub00: 8bitRLE.stream.00.English | "
                                     "8bitRLE.stream.00.English",
                                     "cbSub01: 8bitRLE.stream.01.Français | "
                                     "8bitRLE.stream.01.Français"}));
    EXPECT_EQ(openFileDescriptors(), filesOpenBefore);
}

TEST_F(ReadXpl, FillsTheTreeFromTheTitle) {
    read("FEATURE_1");
    const PlaylistTree& tree = view.tree;
    EXPECT_EQ(tree.nodes[0].text, "Info");
    EXPECT_EQ(tree.children(TreeBranch::Info),
              (Lines{"Title: SPLITWICK SAMPLE", "Name: Feature", "Duration: 01:42:17:12"}));
    EXPECT_EQ(tree.children(TreeBranch::Video), (Lines{"VC-1.stream.0"}));
    EXPECT_EQ(tree.children(TreeBranch::Audio),
              (Lines{"DD+.6ch.stream.00.English", "LPCM.stream.01.Deutsch"}));
    EXPECT_EQ(tree.children(TreeBranch::Subtitle),
              (Lines{"8bitRLE.stream.00.English", "8bitRLE.stream.01.Français"}));
    EXPECT_EQ(tree.children(TreeBranch::Chapter),
              (Lines{"00:00:00:00: Opening", "00:12:30:00: The Harbour", "01:30:00:00: Finale"}));
}

TEST_F(ReadXpl, CutsTheMemoToTheTitleElement) {
    read("FEATURE_1");
    const std::string clip1 = R"(      <PrimaryAudioVideoClip titleTimeBegin="00:00:00:00" )"
                              R"(src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" )"
                              R"(titleTimeEnd="00:10:00:00" dataSource="Disc">)";
    const std::string clip2 = R"(      <PrimaryAudioVideoClip titleTimeBegin="00:00:00:00" )"
                              R"(src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" )"
                              R"(titleTimeEnd="00:10:00:00" dataSource="Disc">)";
    const Lines memo{
        R"(    <Title id="Title1" titleNumber="1" displayName="Feature" )"
        R"(titleDuration="01:42:17:12" onEnd="Title2">)",
        clip1,
        R"(        <Video track="1" mediaAttr="1">)",
        R"(        </Video>)",
        R"(        <Audio track="1" streamNumber="1" mediaAttr="2" description="English" langcode="en:00"/>)",
        R"(        <Audio track="2" streamNumber="2" mediaAttr="1" description="Deutsch" langcode="en:00"/>)",
        R"(        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="English" langcode="en:00"/>)",
        R"(        <Subtitle track="2" streamNumber="2" mediaAttr="1" description="Français" langcode="en:00"/>)",
        R"(      </PrimaryAudioVideoClip>)",
        clip2,
        R"(        <Video track="1" mediaAttr="1"/>)",
        R"(        <Audio track="1" streamNumber="1" mediaAttr="2" description="English" langcode="en:00"/>)",
        R"(        <Audio track="2" streamNumber="2" mediaAttr="1" description="Deutsch" langcode="en:00"/>)",
        R"(        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="English" langcode="en:00"/>)",
        R"(      </PrimaryAudioVideoClip>)",
        R"(      <ChapterList>)",
        R"(        <Chapter titleTimeBegin="00:00:00:00" displayName="Opening"/>)",
        R"(        <Chapter titleTimeBegin="00:12:30:00" displayName="The Harbour"/>)",
        R"(        <Chapter titleTimeBegin="01:30:00:00" displayName="Finale"/>)",
        R"(      </ChapterList>)",
        R"(    </Title>)",
    };
    EXPECT_EQ(linesOf(view.memo), memo);
    EXPECT_TRUE(view.memoVisible);
}

TEST_F(ReadXpl, FillsTheAttributeTablesFromEveryItem) {
    read("FEATURE_1");
    EXPECT_EQ(playlist.attributes.VideoAttr[1], "VC-1");
    EXPECT_EQ(playlist.attributes.AudioAttr[1], "LPCM"); // no channels yet: no suffix
    EXPECT_EQ(playlist.attributes.AudioAttr[2], "DD+.6ch");
    EXPECT_EQ(playlist.attributes.AudioAttr[3], "DTS-HD.6ch"); // attributes in reverse order
    EXPECT_EQ(playlist.attributes.SubpictureAttr[1], "8bitRLE");
    EXPECT_EQ(playlist.attributes.AudioAttr[4], "");
}

TEST_F(ReadXpl, SecondPartOfTheFeatureFindsTheSameTitle) {
    read("FEATURE_2");
    EXPECT_EQ(view.tree.children(TreeBranch::Info),
              (Lines{"Title: SPLITWICK SAMPLE", "Name: Feature", "Duration: 01:42:17:12"}));
    EXPECT_EQ(view.memo.size(), 21u);
}

TEST_F(ReadXpl, StemPlayedBySeveralTitlesTakesTheFirst) {
    read("FEATURE_1");
    EXPECT_EQ(std::ranges::count(rs.lines, "DTS-HD.6ch.stream.02.Commentary found!"), 0);
    EXPECT_EQ(playlist.label({TrackKind::Audio, 2}), nullptr);
}

TEST_F(ReadXpl, LaterTitleIsCutFromItsOwnOpeningTag) {
    // The trailer's audio carries an empty description: the label ends in its dot.
    read("TRAILER");
    EXPECT_EQ(view.tree.children(TreeBranch::Audio), (Lines{"DD+.6ch.stream.00."}));
    EXPECT_EQ(view.tree.children(TreeBranch::Info),
              (Lines{"Title: SPLITWICK SAMPLE", "Name: Trailer", "Duration: 00:02:00:00"}));
}

TEST_F(ReadXpl, NoLineNamingTheEvoKeepsEveryTagAndTheTree) {
    read("FEATURE_1");
    const PlaylistTree before = view.tree;
    rs.lines.clear();

    EXPECT_FALSE(read("OTHER"));
    EXPECT_EQ(rs.lines, (Lines{"Open VPLST000.XPL", "Filesize: " + size() + " bytes", "Done."}));
    EXPECT_EQ(view.tree.nodes[2].children, before.nodes[2].children);
    EXPECT_EQ(view.memo.line(0), R"(<?xml version="1.0" encoding="UTF-8"?>)");
    EXPECT_EQ(view.memo.line(56), "</Playlist>");
    EXPECT_EQ(view.memo.size(), 57u);
    EXPECT_EQ(enabledBoxes(), Lines{});
}

// Once the attribute tables lived as long as the program: a playlist without items labelled its
// streams with the codecs another playlist had given.
TEST_F(ReadXpl, AttributeTablesAreTheReadsOwnRegression) {
    read("FEATURE_1");
    choosePlaylist(tinyPlaylist("", R"(<Audio streamNumber="1" mediaAttr="3" description="X"/>)"
                                    "\n"));
    read("MAIN");
    EXPECT_EQ(view.tree.children(TreeBranch::Audio), (Lines{".stream.00.X"}));
}

class LargePlaylist : public XplTest {};

TEST_F(LargePlaylist, ReadsInChunksOf32768BytesAcrossTagBoundaries) {
    std::vector<XmlElement> chapters;
    Lines expected;
    for (int i = 1; i <= 1000; ++i) {
        const std::string begin =
            "00:" + std::to_string(10 + i / 60) + ":" + std::to_string(10 + i % 60) + ":00";
        chapters.push_back(chapter(begin, "Chapter " + std::to_string(i)));
        expected.push_back(begin + ": Chapter " + std::to_string(i));
    }
    const std::string text =
        xmlDocument(playlistRoot("BIG", {videoItem(1, "VC-1")},
                                 {title(1, "Feature", "02:00:00:00",
                                        {clip("FEATURE", {video(1, 1)}), chapterList(chapters)})}));
    ASSERT_GT(text.size(), 65536u);
    ASSERT_LT(text.size(), 98304u);
    choosePlaylist(text);

    read("FEATURE");
    const std::string size = std::to_string(text.size());
    EXPECT_EQ(rs.progressLines, (Lines{"32768/" + size + " bytes", "65536/" + size + " bytes",
                                       size + "/" + size + " bytes"}));
    EXPECT_EQ(view.tree.children(TreeBranch::Chapter), expected);
}

class FailedRead : public XplTest {};

TEST_F(FailedRead, MissingFileStopsBeforeAnyLogLine) {
    EXPECT_EQ(jobErrorOf([&] { read("MAIN"); }),
              "Cannot open file \"" + playlistPath + "\". No such file or directory");
    EXPECT_EQ(rs.lines, Lines{});
    EXPECT_EQ(enabledBoxes(), Lines{});
    EXPECT_TRUE(view.memoVisible);
}

TEST_F(FailedRead, FileThatCannotBeOpenedLeavesTheMemoOfTheLastRead) {
    choosePlaylist(tinyPlaylist("", ""));
    read("MAIN");
    const Lines shown = linesOf(view.memo);
    std::filesystem::remove(playlistPath);
    EXPECT_NE(jobErrorOf([&] { read("MAIN"); }), "");
    EXPECT_EQ(linesOf(view.memo), shown);
    EXPECT_TRUE(view.memoVisible);
}

TEST_F(FailedRead, ItemWithoutIndexStopsAndShowsTheTagsSoFar) {
    const std::string text = tinyPlaylist("<VideoAttributeItem codec=\"VC-1\"/>\n", "");
    choosePlaylist(text);
    EXPECT_EQ(jobErrorOf([&] { read("MAIN"); }), "'' is not a valid integer value");
    const std::string size = std::to_string(text.size());
    EXPECT_EQ(rs.lines, (Lines{"Open VPLST000.XPL", "Filesize: " + size + " bytes"}));
    const Lines memo{
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<Playlist xmlns="http://www.dvdforum.org/2005/HDDVDVideo/Playlist" displayName="TINY">)",
        "  <MediaAttributeList>", R"(    <VideoAttributeItem codec="VC-1"/>)"};
    EXPECT_EQ(linesOf(view.memo), memo);
    EXPECT_TRUE(view.memoVisible);
    EXPECT_EQ(rs.panels[1], size + "/" + size + " bytes");
    EXPECT_EQ(openFileDescriptors(), filesOpenBefore);
    EXPECT_EQ(playlist.attributes.VideoAttr[1], "");
}

TEST_F(FailedRead, IndexThatIsNoNumberIsNamedInTheError) {
    choosePlaylist(
        tinyPlaylist("<SubpictureAttributeItem index=\"one\" codec=\"8bitRLE\"/>\n", ""));
    EXPECT_EQ(jobErrorOf([&] { read("MAIN"); }), "'one' is not a valid integer value");
}

TEST_F(FailedRead, PlaylistOver16MiBIsRefusedBeforeAnyLogLine) {
    choosePlaylist("");
    std::filesystem::resize_file(playlistPath, 16 << 20);
    EXPECT_FALSE(read("MAIN"));
    EXPECT_EQ(rs.lines.back(), "Done.");

    rs.lines.clear();
    std::filesystem::resize_file(playlistPath, (16 << 20) + 1);
    EXPECT_EQ(jobErrorOf([&] { read("MAIN"); }),
              "Cannot open file \"" + playlistPath +
                  "\". The file is over 16 MiB, too large for a playlist");
    EXPECT_EQ(rs.lines, Lines{});
    EXPECT_EQ(openFileDescriptors(), filesOpenBefore);
}

TEST_F(FailedRead, FileThatIsNotXmlGivesTheTagsItsBracketsDelimit) {
    choosePlaylist("This is not <XML> at all -> just text\n\x01\x02<b\n>");
    EXPECT_FALSE(read("MAIN"));
    EXPECT_EQ(linesOf(view.memo), (Lines{"<XML>", "  ", "  <b >"}));
    EXPECT_EQ(rs.lines.back(), "Done.");
}

} // namespace
} // namespace splitwick::testing
