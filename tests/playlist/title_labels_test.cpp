#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string Items = R"(<VideoAttributeItem index="1" codec="VC-1"/>
<VideoAttributeItem index="2" codec="H.264"/>
<AudioAttributeItem index="1" codec="DD+" channels="6"/>
<AudioAttributeItem index="2" codec="DTS-HD" channels="2"/>
<SubpictureAttributeItem index="1" codec="8bitRLE"/>
)";

class TitleElementLines : public XplTest {
  protected:
    void readTitle(const std::string& items, const std::string& body) {
        choosePlaylist(tinyPlaylist(items, body));
        ASSERT_TRUE(read("MAIN"));
    }
    // The log lines between "Filesize: ..." and "Done.".
    Lines found() const { return Lines(rs.lines.begin() + 2, rs.lines.end() - 1); }
};

TEST_F(TitleElementLines, StreamNumbers10And11AreBoxes09And10) {
    readTitle(Items, R"(<Audio streamNumber="10" mediaAttr="1" description="Ten"/>
<Audio streamNumber="11" mediaAttr="2" description="Eleven"/>
<Subtitle streamNumber="16" mediaAttr="1" description="Last"/>
)");
    EXPECT_EQ(found(), (Lines{"DD+.6ch.stream.09.Ten found!", "DTS-HD.2ch.stream.10.Eleven found!",
                              "8bitRLE.stream.15.Last found!"}));
    EXPECT_EQ(enabledBoxes(),
              (Lines{"cbAudio09: DD+.6ch.stream.09.Ten | DD+.6ch.stream.09.Ten",
                     "cbAudio10: DTS-HD.2ch.stream.10.Eleven | DTS-HD.2ch.stream.10.Eleven",
                     "cbSub15: 8bitRLE.stream.15.Last | 8bitRLE.stream.15.Last"}));
}

TEST_F(TitleElementLines, StreamNamedTwiceIsListedOnce) {
    readTitle(Items, R"(<Audio streamNumber="1" mediaAttr="1" description="English"/>
<Audio streamNumber="1" mediaAttr="2" description="Other"/>
<Subtitle streamNumber="3" mediaAttr="1" description="English"/>
<Subtitle streamNumber="3" mediaAttr="1" description="Again"/>
)");
    EXPECT_EQ(found(),
              (Lines{"DD+.6ch.stream.00.English found!", "8bitRLE.stream.02.English found!"}));
    EXPECT_EQ(view.tree.children(TreeBranch::Audio), (Lines{"DD+.6ch.stream.00.English"}));
    EXPECT_EQ(playlist.label({TrackKind::Audio, 0})->label, "DD+.6ch.stream.00.English");
}

TEST_F(TitleElementLines, SecondVideoTrackIsListedButLabelsNoBox) {
    readTitle(Items, R"(<Video track="1" mediaAttr="1"/>
<Video mediaAttr="2" track="2"/>
)");
    EXPECT_EQ(found(), (Lines{"VC-1.stream.0 found!", "H.264.stream.1 found!"}));
    EXPECT_EQ(view.tree.children(TreeBranch::Video), (Lines{"VC-1.stream.0", "H.264.stream.1"}));
    EXPECT_EQ(enabledBoxes(), (Lines{"cbVideo0: VC-1.stream.0 | Check the desired video stream"}));
    EXPECT_EQ(playlist.label({TrackKind::Video, 1}), nullptr);
}

TEST_F(TitleElementLines, NumbersOutsideTheirTablesAreSkipped) {
    readTitle(Items + R"(<AudioAttributeItem index="9" codec="MLP" channels="8"/>
<AudioAttributeItem index="0" codec="MLP" channels="8"/>
)",
              R"(<Video track="17" mediaAttr="1"/>
<Video track="0" mediaAttr="1"/>
<Video track="1"/>
<Audio streamNumber="17" mediaAttr="1" description="Beyond"/>
<Audio streamNumber="0" mediaAttr="1" description="Zero"/>
<Audio streamNumber="2" mediaAttr="9" description="NoAttribute"/>
<Subtitle streamNumber="-1" mediaAttr="1" description="Negative"/>
<Audio streamNumber="2" mediaAttr="2" description="Kept"/>
)");
    EXPECT_EQ(found(), (Lines{"DTS-HD.2ch.stream.01.Kept found!"}));
    EXPECT_EQ(enabledBoxes(), (Lines{"cbAudio01: DTS-HD.2ch.stream.01.Kept | "
                                     "DTS-HD.2ch.stream.01.Kept"}));
    EXPECT_EQ(playlist.attributes.AudioAttr[1], "DD+.6ch");
}

// Real playlists leave mediaAttr out of some streams: such a stream was not labelled, so that the
// window and xpl --json knew no language for it while titles did.
TEST_F(TitleElementLines, AStreamWithoutMediaAttrIsLabelledWithoutCodecRegression) {
    readTitle(Items, R"(<Audio streamNumber="1" langcode="de:01" description="Deutsch"/>
<Subtitle streamNumber="2" langcode="fr:09" description="Forced"/>
)");
    EXPECT_EQ(found(), (Lines{".stream.00.Deutsch found!", ".stream.01.Forced found!"}));
    EXPECT_EQ(playlist.title.language({TrackKind::Audio, 0})->language, "ger");
    EXPECT_EQ(playlist.title.language({TrackKind::Subpicture, 1})->kind, "forced");
}

TEST_F(TitleElementLines, MediaAttrOfAnItemNeverGivenLabelsWithoutCodec) {
    readTitle(Items, R"(<Audio streamNumber="1" mediaAttr="5" description="English"/>
)");
    EXPECT_EQ(found(), (Lines{".stream.00.English found!"}));
}

TEST_F(TitleElementLines, ChapterWithoutDisplayNameTakesThePreviousName) {
    readTitle(Items, R"(<Chapter titleTimeBegin="00:00:00:00"/>
<Chapter displayName="Storm" titleTimeBegin="00:10:00:00"/>
<Chapter titleTimeBegin="00:20:00:00"/>
)");
    EXPECT_EQ(view.tree.children(TreeBranch::Chapter),
              (Lines{"00:00:00:00: ", "00:10:00:00: Storm", "00:20:00:00: Storm"}));
}

TEST_F(TitleElementLines, ElementsMatchInAnyLetterCase) {
    readTitle(Items, R"(<AUDIO STREAMNUMBER="1" MEDIAATTR="1" DESCRIPTION="Loud"/>
<chapter titletimebegin="00:00:01:00" displayname="Quiet"/>
)");
    EXPECT_EQ(found(), (Lines{"DD+.6ch.stream.00.Loud found!"}));
    EXPECT_EQ(view.tree.children(TreeBranch::Chapter), (Lines{"00:00:01:00: Quiet"}));
}

TEST_F(TitleElementLines, SingleQuotesOrAFarClosingQuoteGiveAnEmptyDescription) {
    readTitle(Items, "<Audio streamNumber=\"1\" mediaAttr=\"1\" description='English'/>\n"
                     "<Audio streamNumber=\"2\" mediaAttr=\"1\" description=\"" +
                         std::string(300, 'x') + "\"/>\n");
    EXPECT_EQ(found(), (Lines{"DD+.6ch.stream.00. found!", "DD+.6ch.stream.01. found!"}));
}

class AttributeItemTags : public TitleElementLines {};

TEST_F(AttributeItemTags, CodecIsStoredAsWritten) {
    readTitle(R"(<AudioAttributeItem CODEC="dd+" Index="1" Channels="2"/>
<SubpictureAttributeItem codec="8bitRle" index="1"/>
)",
              "");
    EXPECT_EQ(playlist.attributes.AudioAttr[1], "dd+.2ch");
    EXPECT_EQ(playlist.attributes.SubpictureAttr[1], "8bitRle");
}

TEST_F(AttributeItemTags, ItemWithoutChannelsKeepsTheCountOfTheItemBefore) {
    readTitle(R"(<AudioAttributeItem index="1" codec="LPCM"/>
<AudioAttributeItem index="2" codec="DD+" channels="6"/>
<AudioAttributeItem index="3" codec="DTS-HD"/>
)",
              "");
    EXPECT_EQ(playlist.attributes.AudioAttr[1], "LPCM");
    EXPECT_EQ(playlist.attributes.AudioAttr[2], "DD+.6ch");
    EXPECT_EQ(playlist.attributes.AudioAttr[3], "DTS-HD.6ch");
}

TEST_F(AttributeItemTags, ClosingTagOrItemWithoutIndexReusesTheLastIndex) {
    readTitle(R"(<VideoAttributeItem index="2" codec="VC-1"></VideoAttributeItem>
<VideoAttributeItem codec="H.264"/>
)",
              "");
    // The third tag has no index of its own and so takes the one before.
    EXPECT_EQ(playlist.attributes.VideoAttr[2], "H.264");
    EXPECT_EQ(playlist.attributes.VideoAttr[1], "");
}

TEST_F(AttributeItemTags, PlaylistClosingTagKeepsTheTitle) {
    readTitle(Items, "");
    EXPECT_EQ(view.tree.children(TreeBranch::Info),
              (Lines{"Title: TINY", "Name: Main", "Duration: 00:01:00:00"}));
}

TEST_F(AttributeItemTags, PlaylistWithoutDisplayNameGivesNoTitleChild) {
    std::string text = tinyPlaylist(Items, "");
    text.erase(text.find(" displayName=\"TINY\""), std::string(" displayName=\"TINY\"").size());
    choosePlaylist(text);
    read("MAIN");
    EXPECT_EQ(view.tree.children(TreeBranch::Info), (Lines{"Name: Main", "Duration: 00:01:00:00"}));
}

} // namespace
} // namespace splitwick::testing
