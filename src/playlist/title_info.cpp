#include "title_info.h"

#include <algorithm>
#include <climits>
#include <map>

#include "integer_text.h"
#include "title_time.h"
#include "xml_tag.h"

namespace splitwick {

namespace {

// An Audio or Subtitle element of the EVO's clip whose stream has a box.
struct ClipStream {
    int track;
    size_t box;           // its streamNumber less one
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
    const size_t slash = src.rfind('/');
    std::string name = slash == std::string::npos ? src : src.substr(slash + 1);
    return name.substr(0, name.rfind('.'));
}

class TitleInfoReader {
  public:
    TitleInfoReader(const TitleSetAttributes& titleSet, const std::string& evoName)
        : rate_(timeBaseRate(titleSet.timeBase)), defaultLanguage_(titleSet.defaultLanguage),
          evoName_(evoName) {
        const std::string language = trackLanguage(defaultLanguage_, BoxKind::Audio).language;
        if (!language.empty()) info_.chapterLanguage = language;
    }

    void read(const std::string& line);
    TitleInfo result();

  private:
    using Action = void (TitleInfoReader::*)(const XmlTag&);
    void title(const XmlTag& tag);
    void clip(const XmlTag& tag);
    void audio(const XmlTag& tag) { clipStream(tag, audio_); }
    void subtitle(const XmlTag& tag) { clipStream(tag, subtitle_); }
    void audioTrack(const XmlTag& tag) { navigation(tag, audio_); }
    void subtitleTrack(const XmlTag& tag) { navigation(tag, subtitle_); }
    void chapter(const XmlTag& tag);
    void clipStream(const XmlTag& tag, StreamsOfKind& kind);
    void navigation(const XmlTag& tag, StreamsOfKind& kind);
    void languages(const StreamsOfKind& kind, BoxKind boxKind, TrackBoxes& boxes) const;
    static void descriptions(const StreamsOfKind& kind, TrackDescriptions& boxes);
    static std::optional<Box> firstAudio(const StreamsOfKind& audio);
    bool skipComment(const std::string& line);

    const int rate_;
    const std::string defaultLanguage_;
    const std::string evoName_;
    TitleInfo info_;
    StreamsOfKind audio_, subtitle_;
    bool inTitle_ = false, titleRead_ = false, inComment_ = false;
    bool inPrimaryClip_ = false, evoClipSeen_ = false;
};

void TitleInfoReader::read(const std::string& line) {
    struct ElementAction {
        std::string_view element;
        Action action;
    };
    // Whole element names: <ChapterList> is no Chapter, <AudioTrack> no Audio.
    static constexpr std::array<ElementAction, 6> Actions = {{
        {"Audio", &TitleInfoReader::audio},
        {"Subtitle", &TitleInfoReader::subtitle},
        {"AudioTrack", &TitleInfoReader::audioTrack},
        {"SubtitleTrack", &TitleInfoReader::subtitleTrack},
        {"Chapter", &TitleInfoReader::chapter},
        {"PrimaryAudioVideoClip", &TitleInfoReader::clip},
    }};
    if (titleRead_ || skipComment(line)) return;
    const XmlTag tag = readXmlTag(line);
    if (!inTitle_) {
        if (tag.opens("Title")) title(tag);
        return;
    }
    if (tag.closes("Title")) {
        inTitle_ = false;
        titleRead_ = true;
    }
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

void TitleInfoReader::title(const XmlTag& tag) {
    inTitle_ = tag.kind == XmlTag::Kind::Opening;
    titleRead_ = !inTitle_;
    info_.evoName = evoName_;
    info_.name = tag.firstOf({"displayName", "id"});
    const std::optional<int64_t> duration =
        titleTimeNs(tag.attribute("titleDuration").value_or(""), rate_);
    if (duration) info_.durationMs = roundedMs(*duration);
}

void TitleInfoReader::clip(const XmlTag& tag) {
    inPrimaryClip_ = tag.kind == XmlTag::Kind::Opening;
    if (evoClipSeen_ || clipStem(tag.attribute("src").value_or("")) != evoName_) return;
    evoClipSeen_ = true;
    info_.evoStartNs = titleTimeNs(tag.attribute("titleTimeBegin").value_or(""), rate_).value_or(0);
}

void TitleInfoReader::chapter(const XmlTag& tag) {
    const std::optional<int64_t> start =
        titleTimeNs(tag.attribute("titleTimeBegin").value_or(""), rate_);
    if (start) info_.chapters.push_back({*start, tag.firstOf({"displayName", "id"})});
}

void TitleInfoReader::clipStream(const XmlTag& tag, StreamsOfKind& kind) {
    // Secondary and substitute clips play other files; their streams are no boxes of this EVO.
    if (!inPrimaryClip_) return;
    const int streamNumber = number(tag, "streamNumber");
    if (streamNumber < 1 || streamNumber > static_cast<int>(std::tuple_size_v<TrackBoxes>)) return;
    kind.streams.push_back({number(tag, "track"), static_cast<size_t>(streamNumber - 1),
                            tag.firstOf({"langcode"}), tag.firstOf({"description"})});
}

void TitleInfoReader::navigation(const XmlTag& tag, StreamsOfKind& kind) {
    const std::string langcode = tag.firstOf({"langcode"});
    if (!langcode.empty()) kind.langcodes.emplace(number(tag, "track"), langcode);
}

void TitleInfoReader::languages(const StreamsOfKind& kind, BoxKind boxKind,
                                TrackBoxes& boxes) const {
    for (const ClipStream& stream : kind.streams) {
        std::optional<TrackLanguage>& box = boxes[stream.box];
        // Like the labels: the first element that names a stream number describes it.
        if (box) continue;
        const auto navigated = kind.langcodes.find(stream.track);
        if (navigated != kind.langcodes.end()) {
            box = trackLanguage(navigated->second, boxKind);
        } else if (!stream.langcode.empty()) {
            box = trackLanguage(stream.langcode, boxKind);
        } else if (!defaultLanguage_.empty()) {
            // The disc's language says nothing of what kind of track this is.
            box = trackLanguage(defaultLanguage_, boxKind);
            box->kind.clear();
        }
    }
}

void TitleInfoReader::descriptions(const StreamsOfKind& kind, TrackDescriptions& boxes) {
    std::array<bool, std::tuple_size_v<TrackDescriptions>> described{};
    for (const ClipStream& stream : kind.streams) {
        // Like the labels: the first element that names a stream number describes it.
        if (described[stream.box]) continue;
        described[stream.box] = true;
        boxes[stream.box] = stream.description;
    }
}

std::optional<Box> TitleInfoReader::firstAudio(const StreamsOfKind& audio) {
    const ClipStream* first = nullptr;
    // Elements without a track number come after the numbered ones, in the playlist's order.
    const auto order = [](const ClipStream& s) { return s.track >= 1 ? s.track : INT_MAX; };
    for (const ClipStream& stream : audio.streams)
        if (first == nullptr || order(stream) < order(*first)) first = &stream;
    if (first == nullptr) return std::nullopt;
    return Box{BoxKind::Audio, static_cast<int>(first->box)};
}

TitleInfo TitleInfoReader::result() {
    languages(audio_, BoxKind::Audio, info_.audio);
    languages(subtitle_, BoxKind::Subpicture, info_.subtitle);
    descriptions(audio_, info_.audioDescription);
    descriptions(subtitle_, info_.subtitleDescription);
    info_.firstAudio = firstAudio(audio_);
    return std::move(info_);
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

MuxLabel TitleInfo::muxLabel(Box box, const std::string& caption) const {
    MuxLabel label;
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
    if (label.name.empty()) label.name = caption;
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

TitleInfo readTitleInfo(const MemoLines& titleLines, const TitleSetAttributes& titleSet,
                        const std::string& evoName) {
    TitleInfoReader reader(titleSet, evoName);
    for (size_t i = 0; i < titleLines.size(); ++i)
        reader.read(titleLines.line(i));
    return reader.result();
}

} // namespace splitwick
