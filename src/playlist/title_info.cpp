#include "title_info.h"

#include <algorithm>
#include <climits>
#include <map>

#include "engine/path_parts.h"
#include "integer_text.h"
#include "title_time.h"
#include "xml_tag.h"

namespace splitwick {

namespace {

// An Audio or Subtitle element of the title's primary clips.
struct ClipStream {
    int track;
    int number; // streamNumber
    int mediaAttr;
    std::string langcode; // its own, when it carries one
    std::string description;
};

struct StreamsOfKind {
    std::vector<ClipStream> streams;      // in the playlist's order
    std::map<int, std::string> langcodes; // of the TrackNavigationList, by track
};

int number(const XmlTag& tag, std::string_view attribute) {
    return parseInteger(tag.attribute(attribute).value_or("")).value_or(0);
}

// The clip's file name without folder and extension: FEATURE_1 for
// file:///dvddisc/HVDVD_TS/FEATURE_1.MAP.
std::string clipStem(const std::string& src) {
    const std::string name = fileNameOf(src);
    return name.substr(0, name.rfind('.'));
}

// Reads Title elements one after another; the TitleSet around them, when the lines hold it,
// gives their time base and default language.
class TitleInfoReader {
  public:
    TitleInfoReader(const TitleSetAttributes& titleSet, const std::string& evoName)
        : evoName_(evoName) {
        setTitleSet(titleSet);
    }

    void read(const std::string& line);
    // The titles read, the last one also when its element was not closed.
    std::vector<TitleInfo> result();

  private:
    using Action = void (TitleInfoReader::*)(const XmlTag&);
    void setTitleSet(const TitleSetAttributes& titleSet);
    void title(const XmlTag& tag);
    void endTitle();
    void clip(const XmlTag& tag);
    void video(const XmlTag& tag);
    void audio(const XmlTag& tag) { clipStream(tag, audio_); }
    void subtitle(const XmlTag& tag) { clipStream(tag, subtitle_); }
    void audioTrack(const XmlTag& tag) { navigation(tag, audio_); }
    void subtitleTrack(const XmlTag& tag) { navigation(tag, subtitle_); }
    void chapter(const XmlTag& tag);
    void clipStream(const XmlTag& tag, StreamsOfKind& kind);
    void navigation(const XmlTag& tag, StreamsOfKind& kind);
    std::optional<TrackLanguage> language(const ClipStream& stream, const StreamsOfKind& kind,
                                          BoxKind boxKind) const;
    void boxes(const StreamsOfKind& kind, BoxKind boxKind, TrackBoxes& languages,
               TrackDescriptions& descriptions) const;
    std::vector<TitleTrack> tracks(const StreamsOfKind& kind, BoxKind boxKind) const;
    static std::optional<Box> firstAudio(const StreamsOfKind& audio);
    bool skipComment(const std::string& line);

    int rate_ = 0;
    std::string defaultLanguage_;
    std::string chapterLanguage_;
    const std::string evoName_;
    std::vector<TitleInfo> titles_;
    int titlesMet_ = 0;
    // The title being read.
    TitleInfo info_;
    StreamsOfKind audio_, subtitle_;
    std::vector<TitleTrack> video_;
    bool inTitle_ = false, inComment_ = false;
    bool inPrimaryClip_ = false, evoClipSeen_ = false;
};

void TitleInfoReader::read(const std::string& line) {
    struct ElementAction {
        std::string_view element;
        Action action;
    };
    // Whole element names: <ChapterList> is no Chapter, <AudioTrack> no Audio.
    static constexpr std::array<ElementAction, 7> Actions = {{
        {"Video", &TitleInfoReader::video},
        {"Audio", &TitleInfoReader::audio},
        {"Subtitle", &TitleInfoReader::subtitle},
        {"AudioTrack", &TitleInfoReader::audioTrack},
        {"SubtitleTrack", &TitleInfoReader::subtitleTrack},
        {"Chapter", &TitleInfoReader::chapter},
        {"PrimaryAudioVideoClip", &TitleInfoReader::clip},
    }};
    if (skipComment(line)) return;
    const XmlTag tag = readXmlTag(line);
    if (!inTitle_) {
        if (tag.opens("TitleSet"))
            setTitleSet({tag.firstOf({"timeBase"}), tag.firstOf({"defaultLanguage"})});
        if (tag.opens("Title")) title(tag);
        return;
    }
    if (tag.closes("Title")) endTitle();
    if (tag.closes("PrimaryAudioVideoClip")) inPrimaryClip_ = false;
    for (const ElementAction& action : Actions)
        if (tag.opens(action.element)) (this->*action.action)(tag);
}

// A comment shows as lines of its own: one that begins with "<!--" and ends with "-->", or
// one that begins with "<!--" and ends at a ">" inside the comment, followed by the lines of
// what the comment holds (commented-out tags among them) up to a line of indentation only, the
// mark of its closing "-->" (a ">" outside any tag ends a line without text). So a comment is
// skipped whole unless its text holds two ">" before a commented-out tag.
bool TitleInfoReader::skipComment(const std::string& line) {
    const size_t start = line.find_first_not_of(' ');
    if (inComment_) {
        if (start == std::string::npos) inComment_ = false;
        return true;
    }
    if (start == std::string::npos || line.compare(start, 4, "<!--") != 0) return false;
    inComment_ = !line.ends_with("-->");
    return true;
}

void TitleInfoReader::setTitleSet(const TitleSetAttributes& titleSet) {
    rate_ = timeBaseRate(titleSet.timeBase);
    defaultLanguage_ = titleSet.defaultLanguage;
    const std::string language = trackLanguage(defaultLanguage_, BoxKind::Audio).language;
    chapterLanguage_ = language.empty() ? "und" : language;
}

void TitleInfoReader::title(const XmlTag& tag) {
    ++titlesMet_;
    info_ = {};
    audio_ = {};
    subtitle_ = {};
    video_.clear();
    evoClipSeen_ = false;
    inTitle_ = true;
    info_.evoName = evoName_;
    info_.chapterLanguage = chapterLanguage_;
    info_.name = tag.firstOf({"displayName", "id"});
    const int titleNumber = number(tag, "titleNumber");
    info_.number = titleNumber > 0 ? titleNumber : titlesMet_;
    const std::optional<int64_t> duration =
        titleTimeNs(tag.attribute("titleDuration").value_or(""), rate_);
    if (duration) info_.durationMs = roundedMs(*duration);
    if (tag.kind != XmlTag::Kind::Opening) endTitle();
}

void TitleInfoReader::endTitle() {
    inTitle_ = false;
    inPrimaryClip_ = false;
    boxes(audio_, BoxKind::Audio, info_.audio, info_.audioDescription);
    boxes(subtitle_, BoxKind::Subpicture, info_.subtitle, info_.subtitleDescription);
    info_.videoTracks = std::move(video_);
    info_.audioTracks = tracks(audio_, BoxKind::Audio);
    info_.subtitleTracks = tracks(subtitle_, BoxKind::Subpicture);
    info_.firstAudio = firstAudio(audio_);
    if (evoName_.empty() && !info_.clips.empty()) {
        info_.evoName = info_.clips.front().stem;
        info_.evoStartNs = info_.clips.front().beginNs;
    }
    titles_.push_back(std::move(info_));
    info_ = {};
}

void TitleInfoReader::clip(const XmlTag& tag) {
    inPrimaryClip_ = tag.kind == XmlTag::Kind::Opening;
    const std::string stem = clipStem(tag.attribute("src").value_or(""));
    const auto time = [&](std::string_view attribute) {
        return titleTimeNs(tag.attribute(attribute).value_or(""), rate_).value_or(0);
    };
    info_.clips.push_back({stem, time("titleTimeBegin"), time("titleTimeEnd")});
    if (evoClipSeen_ || stem != evoName_) return;
    evoClipSeen_ = true;
    info_.evoStartNs = info_.clips.back().beginNs;
}

void TitleInfoReader::chapter(const XmlTag& tag) {
    const std::optional<int64_t> start =
        titleTimeNs(tag.attribute("titleTimeBegin").value_or(""), rate_);
    if (start) info_.chapters.push_back({*start, tag.firstOf({"displayName", "id"})});
}

void TitleInfoReader::video(const XmlTag& tag) {
    if (!inPrimaryClip_) return;
    const int track = number(tag, "track");
    const bool listed = std::any_of(video_.begin(), video_.end(),
                                    [&](const TitleTrack& known) { return known.number == track; });
    if (!listed) video_.push_back({track, number(tag, "mediaAttr"), std::nullopt, ""});
}

void TitleInfoReader::clipStream(const XmlTag& tag, StreamsOfKind& kind) {
    // Secondary and substitute clips play other files; their streams are no boxes of this EVO.
    if (!inPrimaryClip_) return;
    const int streamNumber = number(tag, "streamNumber");
    if (streamNumber < 1) return;
    kind.streams.push_back({number(tag, "track"), streamNumber, number(tag, "mediaAttr"),
                            tag.firstOf({"langcode"}), tag.firstOf({"description"})});
}

void TitleInfoReader::navigation(const XmlTag& tag, StreamsOfKind& kind) {
    const std::string langcode = tag.firstOf({"langcode"});
    if (!langcode.empty()) kind.langcodes.emplace(number(tag, "track"), langcode);
}

std::optional<TrackLanguage> TitleInfoReader::language(const ClipStream& stream,
                                                       const StreamsOfKind& kind,
                                                       BoxKind boxKind) const {
    const auto navigated = kind.langcodes.find(stream.track);
    if (navigated != kind.langcodes.end()) return trackLanguage(navigated->second, boxKind);
    if (!stream.langcode.empty()) return trackLanguage(stream.langcode, boxKind);
    if (defaultLanguage_.empty()) return std::nullopt;
    // The disc's language says nothing of what kind of track this is.
    TrackLanguage disc = trackLanguage(defaultLanguage_, boxKind);
    disc.kind.clear();
    return disc;
}

void TitleInfoReader::boxes(const StreamsOfKind& kind, BoxKind boxKind, TrackBoxes& languages,
                            TrackDescriptions& descriptions) const {
    for (const TitleTrack& track : tracks(kind, boxKind)) {
        if (track.number > static_cast<int>(std::tuple_size_v<TrackBoxes>)) continue;
        const auto box = static_cast<size_t>(track.number - 1);
        languages[box] = track.language;
        descriptions[box] = track.description;
    }
}

std::vector<TitleTrack> TitleInfoReader::tracks(const StreamsOfKind& kind, BoxKind boxKind) const {
    std::map<int, TitleTrack> byNumber;
    // Like the labels: the first element that names a stream number describes it; its language
    // is the first such element's that gives one.
    for (const ClipStream& stream : kind.streams) {
        TitleTrack& track =
            byNumber
                .try_emplace(stream.number, TitleTrack{stream.number, stream.mediaAttr,
                                                       std::nullopt, stream.description})
                .first->second;
        if (!track.language) track.language = language(stream, kind, boxKind);
    }
    std::vector<TitleTrack> all;
    for (auto& [number, track] : byNumber)
        all.push_back(std::move(track));
    return all;
}

std::optional<Box> TitleInfoReader::firstAudio(const StreamsOfKind& audio) {
    const ClipStream* first = nullptr;
    // Elements without a track number come after the numbered ones, in the playlist's order.
    const auto order = [](const ClipStream& s) { return s.track >= 1 ? s.track : INT_MAX; };
    for (const ClipStream& stream : audio.streams)
        if (stream.number <= static_cast<int>(std::tuple_size_v<TrackBoxes>) &&
            (first == nullptr || order(stream) < order(*first)))
            first = &stream;
    if (first == nullptr) return std::nullopt;
    return Box{BoxKind::Audio, first->number - 1};
}

std::vector<TitleInfo> TitleInfoReader::result() {
    if (inTitle_) endTitle();
    return std::move(titles_);
}

} // namespace

std::optional<TrackLanguage> TitleInfo::track(Box box) const {
    const auto index = static_cast<size_t>(box.index);
    switch (box.kind) {
    case BoxKind::Audio:
        return audio.at(index);
    case BoxKind::Subpicture:
        return subtitle.at(index);
    case BoxKind::Video:
        break;
    }
    return std::nullopt;
}

TrackLabel TitleInfo::muxLabel(Box box, const std::string& streamLabel) const {
    TrackLabel label;
    if (const std::optional<TrackLanguage> language = track(box)) {
        if (!language->language.empty()) label.language = language->language;
        label.kind = language->kind;
    }
    const auto index = static_cast<size_t>(box.index);
    switch (box.kind) {
    case BoxKind::Audio:
        label.name = audioDescription.at(index);
        break;
    case BoxKind::Subpicture:
        label.name = subtitleDescription.at(index);
        break;
    case BoxKind::Video:
        break;
    }
    if (label.name.empty()) label.name = streamLabel;
    return label;
}

TitleChapters TitleInfo::chaptersFor(const std::string& evo) const {
    TitleChapters file{chapterLanguage, {}};
    if (!found() || evo != evoName) return file;
    const ChapterMark* running = nullptr;
    for (const ChapterMark& mark : chapters) {
        if (mark.startNs >= evoStartNs)
            file.marks.push_back({mark.startNs - evoStartNs, mark.name});
        else if (running == nullptr || mark.startNs > running->startNs)
            running = &mark;
    }
    const bool startMarked = std::any_of(file.marks.begin(), file.marks.end(),
                                         [](const ChapterMark& mark) { return mark.startNs == 0; });
    if (running != nullptr && !startMarked)
        file.marks.insert(file.marks.begin(), {0, running->name});
    return file;
}

namespace {

std::vector<TitleInfo> readTitleLines(const MemoLines& lines, const TitleSetAttributes& titleSet,
                                      const std::string& evoName) {
    TitleInfoReader reader(titleSet, evoName);
    for (size_t i = 0; i < lines.size(); ++i)
        reader.read(lines.line(i));
    return reader.result();
}

} // namespace

TitleInfo readTitleInfo(const MemoLines& titleLines, const TitleSetAttributes& titleSet,
                        const std::string& evoName) {
    std::vector<TitleInfo> titles = readTitleLines(titleLines, titleSet, evoName);
    return titles.empty() ? TitleInfo{} : std::move(titles.front());
}

std::vector<TitleInfo> readTitles(const MemoLines& lines, const TitleSetAttributes& titleSet) {
    return readTitleLines(lines, titleSet, "");
}

} // namespace splitwick
