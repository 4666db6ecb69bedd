#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "chapter_order.h"
#include "engine/track.h"
#include "languages.h"
#include "title_chapters.h"

namespace splitwick {

// What the title's data needs of the TitleSet around it. The scan keeps it, as the cut to the
// title leaves the TitleSet behind.
struct TitleSetAttributes {
    std::string timeBase;        // "60fps", "50fps"; empty when absent
    std::string defaultLanguage; // "en"; empty when absent
};

// A PrimaryAudioVideoClip of a title: the EVO it plays, and its span on the title's timeline.
struct TitleClip {
    std::string stem; // PEVOB_1 for src="file:///dvddisc/HVDVD_TS/PEVOB_1.MAP"
    int64_t beginNs = 0, endNs = 0;
};

// A Video, Audio or Subtitle stream of a title's clips, as the first element that names its
// number describes it.
struct TitleTrack {
    int number = 0;    // streamNumber (track for video)
    int mediaAttr = 0; // the attribute item it names; 0 for none
    std::optional<TrackLanguage> language;
    // As its track is named: its box's label's description, else its own; empty for video.
    std::string description;
};

// What the playlist says about a title, beside the labels Read XPL gives.
struct TitleInfo {
    std::string evoName; // the stem the title was found for; empty when no title was read
    std::string name;    // displayName, else id
    int number = 0;      // titleNumber, else the title's place in its TitleSet
    std::optional<int64_t> durationMs;
    std::vector<TitleClip> clips; // in the playlist's order
    // By stream number.
    std::vector<TitleTrack> videoTracks, audioTracks, subtitleTracks;
    std::vector<ChapterMark> chapters;   // on the title's timeline, in time order
    ChapterReorder chapterReorder;       // what that order changed of the playlist's
    std::string chapterLanguage = "und"; // the TitleSet's defaultLanguage, ISO 639-2
    std::string defaultLanguage;         // the same; empty when it gives none
    // Where the clip of the EVO begins on the title's timeline.
    int64_t evoStartNs = 0;
    // The languages of the audio and subtitle streams, by name; none for a stream the playlist
    // gives no language (nor for video).
    std::map<TrackName, TrackLanguage> languages;
    // The description each stream's label carries, character references resolved.
    std::map<TrackName, std::string> descriptions;
    // The stream of the title's first audio track (the lowest track number): the one a player
    // starts with.
    std::optional<TrackName> firstAudio;

    bool found() const { return !evoName.empty(); }
    std::optional<TrackLanguage> language(TrackName name) const;
    // The stream's language and kind, and its description as the track's name; one without a
    // description is named by its label.
    TrackLabel muxLabel(TrackName name, const std::string& streamLabel) const;
    // The chapters of a demux of this EVO, on the timeline of its outputs: from the start of
    // its clip, which the chapter running there begins. None for another EVO's outputs.
    TitleChapters chaptersFor(const std::string& evoName) const;
};

} // namespace splitwick
