#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "label_reading.h"
#include "playlist_tag.h"
#include "title_info.h"

namespace splitwick {

// An Audio or Subtitle element of the title's primary clips: its number and media attribute as
// the labels read them, so that its language lands on the stream its label names.
struct ClipStream {
    int track;
    int number; // streamNumber
    int mediaAttr;
    std::string langcode;    // its own, when it carries one
    std::string description; // its own, as the labels read it: a stream without a label keeps it
};

struct StreamsOfKind {
    std::vector<ClipStream> streams;      // in the playlist's order
    std::map<int, std::string> langcodes; // of the TrackNavigationList, by track
};

// Reads Title elements one after another; the TitleSet around them, when the lines hold it,
// gives their time base and default language.
class TitleInfoReader {
  public:
    TitleInfoReader(const TitleSetAttributes& titleSet, const std::string& evoName)
        : evoName_(evoName) {
        setTitleSet(titleSet);
    }

    void read(const PlaylistTag& tag);
    // The titles read, the last one also when its element was not closed.
    std::vector<TitleInfo> result();

  private:
    using Action = void (TitleInfoReader::*)(const PlaylistTag&);
    void setTitleSet(const TitleSetAttributes& titleSet);
    void title(const PlaylistTag& tag);
    void endTitle();
    void clip(const PlaylistTag& tag);
    void video(const PlaylistTag& tag);
    void audio(const PlaylistTag& tag) { clipStream(tag, audio_); }
    void subtitle(const PlaylistTag& tag) { clipStream(tag, subtitle_); }
    void audioTrack(const PlaylistTag& tag) { navigation(tag, audio_); }
    void subtitleTrack(const PlaylistTag& tag) { navigation(tag, subtitle_); }
    void chapter(const PlaylistTag& tag);
    void clipStream(const PlaylistTag& tag, StreamsOfKind& kind);
    void navigation(const PlaylistTag& tag, StreamsOfKind& kind);
    std::optional<TrackLanguage> language(const ClipStream& stream, const StreamsOfKind& kind,
                                          TrackKind trackKind) const;
    void languages(const StreamsOfKind& kind, TrackKind trackKind);
    std::vector<TitleTrack> tracks(const StreamsOfKind& kind, TrackKind trackKind) const;
    static std::optional<TrackName> firstAudio(const StreamsOfKind& audio);
    bool skipComment(const std::string& line);

    int rate_ = 0;
    std::string defaultLanguage_;
    std::string titleSetLanguage_; // ISO 639-2; empty when the TitleSet gives none
    const std::string evoName_;
    std::vector<TitleInfo> titles_;
    int titlesMet_ = 0;
    // The title being read.
    TitleInfo info_;
    StreamsOfKind audio_, subtitle_;
    std::vector<TitleTrack> video_;
    StreamLabels labels_; // of the title's lines, for its track names
    bool inTitle_ = false, inComment_ = false;
    bool inPrimaryClip_ = false, evoClipSeen_ = false;
};

// A stream is named by the description its label carries, character references resolved; so is
// a title's track of that stream number.
void nameTracks(TitleInfo& title, const std::vector<LabelledStream>& streams);

} // namespace splitwick
