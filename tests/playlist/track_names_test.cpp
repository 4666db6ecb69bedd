// A box's label and the name of its track come from one reading of its element: where the
// labels' substring reading and XML part, both follow the label.
#include "playlist/disc_titles.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

// Each audio stream is named in a way the two readings take differently; the subtitle stream is
// named first by a secondary clip, which plays another file.
const std::string Playlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<Playlist displayName="TRAPS">
<MediaAttributeList>
<AudioAttributeItem index="1" codec="DD+" channels="6"/>
<SubpictureAttributeItem index="1" codec="8bitRLE"/>
</MediaAttributeList>
<TitleSet>
<Title id="T1" displayName="Main" titleDuration="00:01:00:00">
<SecondaryAudioVideoClip src="file:///dvddisc/ADV_OBJ/COMMENT.MAP">
<Subtitle streamNumber="1" mediaAttr="1" description="Secondary"/>
</SecondaryAudioVideoClip>
<PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/MAIN.MAP">
<Audio streamNumber="1" mediaAttr="1" audioDescription="Dub" description="Main"/>
<Audio streamNumber="2" mediaAttr="1" title="description=&quot;x" description="Main"/>
<Audio streamNumber="3" mediaAttr="1" description='Single'/>
<AUDIO STREAMNUMBER="4" MEDIAATTR="1" DESCRIPTION="Loud"/>
<Audio streamNumber="5" mediaAttr="1" description="A &amp; B"/>
<Audio streamNumber="6" mediaAttr="1"/>
<!-- <Audio streamNumber="7" mediaAttr="1" description="Commented"/> -->
<Audio streamNumber="7" mediaAttr="1" description="Kept"/>
<Audio track="2" substreamNumber="9" streamNumber="8" mediaAttr="1" description="Deutsch"/>
<Subtitle streamNumber="1" mediaAttr="1" description="Primary"/>
</PrimaryAudioVideoClip>
<TrackNavigationList>
<AudioTrack track="2" langcode="de:01"/>
</TrackNavigationList>
</Title>
</TitleSet>
</Playlist>
)";

struct Named {
    TrackName box;
    std::string label, trackName;
};

const std::vector<Named> Expected = {
    {{TrackKind::Audio, 0}, "DD+.6ch.stream.00.Dub", "Dub"},
    {{TrackKind::Audio, 1}, "DD+.6ch.stream.01. description=", " description="},
    // No description: the track takes the label's name.
    {{TrackKind::Audio, 2}, "DD+.6ch.stream.02.", "DD+.6ch.stream.02."},
    {{TrackKind::Audio, 3}, "DD+.6ch.stream.03.Loud", "Loud"},
    // A track's name is text: its character references are resolved.
    {{TrackKind::Audio, 4}, "DD+.6ch.stream.04.A &amp; B", "A & B"},
    // A stream without a description carries the one labelled before it.
    {{TrackKind::Audio, 5}, "DD+.6ch.stream.05.A &amp; B", "A & B"},
    {{TrackKind::Audio, 6}, "DD+.6ch.stream.06.Commented", "Commented"},
    {{TrackKind::Audio, 8}, "DD+.6ch.stream.08.Deutsch", "Deutsch"},
    {{TrackKind::Subpicture, 0}, "8bitRLE.stream.00.Secondary", "Secondary"},
};

class TrackNames : public XplTest {};

TEST_F(TrackNames, FollowTheLabelOfTheirBox) {
    choosePlaylist(Playlist);
    ASSERT_TRUE(read("MAIN"));
    for (const Named& named : Expected) {
        ASSERT_NE(playlist.label(named.box), nullptr) << named.box.jsonName();
        const std::string& label = playlist.label(named.box)->label;
        EXPECT_EQ(label, named.label) << named.box.jsonName();
        EXPECT_EQ(playlist.title.muxLabel(named.box, label).name, named.trackName)
            << named.box.jsonName();
    }
    // The language joins the stream the label names, through the element's track.
    EXPECT_EQ(playlist.title.language({TrackKind::Audio, 8})->language, "ger");
    EXPECT_EQ(playlist.title.language({TrackKind::Audio, 7}), std::nullopt);
}

// The command line names a disc title's tracks from the disc's reading of the playlist: it
// names them as Read XPL labels them.
TEST_F(TrackNames, OfADiscTitleAreThoseOfReadXpl) {
    choosePlaylist(Playlist);
    ASSERT_TRUE(read("MAIN"));
    const Disc disc = readDisc(playlistPath);
    ASSERT_EQ(disc.titles.size(), 1u);
    const TitleInfo& discTitle = disc.titles.front().info;
    for (const Named& named : Expected)
        EXPECT_EQ(discTitle.muxLabel(named.box, named.label).name, named.trackName)
            << named.box.jsonName();
    for (const TitleTrack& track : discTitle.audioTracks)
        EXPECT_EQ(track.description,
                  discTitle.descriptions.at({TrackKind::Audio, track.number - 1}))
            << track.number;
}

} // namespace
} // namespace splitwick::testing
