#include "title_info_reader.h"

#include <algorithm>
#include <array>
#include <climits>

#include "engine/path_parts.h"
#include "title_time.h"

namespace splitwick {

namespace {

// The clip's file name without folder and extension: FEATURE_1 for
// file:///dvddisc/HVDVD_TS/FEATURE_1.MAP.
std::string clipStem(const std::string& src) {
    const std::string name = fileNameOf(src);
    return name.substr(0, name.rfind('.'));
}

} // namespace

void nameTracks(TitleInfo& title, const std::vector<LabelledStream>& streams) {
    struct Named {
        TreeBranch branch;
        TrackKind kind;
        std::vector<TitleTrack> TitleInfo::*tracks;
    };
    static constexpr std::array<Named, 2> Kinds = {{
        {TreeBranch::Audio, TrackKind::Audio, &TitleInfo::audioTracks},
        {TreeBranch::Subtitle, TrackKind::Subpicture, &TitleInfo::subtitleTracks},
    }};
    title.descriptions.clear();
    for (const LabelledStream& stream : streams)
        for (const Named& kind : Kinds) {
            if (stream.branch != kind.branch) continue;
            const std::string name = resolveReferences(stream.description);
            title.descriptions[{kind.kind, stream.number - 1}] = name;
            for (TitleTrack& track : title.*kind.tracks)
                if (track.number == stream.number) track.description = name;
        }
}

void TitleInfoReader::read(const PlaylistTag& tag) {
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
    // The labels read every line, comments included.
    if (inTitle_) labels_.read(tag);
    if (skipComment(tag.line())) return;
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
    titleSetLanguage_ = trackLanguage(defaultLanguage_, TrackKind::Audio).language;
}

void TitleInfoReader::title(const PlaylistTag& tag) {
    ++titlesMet_;
    info_ = {};
    audio_ = {};
    subtitle_ = {};
    video_.clear();
    labels_ = {};
    evoClipSeen_ = false;
    inTitle_ = true;
    info_.evoName = evoName_;
    info_.chapterLanguage = titleSetLanguage_.empty() ? "und" : titleSetLanguage_;
    info_.defaultLanguage = titleSetLanguage_;
    info_.name = tag.firstOf({"displayName", "id"});
    const int titleNumber = tag.number("titleNumber");
    info_.number = titleNumber > 0 ? titleNumber : titlesMet_;
    const std::optional<int64_t> duration =
        titleTimeNs(tag.attribute("titleDuration").value_or(""), rate_);
    if (duration) info_.durationMs = roundedMs(*duration);
    if (tag.kind() != PlaylistTag::Kind::Opening) endTitle();
}

void TitleInfoReader::endTitle() {
    inTitle_ = false;
    inPrimaryClip_ = false;
    languages(audio_, TrackKind::Audio);
    languages(subtitle_, TrackKind::Subpicture);
    info_.videoTracks = std::move(video_);
    info_.audioTracks = tracks(audio_, TrackKind::Audio);
    info_.subtitleTracks = tracks(subtitle_, TrackKind::Subpicture);
    nameTracks(info_, labels_.streams());
    info_.firstAudio = firstAudio(audio_);
    info_.chapterReorder = putInTimeOrder(info_.chapters);
    if (evoName_.empty() && !info_.clips.empty()) {
        info_.evoName = info_.clips.front().stem;
        info_.evoStartNs = info_.clips.front().beginNs;
    }
    titles_.push_back(std::move(info_));
    info_ = {};
}

void TitleInfoReader::clip(const PlaylistTag& tag) {
    inPrimaryClip_ = tag.kind() == PlaylistTag::Kind::Opening;
    const std::string stem = clipStem(tag.attribute("src").value_or(""));
    const auto time = [&](std::string_view attribute) {
        return titleTimeNs(tag.attribute(attribute).value_or(""), rate_).value_or(0);
    };
    info_.clips.push_back({stem, time("titleTimeBegin"), time("titleTimeEnd")});
    if (evoClipSeen_ || stem != evoName_) return;
    evoClipSeen_ = true;
    info_.evoStartNs = info_.clips.back().beginNs;
}

void TitleInfoReader::chapter(const PlaylistTag& tag) {
    const std::optional<int64_t> start =
        titleTimeNs(tag.attribute("titleTimeBegin").value_or(""), rate_);
    if (start) info_.chapters.push_back({*start, tag.firstOf({"displayName", "id"})});
}

void TitleInfoReader::video(const PlaylistTag& tag) {
    if (!inPrimaryClip_) return;
    const int track = tag.labelNumber("track");
    const bool listed = std::any_of(video_.begin(), video_.end(),
                                    [&](const TitleTrack& known) { return known.number == track; });
    if (!listed) video_.push_back({track, tag.labelNumber("mediaAttr"), std::nullopt, ""});
}

void TitleInfoReader::clipStream(const PlaylistTag& tag, StreamsOfKind& kind) {
    // Secondary and substitute clips play other files; their streams are no boxes of this EVO.
    if (!inPrimaryClip_) return;
    const int streamNumber = tag.labelNumber("streamNumber");
    if (streamNumber < 1) return;
    kind.streams.push_back({tag.number("track"), streamNumber, tag.labelNumber("mediaAttr"),
                            tag.firstOf({"langcode"}), tag.labelText("description").value_or("")});
}

void TitleInfoReader::navigation(const PlaylistTag& tag, StreamsOfKind& kind) {
    const std::string langcode = tag.firstOf({"langcode"});
    if (!langcode.empty()) kind.langcodes.emplace(tag.number("track"), langcode);
}

std::optional<TrackLanguage> TitleInfoReader::language(const ClipStream& stream,
                                                       const StreamsOfKind& kind,
                                                       TrackKind trackKind) const {
    const auto navigated = kind.langcodes.find(stream.track);
    if (navigated != kind.langcodes.end()) return trackLanguage(navigated->second, trackKind);
    if (!stream.langcode.empty()) return trackLanguage(stream.langcode, trackKind);
    if (defaultLanguage_.empty()) return std::nullopt;
    // The disc's language says nothing of what kind of track this is.
    TrackLanguage disc = trackLanguage(defaultLanguage_, trackKind);
    disc.kind.clear();
    return disc;
}

void TitleInfoReader::languages(const StreamsOfKind& kind, TrackKind trackKind) {
    const TreeBranch branch =
        trackKind == TrackKind::Audio ? TreeBranch::Audio : TreeBranch::Subtitle;
    for (const TitleTrack& track : tracks(kind, trackKind))
        if (inStreamRange(branch, track.number) && track.language)
            info_.languages[{trackKind, track.number - 1}] = *track.language;
}

std::vector<TitleTrack> TitleInfoReader::tracks(const StreamsOfKind& kind,
                                                TrackKind trackKind) const {
    std::map<int, TitleTrack> byNumber;
    // Like the labels: the first element that names a stream number describes it; its language
    // is the first such element's that gives one.
    for (const ClipStream& stream : kind.streams) {
        TitleTrack& track =
            byNumber
                .try_emplace(stream.number,
                             TitleTrack{stream.number, stream.mediaAttr, std::nullopt,
                                        resolveReferences(stream.description)})
                .first->second;
        if (!track.language) track.language = language(stream, kind, trackKind);
    }
    std::vector<TitleTrack> all;
    for (auto& [number, track] : byNumber)
        all.push_back(std::move(track));
    return all;
}

std::optional<TrackName> TitleInfoReader::firstAudio(const StreamsOfKind& audio) {
    const ClipStream* first = nullptr;
    // Elements without a track number come after the numbered ones, in the playlist's order.
    const auto order = [](const ClipStream& s) { return s.track >= 1 ? s.track : INT_MAX; };
    for (const ClipStream& stream : audio.streams)
        if (inStreamRange(TreeBranch::Audio, stream.number) &&
            (first == nullptr || order(stream) < order(*first)))
            first = &stream;
    if (first == nullptr) return std::nullopt;
    return TrackName{TrackKind::Audio, first->number - 1};
}

std::vector<TitleInfo> TitleInfoReader::result() {
    if (inTitle_) endTitle();
    return std::move(titles_);
}

} // namespace splitwick
