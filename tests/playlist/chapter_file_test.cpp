// The title's chapters as a chapter file: what a muxer makes of it.
#include "engine/output_file.h"
#include "jobs/chapter_file.h"
#include "playlist_writer.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

class ChapterFile : public XplTest {
  protected:
    // A title at 50 frames a second in German, whose chapter names hold markup characters and
    // UTF-8, or come from the chapter's id, or are missing.
    ChapterFile() {
        XmlElement nameless = chapter("00:00:03:01", "");
        nameless.drop("displayName");
        XmlElement byId = chapter("00:00:02:49", "");
        byId.drop("displayName").set("id", "chap3");
        XmlElement root = playlistRoot(
            "", {videoItem(1, "VC-1")},
            {title(1, "Main", "00:00:05:00",
                   {clip("MAIN", {video(1, 1)}),
                    chapterList({chapter("00:00:00:00", "Anfang"),
                                 chapter("00:00:01:25", "Caf\xC3\xA9 &amp; &lt;Cr\xC3\xA8me&gt;"),
                                 byId, nameless})})});
        root.children[2].set("timeBase", "50fps").set("defaultLanguage", "de");
        choosePlaylist(xmlDocument(root));
    }
};

TEST_F(ChapterFile, MkvmergeTakesTheChaptersWithTheirTimesAndNames) {
    ASSERT_TRUE(read("MAIN"));
    const std::string chapters = disc / "MAIN.chapters.xml";
    OpenFiles files;
    OutputFile file(chapters, files);
    writeChapterFile(file, playlist.title.chaptersFor("MAIN"));
    file.close();

    const std::string video = disc / "video.mkv", muxed = disc / "muxed.mkv";
    runCommand("ffmpeg -nostdin -v error -y -f lavfi -i color=c=black:s=32x32:r=10:d=5 "
               "-c:v mpeg2video '" +
               video + "'");
    runCommand("mkvmerge -q -o '" + muxed + "' --chapters '" + chapters + "' '" + video + "'");
    const std::string extracted = runCommand("mkvextract '" + muxed + "' chapters -");

    EXPECT_EQ(elementTexts(extracted, "ChapterTimeStart"),
              (std::vector<std::string>{"00:00:00.000000000", "00:00:01.500000000",
                                        "00:00:02.980000000", "00:00:03.020000000"}));
    EXPECT_EQ(elementTexts(extracted, "ChapterString"),
              (std::vector<std::string>{"Anfang", "Caf\xC3\xA9 &amp; &lt;Cr\xC3\xA8me&gt;", "chap3",
                                        ""}));
    EXPECT_EQ(elementTexts(extracted, "ChapterLanguage"), std::vector<std::string>(4, "ger"));
}

// The playlist is meant to be UTF-8, but its bytes pass through as read: the file must stay
// UTF-8 XML for parsers stricter than mkvmerge's.
TEST(ChapterXml, NamesThatAreNoUtf8OrHoldControlCharactersStayWellFormed) {
    const TitleChapters chapters{
        "eng",
        {{1'500'000'000, "Caf\xE9 \xC3\xA9"},
         {3'723'004'000'005, "tab\there\x01 \xF0\x9F\x8E\xAC \xED\xA0\x80"}}};
    const std::vector<std::string> texts =
        elementTexts(matroskaChapterXml(chapters), "ChapterString");
    EXPECT_EQ(texts, (std::vector<std::string>{"Caf\xEF\xBF\xBD \xC3\xA9",
                                               "tab here  \xF0\x9F\x8E\xAC \xEF\xBF\xBD\xEF\xBF\xBD"
                                               "\xEF\xBF\xBD"}));
    EXPECT_EQ(elementTexts(matroskaChapterXml(chapters), "ChapterTimeStart"),
              (std::vector<std::string>{"00:00:01.500000000", "01:02:03.004000005"}));
}

// U+FFFE and U+FFFF are UTF-8 characters but no XML ones: a parser rejects the whole file. The
// other noncharacters and the C1 controls go as the C0 controls do.
TEST(ChapterXmlRegression, NoncharactersAndC1ControlsBecomeSpaces) {
    const struct {
        const char* name;
        const char* text;
    } rows[] = {
        {"a\xEF\xBF\xBE"
         "b\xEF\xBF\xBF"
         "c",
         "a b c"},
        {"\xEF\xB7\x90 \xEF\xB7\xAF \xF0\x9F\xBF\xBE \xF4\x8F\xBF\xBF", "       "},
        {"\xC2\x85 \x7F \xC2\x9F", "     "},
        // Their neighbours are characters.
        {"\xEF\xBF\xBD \xEF\xB7\x8F \xEF\xB7\xB0 \xC2\xA0",
         "\xEF\xBF\xBD \xEF\xB7\x8F \xEF\xB7\xB0 \xC2\xA0"},
    };
    for (const auto& row : rows) {
        const TitleChapters chapters{"eng", {{0, row.name}}};
        EXPECT_EQ(elementTexts(matroskaChapterXml(chapters), "ChapterString"),
                  std::vector<std::string>{row.text})
            << row.name;
    }
}

} // namespace
} // namespace splitwick::testing
