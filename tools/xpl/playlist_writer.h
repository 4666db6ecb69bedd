#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace splitwick::testing {

// One element of an XML file as authoring tools write them.
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    bool closeExplicitly = false;   // <Video ...></Video> rather than <Video .../>
    bool attributesOnLines = false; // each attribute on a text line of its own
    std::string comment;            // written as <!-- comment --> before the element

    // Sets the attribute, keeping its place when it is there already.
    XmlElement& set(const std::string& attribute, const std::string& value);
    XmlElement& drop(const std::string& attribute);
    const std::string& value(const std::string& attribute) const;
};

// The file's text: the XML declaration, then the root, one tag a line ended by CR LF, indented
// by one tab per level.
std::string xmlDocument(const XmlElement& root);
void writeTextFile(const std::string& path, const std::string& text);

// Playlist elements with the attributes HD DVD discs carry, in the order discs write them.
XmlElement videoItem(int index, const std::string& codec);
// An empty channels text leaves the attribute out.
XmlElement audioItem(int index, const std::string& codec, const std::string& channels);
XmlElement subpictureItem(int index, const std::string& codec);
XmlElement video(int track, int mediaAttr);
XmlElement audio(int streamNumber, int mediaAttr, const std::string& description);
XmlElement subtitle(int streamNumber, int mediaAttr, const std::string& description);
// A PrimaryAudioVideoClip playing HVDVD_TS/<stem>.MAP with these stream elements, from begin to
// end on the title's timeline.
XmlElement clip(const std::string& stem, std::vector<XmlElement> streams,
                const std::string& begin = "00:00:00:00", const std::string& end = "00:10:00:00");
XmlElement chapter(const std::string& begin, const std::string& displayName);
// Ticks of 90 kHz as the nearest time of a 60fps timeline, "HH:MM:SS:FF": counts of 1.001/60 s,
// 1501.5 ticks each.
std::string titleTimeOfTicks(int64_t ticks);
// Counts of a 60fps timeline as "HH:MM:SS:FF".
std::string titleTimeOfCounts(int64_t counts);
XmlElement chapterList(std::vector<XmlElement> chapters);
// The title's TrackNavigationList and its entries; an empty langcode leaves the attribute out.
XmlElement videoTrack(int track);
XmlElement audioTrack(int track, const std::string& langcode);
XmlElement subtitleTrack(int track, const std::string& langcode, const std::string& description);
XmlElement trackNavigationList(std::vector<XmlElement> tracks);
XmlElement title(int number, const std::string& displayName, const std::string& duration,
                 std::vector<XmlElement> children);
XmlElement firstPlayTitle(std::vector<XmlElement> clips);
// The namespaced Playlist root with its Configuration, the MediaAttributeList of these items
// and a TitleSet (60fps, default language en) of these titles. An empty displayName leaves the
// attribute out.
XmlElement playlistRoot(const std::string& displayName, std::vector<XmlElement> items,
                        std::vector<XmlElement> titles);

// What a disc's titles play, as its media attribute items and track list describe them: one
// video, these audio streams (stream numbers 1, 2, ...) and one English subtitle stream.
struct DiscAudio {
    std::string codec, channels, description;
    std::string langcode; // of its track: "en:01"
};
struct DiscLayout {
    std::string videoCodec;
    std::vector<DiscAudio> audio;
    std::string subpictureCodec;
};
// The synthetic sample's: MPEG-2 video, English and commentary DD+ audio, French DTS-HD audio.
const DiscLayout& syntheticDisc();
// The encoded sample's: H.264 video, English AC-3, French DD+ and an English DTS commentary.
const DiscLayout& encodedDisc();

// An EVO a title plays, and its length in counts of a 60fps timeline (1.001/60 s each).
struct PlaylistClip {
    std::string stem;
    int64_t length;
};
constexpr int64_t TenMinutes = 36000; // the synthetic sample's clip length, in counts

// A playlist for a disc of these EVOs, as the sample disc carries it: one title per EVO playing
// all of it, with languages and three chapters (at 0, 1/2 and about 3/4 of the clip). NAME_2
// after NAME_1 is the second part of NAME_1's title: its clip follows on the title's timeline,
// with a fourth chapter at 1/4 of it.
XmlElement discPlaylist(const std::vector<PlaylistClip>& clips, const DiscLayout& layout);
// The same for the synthetic sample's EVO stems, ten minutes each.
XmlElement discPlaylist(const std::vector<std::string>& stems);

} // namespace splitwick::testing
