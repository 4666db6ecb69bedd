// What Read XPL learns of the title beside its labels: name, duration, chapters, and the
// language and kind of each audio and subtitle box.
#include "playlist/title_time.h"
#include "playlist_writer.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

// A playlist whose TitleSet carries these attributes and whose one title, playing MAIN.MAP,
// holds this text after its clip. Lines end in LF.
std::string titlePlaylist(const std::string& titleSetAttributes, const std::string& clipBody,
                          const std::string& afterClip) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\">\n"
           "<TitleSet" +
           titleSetAttributes +
           ">\n"
           "<Title id=\"T1\" displayName=\"Main\" titleDuration=\"01:42:17:12\">\n"
           "<PrimaryAudioVideoClip src=\"file:///dvddisc/HVDVD_TS/MAIN.MAP\">\n" +
           clipBody + "</PrimaryAudioVideoClip>\n" + afterClip +
           "</Title>\n"
           "</TitleSet>\n"
           "</Playlist>\n";
}

std::vector<int64_t> startsMs(const std::vector<ChapterMark>& chapters) {
    std::vector<int64_t> starts;
    for (const ChapterMark& chapter : chapters)
        starts.push_back((chapter.startNs + 500'000) / 1'000'000);
    return starts;
}

std::vector<std::string> names(const std::vector<ChapterMark>& chapters) {
    std::vector<std::string> all;
    for (const ChapterMark& chapter : chapters)
        all.push_back(chapter.name);
    return all;
}

TrackLanguage language(std::string code, std::string iso639_2, std::string kind) {
    return {std::move(code), std::move(iso639_2), std::move(kind)};
}

class TitleInfoRead : public XplTest {
  protected:
    const TitleInfo& readMain(const std::string& text) {
        choosePlaylist(text);
        EXPECT_TRUE(read("MAIN"));
        return playlist.title;
    }
    std::optional<TrackLanguage> audioBox(int index) const {
        return playlist.title.language({TrackKind::Audio, index});
    }
    std::optional<TrackLanguage> subtitleBox(int index) const {
        return playlist.title.language({TrackKind::Subpicture, index});
    }
};

const std::string FramedChapters = R"(<ChapterList>
<Chapter titleTimeBegin="00:00:00:00" displayName="Start"/>
<Chapter titleTimeBegin="00:00:00:01" displayName="One frame"/>
<Chapter titleTimeBegin="00:00:01:30" displayName="Half"/>
<Chapter titleTimeBegin="00:01:00:49" displayName="Last frame at 50"/>
<Chapter titleTimeBegin="00:02:00:59" displayName="Last frame at 60"/>
</ChapterList>
)";

// Frames count at the TitleSet's timeBase, not at its tickBase.
TEST_F(TitleInfoRead, ChapterFramesCountAtTheTimeBase) {
    const TitleInfo sixty = readMain(titlePlaylist(
        R"( timeBase="60fps" tickBase="24fps" defaultLanguage="en")", "", FramedChapters));
    EXPECT_EQ(sixty.name, "Main");
    // 1:42:17 and 12 frames of 60 count 368232 fields of 1.001/60 s each.
    EXPECT_EQ(sixty.durationMs, 6143337);
    EXPECT_EQ(startsMs(sixty.chapters), (std::vector<int64_t>{0, 17, 1502, 60877, 121104}));
    EXPECT_EQ(sixty.chapters[1].startNs, 16'683'333);

    // At 50 frames a second, frame 59 does not exist: that chapter is left out.
    const TitleInfo& fifty =
        readMain(titlePlaylist(R"( timeBase="50fps" tickBase="24fps")", "", FramedChapters));
    EXPECT_EQ(fifty.durationMs, 6137240);
    EXPECT_EQ(startsMs(fifty.chapters), (std::vector<int64_t>{0, 20, 1600, 60980}));
    EXPECT_EQ(names(fifty.chapters),
              (std::vector<std::string>{"Start", "One frame", "Half", "Last frame at 50"}));

    // No timeBase: 60 frames a second.
    EXPECT_EQ(startsMs(readMain(titlePlaylist("", "", FramedChapters)).chapters),
              startsMs(sixty.chapters));
}

// The longest times at the highest rates the reader takes: the count of frames times a frame's
// length passed 2^63 at 990 a second (undefined behaviour, a wrapped time in a release build).
TEST(TitleTime, TheLongestTimesAtTheHighestRatesStayExact) {
    struct Case {
        int rate;
        const char* text;
        int64_t ns;
    };
    const Case cases[] = {
        {990, "9999:00:00:00", 35'996'400LL * 1'001'000'000},
        {990, "9999:59:59:989", 35'999'999LL * 1'001'000'000 + 999'988'889},
        {1000, "9999:59:59:999", 35'999'999'999'000'000},
        {60, "1:00:00:00", 3'603'600'000'000},
        {60, "0:00:00:01", 16'683'333},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleTimeNs(c.text, c.rate), c.ns) << c.rate << " " << c.text;
}

TEST_F(TitleInfoRead, LanguagesJoinThroughTrackToTheStreamNumbersBox) {
    // Track and stream numbers run in different orders; the clip's elements do not carry the
    // langcodes, the title's TrackNavigationList does.
    const TitleInfo& title =
        readMain(titlePlaylist(R"( defaultLanguage="en")",
                               R"(<Audio track="2" streamNumber="1" mediaAttr="1"/>
<Audio track="4" streamNumber="2" mediaAttr="1" description="Director"/>
<Audio track="1" streamNumber="3" mediaAttr="1" description="Français"/>
<Audio track="3" streamNumber="3" mediaAttr="1" description="Not the first"/>
<Subtitle track="1" streamNumber="2" mediaAttr="1"/>
<Subtitle track="2" streamNumber="1" mediaAttr="1"/>
<Subtitle track="3" streamNumber="4" mediaAttr="1"/>
<Subtitle track="4" streamNumber="3" mediaAttr="1"/>
)",
                               R"(<TrackNavigationList>
<VideoTrack track="1" selectable="true"/>
<AudioTrack track="4" langcode="en:03" selectable="true"/>
<AudioTrack track="1" langcode="FR:01"/>
<AudioTrack track="2" langcode="de:02"/>
<SubtitleTrack track="2" langcode="en:01" description="English SDH"/>
<SubtitleTrack track="1" langcode="iw:09"/>
<SubtitleTrack track="3" langcode="zh:0D"/>
<SubtitleTrack track="4" langcode="ja:05"/>
</TrackNavigationList>
)"));
    EXPECT_EQ(audioBox(0), language("de", "ger", "visually-impaired"));
    EXPECT_EQ(audioBox(1), language("en", "eng", "commentary"));
    EXPECT_EQ(audioBox(2), language("fr", "fre", "normal"));
    EXPECT_EQ(subtitleBox(0), language("en", "eng", "normal"));
    EXPECT_EQ(subtitleBox(1), language("iw", "heb", "forced"));
    EXPECT_EQ(subtitleBox(2), language("ja", "jpn", "hearing-impaired"));
    EXPECT_EQ(subtitleBox(3), language("zh", "chi", "commentary"));
    EXPECT_EQ(audioBox(3), std::nullopt);
    EXPECT_EQ(title.language({TrackKind::Video, 0}), std::nullopt);

    // A player starts with track 1, whatever the elements' order: the third stream's box.
    EXPECT_EQ(title.firstAudio, (TrackName{TrackKind::Audio, 2}));
    // The description names the track; without one, the box's caption does.
    const auto label = [&](TrackName name, const std::string& caption) {
        const TrackLabel l = title.muxLabel(name, caption);
        return l.language + "|" + l.kind + "|" + l.name;
    };
    EXPECT_EQ(label(TrackName{TrackKind::Audio, 1}, "DD+.stream.01.Director"),
              "eng|commentary|Director");
    EXPECT_EQ(label(TrackName{TrackKind::Audio, 2}, "caption"), "fre|normal|Français");
    EXPECT_EQ(label(TrackName{TrackKind::Audio, 0}, "DD+.stream.00."),
              "ger|visually-impaired|DD+.stream.00.");
    EXPECT_EQ(label(TrackName{TrackKind::Audio, 3}, "No audio stream"), "und||No audio stream");
    EXPECT_EQ(label(TrackName{TrackKind::Video, 0}, "VC-1.stream.0"), "und||VC-1.stream.0");
}

TEST_F(TitleInfoRead, TrackWithoutLangcodeTakesTheDefaultLanguageButNoKind) {
    const std::string clip = R"(<Audio track="1" streamNumber="1" mediaAttr="1"/>
<Audio track="2" streamNumber="2" mediaAttr="1" langcode="es:03"/>
<Audio track="3" streamNumber="3" mediaAttr="1" langcode="es:01"/>
<Subtitle track="1" streamNumber="1" mediaAttr="1"/>
)";
    const std::string navigation = R"(<TrackNavigationList>
<AudioTrack track="1" selectable="true"/>
<AudioTrack track="3" langcode="it:04"/>
</TrackNavigationList>
)";
    const TitleInfo& title =
        readMain(titlePlaylist(R"( timeBase="60fps" defaultLanguage="ja")", clip, navigation));
    EXPECT_EQ(audioBox(0), language("ja", "jpn", ""));
    EXPECT_EQ(subtitleBox(0), language("ja", "jpn", ""));
    // A clip element's own langcode serves when the navigation names none; it never overrides
    // the navigation's.
    EXPECT_EQ(audioBox(1), language("es", "spa", "commentary"));
    EXPECT_EQ(audioBox(2), language("it", "ita", "commentary"));
    EXPECT_EQ(title.chapterLanguage, "jpn");

    readMain(titlePlaylist("", clip, navigation));
    EXPECT_EQ(audioBox(0), std::nullopt);
    EXPECT_EQ(playlist.title.chapterLanguage, "und");
}

// Element names are whole names, attributes whole attribute names; tags span lines; comments
// and other clips' streams are no data of this title.
TEST_F(TitleInfoRead, PrefixTrapsCommentsAndOtherClipsAreNotTaken) {
    const TitleInfo& title = readMain(
        titlePlaylist(R"( timeBase="60fps")",
                      R"(<Audio
    track="2"
    streamNumber="1"
    mediaAttr="1"/>
<AudioX track="1" streamNumber="2" mediaAttr="1"/>
<!-- <Audio track="1" streamNumber="3" mediaAttr="1"/> -->
)",
                      R"(<SecondaryAudioVideoClip src="file:///dvddisc/ADV_OBJ/COMMENT.MAP">
<Audio track="1" streamNumber="4" mediaAttr="1"/>
</SecondaryAudioVideoClip>
<ChapterList titleTimeBegin="00:09:00:00" displayName="List">
<Chapter displayName="titleTimeBegin=&quot;00:09:00:00&quot; &amp; more"
         titleTimeBegin="00:01:00:00"/>
<Chapter id="ch2" titleTimeBegin="00:02:00:00"></Chapter>
<Chapter titleTimeBegin="00:03:00:00"/>
<Chapter titleTimeBegin="00:03:30:00" displayName="&#201;t&#xE9; &bogus; &#0; &amp;amp;"/>
<!-- chapters -> removed:
<Chapter titleTimeBegin="00:04:00:00" displayName="Removed"/>
<Chapter titleTimeBegin="00:04:30:00" displayName="Removed too"/>
-->
<!--
<Chapter titleTimeBegin="00:04:40:00" displayName="Removed"/>
<Chapter titleTimeBegin="00:04:50:00" displayName="Removed too"/>
-->
<ChapterX titleTimeBegin="00:05:00:00" displayName="Not one"/>
<Chapter titleTimeBegin="00:06:00" displayName="Time of three fields"/>
</ChapterList>
<TrackNavigationList>
<AudioTrackX track="2" langcode="de:01"/>
<AudioTrack track="2"
            langcode="en:04"/>
<AudioTrack track="1" langcode="fr:01"/>
</TrackNavigationList>
)"));
    EXPECT_EQ(names(title.chapters),
              (std::vector<std::string>{"titleTimeBegin=\"00:09:00:00\" & more", "ch2", "",
                                        "\xC3\x89t\xC3\xA9 &bogus; &#0; &amp;"}));
    EXPECT_EQ(startsMs(title.chapters), (std::vector<int64_t>{60060, 120120, 180180, 210210}));
    EXPECT_EQ(audioBox(0), language("en", "eng", "commentary"));
    for (int box : {1, 2, 3})
        EXPECT_EQ(audioBox(box), std::nullopt) << box;
}

class SplitTitleChapters : public XplTest {
  protected:
    SplitTitleChapters() {
        XmlElement feature = title(
            1, "", "00:20:00:00",
            {clip("FEATURE_1", {video(1, 1)}, "00:00:00:00", "00:10:00:00"),
             clip("FEATURE_2", {video(1, 1)}, "00:10:00:00", "00:20:00:00"),
             chapterList({chapter("00:00:00:00", "Opening"), chapter("00:08:00:30", "Storm"),
                          chapter("00:11:00:00", "Harbour"), chapter("00:15:00:15", "End")})});
        feature.drop("displayName");
        XmlElement root = playlistRoot("", {videoItem(1, "VC-1")}, {feature});
        root.children[2].set("timeBase", "50fps").set("defaultLanguage", "de");
        choosePlaylist(xmlDocument(root));
    }
};

// The split title's chapters lie on the whole title's timeline, as the joined outputs of its
// first part do; a demux of the second part alone starts at its clip, inside the chapter
// running there.
TEST_F(SplitTitleChapters, CoverTheWholeTitleFromItsFirstPartAndStartAtTheSecond) {
    ASSERT_TRUE(read("FEATURE_1"));
    EXPECT_EQ(playlist.title.name, "Title1");
    const TitleChapters whole = playlist.title.chaptersFor("FEATURE_1");
    EXPECT_EQ(whole.language, "ger");
    EXPECT_EQ(startsMs(whole.marks), (std::vector<int64_t>{0, 480600, 660000, 900300}));
    EXPECT_EQ(names(whole.marks), (std::vector<std::string>{"Opening", "Storm", "Harbour", "End"}));
    EXPECT_TRUE(playlist.title.chaptersFor("FEATURE_2").marks.empty());

    ASSERT_TRUE(read("FEATURE_2"));
    const TitleChapters second = playlist.title.chaptersFor("FEATURE_2");
    EXPECT_EQ(startsMs(second.marks), (std::vector<int64_t>{0, 60000, 300300}));
    EXPECT_EQ(names(second.marks), (std::vector<std::string>{"Storm", "Harbour", "End"}));
}

TEST_F(SplitTitleChapters, ReadThatFindsNoTitleLeavesNoneOfTheLastOne) {
    ASSERT_TRUE(read("FEATURE_1"));
    EXPECT_FALSE(read("TRAILER"));
    EXPECT_FALSE(playlist.title.found());
    EXPECT_TRUE(playlist.title.chapters.empty());

    // Nor does the TitleSet of the last file stay for one that has none.
    ASSERT_TRUE(read("FEATURE_1"));
    choosePlaylist(titlePlaylist("", "", FramedChapters));
    ASSERT_TRUE(read("MAIN"));
    EXPECT_EQ(playlist.title.chapters.back().startNs, 121'104'316'667);
    EXPECT_EQ(playlist.title.chapterLanguage, "und");
}

} // namespace
} // namespace splitwick::testing
