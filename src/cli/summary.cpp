#include "summary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The box's tool tip in the window: the stream's description, else its page's hint.
std::string hint(const StreamEntry& stream, Box box) {
    return stream.description.empty() ? kindDescription(box.kind) : stream.description;
}

std::string boxJson(const StreamEntry& stream, Box box, const TitleInfo& title) {
    std::vector<std::string> members = {member("box", scalar(text(boxName(box)))),
                                        member("caption", scalar(text(stream.label))),
                                        member("hint", scalar(text(hint(stream, box))))};
    const std::optional<TrackLanguage> track = title.track(box);
    if (track && !track->language.empty())
        members.push_back(member("language", scalar(text(track->language))));
    if (track && !track->kind.empty()) members.push_back(member("kind", scalar(text(track->kind))));
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
        std::vector<std::string> members = {member("box", scalar(text(boxName(stream.box)))),
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

QJsonArray streamsJson(const Session& session, const StreamTable& found) {
    QJsonArray streams;
    for (Box box : streamBoxes()) {
        if (!session.streams[box].known()) continue;
        const int32_t id = found[tableEntry(box)];
        streams.append(QJsonObject{{"box", text(boxName(box))},
                                   {"caption", text(session.streams[box].label)},
                                   {"id", id >= 0 ? QJsonValue(id) : QJsonValue()}});
    }
    return streams;
}

} // namespace

std::string titlesJson(const Disc& disc) {
    std::vector<std::string> titles;
    for (const DiscTitle& title : disc.titles)
        titles.push_back(discTitleJson(title));
    return object({member("titles", joined(titles, "[]"))});
}

std::string summaryJson(const Session& session, const StreamTable& found,
                        const std::vector<std::string>& log, StopReason stop,
                        const std::string& mkv) {
    const QJsonArray streams = streamsJson(session, found);
    // A pass that stopped early counted part of the file: its counts say nothing.
    const bool counted = session.request.countFrames && stop == StopReason::EndOfFile;
    const auto count = [&](int64_t frames) {
        return counted ? QJsonValue(qint64(frames)) : QJsonValue();
    };
    const auto& frames = session.state.frameCount;
    const auto flag = [](bool set) { return set ? "true" : "false"; };
    return "{" + member("log", compact(textArray(log))) + "," +
           member("streams", compact(streams)) + "," +
           member("frames", compact(QJsonArray{count(frames[0]), count(frames[1])})) + "," +
           member("cancelled", flag(stop == StopReason::Cancelled)) + "," +
           member("stopped_at_fast_check_limit", flag(stop == StopReason::FastCheckLimit)) + "," +
           member("scrambled_packs", std::to_string(session.state.scrambledPacks)) + "," +
           member("timing", timingJson(session.state.timing)) +
           (mkv.empty() ? "" : "," + member("mkv", mkv)) + "}";
}

std::string failureJson(const std::string& error, const std::string& detail, int exit,
                        const std::vector<std::string>& log, const Session* session) {
    std::vector<std::string> members = {member("error", scalar(text(error))),
                                        member("exit", std::to_string(exit))};
    if (!detail.empty()) members.push_back(member("detail", scalar(text(detail))));
    members.push_back(member("log", compact(textArray(log))));
    if (session != nullptr)
        members.push_back(
            member("streams", compact(streamsJson(*session, session->state.streamTable))));
    return object(members);
}

// The tracks of a plan, as mkvJson and dryRunJson give them.
static std::string tracksJson(const MuxPlan& plan) {
    std::vector<std::string> tracks;
    for (const MuxTrack& track : plan.tracks)
        tracks.push_back(object({member("box", scalar(text(boxName(track.box)))),
                                 member("codec", scalar(text(codecName(track.codec)))),
                                 member("language", scalar(text(track.label.language))),
                                 member("name", scalar(text(track.label.name))),
                                 member("delay_ms", scalar(qint64(track.delayMs)))}));
    return joined(tracks, "[]");
}

std::string mkvJson(const MuxPlan& plan, size_t chapters) {
    return object({member("file", scalar(text(plan.output))), member("tracks", tracksJson(plan)),
                   member("chapters", scalar(qint64(chapters)))});
}

std::string dryRunJson(const std::vector<std::string>& log, const std::vector<std::string>& files,
                       const MuxPlan& plan, size_t chapters) {
    const std::string planJson =
        object({member("files", compact(textArray(files))), member("tracks", tracksJson(plan)),
                member("chapters", scalar(qint64(chapters)))});
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

void writePlaylistJson(std::ostream& out, const StreamChoice& streams,
                       const PlainPlaylistView& view, const std::vector<std::string>& log,
                       bool titleFound, const TitleInfo& title) {
    std::string tree;
    for (const TreeNode& node : view.tree.nodes)
        tree += (tree.empty() ? "" : ",") + member(node.text, compact(textArray(node.children)));
    std::vector<std::string> boxes;
    for (Box box : allBoxes())
        if (streams[box].known()) boxes.push_back(boxJson(streams[box], box, title));
    out << "{" << member("log", compact(textArray(log))) << "," << member("memo", "");
    writeMemo(out, view.memo);
    out << "," << member("tree", "{" + tree + "}") << "," << member("boxes", joined(boxes, "[]"))
        << "," << member("title_found", titleFound ? "true" : "false") << ","
        << member("title", titleJson(title)) << "," << member("chapters", chaptersJson(title))
        << "}";
}

} // namespace splitwick::cli
