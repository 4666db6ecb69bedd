#include "summary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <string_view>

#include "playlist/integer_text.h"
#include "playlist/title_time.h"

namespace splitwick::cli {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::string compact(const QJsonArray& array) {
    return QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

QJsonArray textArray(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& t : texts)
        array.append(text(t));
    return array;
}

// The memo as a JSON array, written a line at a time: text that is not XML makes it many
// times larger than the file.
void writeMemo(std::ostream& out, const MemoLines& memo) {
    out << '[';
    for (size_t i = 0; i < memo.size(); ++i) {
        const std::string element = compact(QJsonArray{text(memo.line(i))}); // ["..."]
        out << (i > 0 ? "," : "") << std::string_view(element).substr(1, element.size() - 2);
    }
    out << ']';
}

// JSON objects here are assembled member by member: a QJsonObject would sort the members by
// name, and these keep the order in which they are documented.
std::string member(const std::string& name, const std::string& value) {
    return "\"" + name + "\":" + value;
}

// One value as JSON text: QJsonDocument writes arrays and objects only.
std::string scalar(const QJsonValue& value) {
    const std::string array = compact(QJsonArray{value});
    return array.substr(1, array.size() - 2);
}

// "[a,b]" or "{a,b}" of JSON texts.
std::string joined(const std::vector<std::string>& items, const char* brackets) {
    std::string text(1, brackets[0]);
    for (const std::string& item : items)
        text += (text.size() == 1 ? "" : ",") + item;
    return text + brackets[1];
}

std::string object(const std::vector<std::string>& members) {
    return joined(members, "{}");
}

std::string labelJson(const StreamLabel& label, const TitleInfo& title) {
    const std::string hint =
        label.description.empty() ? kindWords(label.name.kind) : label.description;
    std::vector<std::string> members = {member("box", scalar(text(label.name.jsonName()))),
                                        member("caption", scalar(text(label.label))),
                                        member("hint", scalar(text(hint)))};
    const std::optional<TrackLanguage> language = title.language(label.name);
    if (language && !language->language.empty())
        members.push_back(member("language", scalar(text(language->language))));
    if (language && !language->kind.empty())
        members.push_back(member("kind", scalar(text(language->kind))));
    return object(members);
}

std::string titleJson(const TitleInfo& title) {
    if (!title.found()) return "null";
    const QJsonValue duration =
        title.durationMs ? QJsonValue(static_cast<qint64>(*title.durationMs)) : QJsonValue();
    return object(
        {member("name", scalar(text(title.name))), member("duration_ms", scalar(duration))});
}

std::string chaptersJson(const TitleInfo& title) {
    std::vector<std::string> chapters;
    for (const ChapterMark& mark : title.chapters)
        chapters.push_back(
            object({member("start_ms", scalar(static_cast<qint64>(roundedMs(mark.startNs)))),
                    member("name", scalar(text(mark.name)))}));
    return joined(chapters, "[]");
}

template <typename T> std::string numberOrNull(const std::optional<T>& value) {
    return value ? std::to_string(*value) : "null";
}

std::string frameRateJson(const std::optional<FrameRate>& rate) {
    return rate ? scalar(text(rate->text())) : "null";
}

std::string streamStartsJson(const std::vector<StreamStart>& streams) {
    std::vector<std::string> items;
    for (const StreamStart& stream : streams) {
        std::vector<std::string> members = {
            member("box", scalar(text(stream.track.name().jsonName()))),
            member("first_pts", std::to_string(stream.firstPts)),
            member("delay_ms", numberOrNull(stream.delayMs))};
        if (stream.afterSeamMs)
            members.push_back(member("after_seam_ms", std::to_string(*stream.afterSeamMs)));
        items.push_back(object(members));
    }
    return joined(items, "[]");
}

std::string partJson(const PartTiming& part) {
    std::vector<std::string> members = {
        member("file", scalar(text(part.file))),
        member("video_frame_rate", frameRateJson(part.videoFrameRate)),
        member("reference_pts", numberOrNull(part.referencePts))};
    if (part.seamMs) members.push_back(member("seam_ms", std::to_string(*part.seamMs)));
    members.push_back(member("streams", streamStartsJson(part.streams)));
    return object(members);
}

// The title's start is its first part's; each part follows with its own.
std::string timingJson(const TitleTiming& timing) {
    if (timing.parts.empty()) return "null";
    std::vector<std::string> parts;
    for (const PartTiming& part : timing.parts)
        parts.push_back(partJson(part));
    const PartTiming& first = timing.parts.front();
    return object({member("video_frame_rate", frameRateJson(first.videoFrameRate)),
                   member("streams", streamStartsJson(first.streams)),
                   member("parts", joined(parts, "[]"))});
}

// The members of a title's stream that the playlist gives.
std::vector<std::string> trackMembers(const TitleTrack& track) {
    std::vector<std::string> members = {member("stream", std::to_string(track.number))};
    if (track.language && !track.language->language.empty())
        members.push_back(member("language", scalar(text(track.language->language))));
    if (track.language && !track.language->kind.empty())
        members.push_back(member("kind", scalar(text(track.language->kind))));
    return members;
}

std::string discTitleJson(const DiscTitle& title) {
    std::vector<std::string> clips, audio, subtitles;
    for (const DiscClip& clip : title.clips)
        clips.push_back(object({member("evo", scalar(text(clip.evo))),
                                member("begin_ms", std::to_string(clip.beginMs)),
                                member("end_ms", std::to_string(clip.endMs)),
                                member("present", clip.present ? "true" : "false")}));
    for (const DiscTrack& track : title.audio) {
        std::vector<std::string> members = trackMembers(track.track);
        if (!track.codec.empty()) members.push_back(member("codec", scalar(text(track.codec))));
        if (const std::optional<int32_t> channels = parseInteger(track.channels))
            members.push_back(member("channels", std::to_string(*channels)));
        if (!track.track.description.empty())
            members.push_back(member("name", scalar(text(track.track.description))));
        audio.push_back(object(members));
    }
    for (const TitleTrack& track : title.info.subtitleTracks)
        subtitles.push_back(object(trackMembers(track)));
    const TitleInfo& info = title.info;
    return object(
        {member("playlist", scalar(text(title.playlist))),
         member("number", std::to_string(info.number)), member("name", scalar(text(info.name))),
         member("duration_ms", std::to_string(title.durationMs())),
         member("clips", joined(clips, "[]")),
         member("chapters", std::to_string(info.chapters.size())),
         member("audio", joined(audio, "[]")), member("subtitles", joined(subtitles, "[]")),
         member("main", title.main ? "true" : "false")});
}

QJsonArray streamsJson(const std::vector<KnownStream>& streams) {
    QJsonArray array;
    for (const KnownStream& stream : streams)
        array.append(QJsonObject{{"box", text(stream.name.jsonName())},
                                 {"caption", text(stream.caption)},
                                 {"id", stream.id ? QJsonValue(*stream.id) : QJsonValue()}});
    return array;
}

} // namespace

std::string titlesJson(const Disc& disc) {
    std::vector<std::string> titles;
    for (const DiscTitle& title : disc.titles)
        titles.push_back(discTitleJson(title));
    return object({member("titles", joined(titles, "[]"))});
}

std::vector<KnownStream> knownStreams(const std::vector<Track>& scanned,
                                      const PlaylistRead* labels) {
    std::vector<KnownStream> known;
    if (labels != nullptr && labels->titleFound) {
        std::vector<StreamLabel> ordered = labels->labels;
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto& a, const auto& b) { return a.name < b.name; });
        for (const StreamLabel& label : ordered) {
            const auto track = std::find_if(scanned.begin(), scanned.end(),
                                            [&](const Track& t) { return t.name() == label.name; });
            known.push_back(
                {label.name, label.label,
                 track == scanned.end() ? std::nullopt : std::optional<int>(track->id.id)});
        }
        return known;
    }
    std::vector<Track> ordered = scanned;
    std::stable_sort(ordered.begin(), ordered.end(), inTrackOrder);
    for (const Track& track : ordered)
        known.push_back({track.name(), track.label(), track.id.id});
    return known;
}

std::string summaryJson(const std::vector<std::string>& log, const RunSummary& run,
                        const std::string& mkv) {
    const auto count = [&](int64_t frames) {
        return run.frames ? QJsonValue(qint64(frames)) : QJsonValue();
    };
    const FrameCounts frames = run.frames.value_or(FrameCounts{});
    const auto flag = [](bool set) { return set ? "true" : "false"; };
    return "{" + member("log", compact(textArray(log))) + "," +
           member("streams", compact(streamsJson(run.streams))) + "," +
           member("frames", compact(QJsonArray{count(frames[0]), count(frames[1])})) + "," +
           member("cancelled", flag(run.stop == StopReason::Cancelled)) + "," +
           member("stopped_at_fast_check_limit", flag(run.stop == StopReason::FastCheckLimit)) +
           "," + member("scrambled_packs", std::to_string(run.scrambledPacks)) + "," +
           member("timing", timingJson(run.timing)) +
           (mkv.empty() ? "" : "," + member("mkv", mkv)) + "}";
}

std::string failureJson(const std::string& error, const std::string& detail, int exit,
                        const std::vector<std::string>& log,
                        const std::vector<KnownStream>* streams) {
    std::vector<std::string> members = {member("error", scalar(text(error))),
                                        member("exit", std::to_string(exit))};
    if (!detail.empty()) members.push_back(member("detail", scalar(text(detail))));
    members.push_back(member("log", compact(textArray(log))));
    if (streams != nullptr) members.push_back(member("streams", compact(streamsJson(*streams))));
    return object(members);
}

// The tracks of a plan or a .mkv, as mkvJson and dryRunJson give them.
static std::string tracksJson(const std::vector<TrackPlan>& plans) {
    std::vector<std::string> tracks;
    const auto add = [&](const TrackPlan& track, bool core) {
        std::vector<std::string> members = {
            member("box", scalar(text(track.track.track.name().jsonName()))),
            member("codec", scalar(text(codecName(*track.mkvCodec)))),
            member("language", scalar(text(track.mkvLabel.language))),
            member("name", scalar(text(track.mkvLabel.name))),
            member("delay_ms", scalar(qint64(track.delayMs.value_or(0)))),
            member("default", scalar(track.mkvDefault)),
            member("forced", scalar(track.mkvForced))};
        if (core) members.push_back(member("core", scalar(true)));
        tracks.push_back(object(members));
    };
    for (const TrackPlan& track : plans) {
        if (!track.mkvCodec) continue;
        add(track, false);
        if (track.mkvCore) add(corePlan(track), true);
    }
    return joined(tracks, "[]");
}

std::string mkvJson(const std::string& file, const std::vector<TrackPlan>& tracks, size_t chapters,
                    const std::vector<TrackPlan>& leftOut) {
    std::vector<std::string> left;
    for (const TrackPlan& track : leftOut)
        left.push_back(object({member("box", scalar(text(track.track.track.name().jsonName()))),
                               member("label", scalar(text(track.track.label))),
                               member("reason", scalar(text("no frame found in its stream")))}));
    return object({member("file", scalar(text(file))), member("tracks", tracksJson(tracks)),
                   member("chapters", scalar(qint64(chapters))),
                   member("left_out", joined(left, "[]"))});
}

std::string dryRunJson(const std::vector<std::string>& log, const Plan& plan) {
    const std::string planJson = object({member("files", compact(textArray(plan.files()))),
                                         member("tracks", tracksJson(plan.tracks)),
                                         member("chapters", scalar(qint64(plan.chapterCount)))});
    return object({member("log", compact(textArray(log))), member("plan", planJson)});
}

std::string treeText(const PlaylistTree& tree) {
    std::string text;
    for (const TreeNode& node : tree.nodes) {
        text += node.text + "\n";
        for (const std::string& child : node.children)
            text += "  " + child + "\n";
    }
    return text;
}

void writePlaylistJson(std::ostream& out, const PlaylistRead& read, const PlainPlaylistView& view,
                       const std::vector<std::string>& log) {
    std::string tree;
    for (const TreeNode& node : view.tree.nodes)
        tree += (tree.empty() ? "" : ",") + member(node.text, compact(textArray(node.children)));
    std::vector<StreamLabel> labels = read.labels;
    std::stable_sort(labels.begin(), labels.end(),
                     [](const auto& a, const auto& b) { return a.name < b.name; });
    std::vector<std::string> boxes;
    for (const StreamLabel& label : labels)
        boxes.push_back(labelJson(label, read.title));
    out << "{" << member("log", compact(textArray(log))) << "," << member("memo", "");
    writeMemo(out, view.memo);
    out << "," << member("tree", "{" + tree + "}") << "," << member("boxes", joined(boxes, "[]"))
        << "," << member("title_found", read.titleFound ? "true" : "false") << ","
        << member("title", titleJson(read.title)) << ","
        << member("chapters", chaptersJson(read.title)) << "}";
}

} // namespace splitwick::cli
